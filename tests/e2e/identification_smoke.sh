#!/usr/bin/env bash
# The real program on the bench: a silent listener before a PS5010. The trace must show the bus
# set-up, the search asking 3 then 5, and the 3 s time-out on the supply; the caption names it.
# A third argument "ni" means the library has NI-488.2's registration, which the program must
# use first; otherwise (linux-gpib) the program reads the status from the thread accessors.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
e2e_setup "$1" "$2"
road=${3:-linux-gpib}
export GPIB_BENCH="3=SILENT;5=PS5010"

e2e_start
e2e_wait_window '^Pulvar PS5010, v1\.51 / ZQ$' >/dev/null || e2e_fail "caption"

calls=$(trace_calls | tr '\n' ' ')
prefix="SendIFC ibsre SendIFC ibsre FindLstn "
[ "$road" == ni ] && prefix="RegisterGpibGlobalsForThread $prefix"
[[ "$calls" == "$prefix"* ]] || e2e_fail "bus set-up sequence ($road): $calls"
[ "$(grep -c ' ibsre ' "$GPIB_BENCH_TRACE")" -eq 2 ] || e2e_fail "ibsre twice"

asked=$(grep ' ibwrt ' "$GPIB_BENCH_TRACE" | grep -o 'pad=[0-9]* data="ID?"' | tr '\n' ' ')
[ "$asked" == 'pad=3 data="ID?" pad=5 data="ID?" ' ] || e2e_fail "search order: $asked"

supply_ud=$(grep ' ibwrt .*pad=5 ' "$GPIB_BENCH_TRACE" | head -n 1 | grep -o 'ud=[0-9]*')
grep -q " ibtmo $supply_ud v=12 " "$GPIB_BENCH_TRACE" || e2e_fail "3 s time-out on $supply_ud"
echo "identification smoke run ($road): ok"
