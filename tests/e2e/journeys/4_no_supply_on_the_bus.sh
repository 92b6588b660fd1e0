# A bus with a DM5010 and no supply: the "Error" box names the supplies looked for; after OK the
# program ends with a non-zero status, asks nothing more of the bus and leaves the store as it was.
mkdir -p "$(dirname "$store")"
printf '[Settings]\nPS5010\\Saved%%20Exist=True\n' >"$store"
before=$(md5sum <"$store")

start_on_bench "9=DM5010" '^Pulvar , v1\.51 / ZQ$'
see_box Error "No supported power supply (Tek PS5010 or Tek PS5004 or HP 6032A) found on the bus !"
calls=$(trace_mark)
e2e_keys "$box" Return
e2e_wait_exit || e2e_fail "still running after OK"
[ "$exit_status" -eq 1 ] || e2e_fail "exit status $exit_status without a supply"
[ "$(trace_mark)" -eq "$calls" ] || e2e_fail "bus calls after the box: $(since "$calls")"
[ "$(md5sum <"$store")" == "$before" ] || e2e_fail "the store changed: $(cat "$store")"
