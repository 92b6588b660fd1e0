# Starts the fuzz runs' table (RESULTS, a file), to which each target's run adds its row.
file(WRITE ${RESULTS} "target\tseconds\texecutions\tfindings\tcorpus\n")
