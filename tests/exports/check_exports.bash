#!/usr/bin/env bash
# A DLL exports each name of the first list, undecorated, and none of the second; it is read with
# the cross toolchain's objdump, so that no Windows program has to run.
#   check_exports.bash OBJDUMP DLL "PRESENT NAMES" "ABSENT NAMES"
set -euo pipefail
objdump=$1 dll=$2 present=$3 absent=${4:-}
exports=$("$objdump" -p "$dll" | sed -n '/Ordinal\/Name Pointer/,/^$/p')
exported() { grep -qx "[[:space:]]*\[ *[0-9]*\] $1" <<<"$exports"; }
status=0
for name in $present; do
  exported "$name" || { echo "FAIL: $(basename "$dll") does not export $name" >&2; status=1; }
done
for name in $absent; do
  ! exported "$name" || { echo "FAIL: $(basename "$dll") exports $name" >&2; status=1; }
done
if grep -q '@' <<<"$exports"; then
  echo "FAIL: $(basename "$dll") exports decorated names" >&2
  status=1
fi
[ "$status" -ne 0 ] || echo "$(basename "$dll"): exports checked"
exit "$status"
