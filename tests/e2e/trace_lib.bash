# Reading the bench's trace ($GPIB_BENCH_TRACE), shared by the window's and pulvar-cli's runs.

# The trace's function names, one a line.
trace_calls() { awk '{print $2}' "$GPIB_BENCH_TRACE"; }

# The texts written in the trace lines read, one a line.
texts_written() { grep ' ibwrt ' | sed 's/.* data="\(.*\)" -> .*/\1/'; }

# The texts written to the instrument at this address, one a line.
written_to() { grep " pad=$1 " "$GPIB_BENCH_TRACE" | texts_written; }

# The same without the identification's "ID?": the commands and queries sent to the supply.
sent_to() { written_to "$1" | grep -v '^ID?$'; }
