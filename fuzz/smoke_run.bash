#!/usr/bin/env bash
# One fuzz target's bounded run, as a test. FUZZ_SECONDS (default 60) is the time of all targets,
# shared evenly. The seeds of fuzz/corpus/ are only read: new inputs go to a scratch folder.
# A finding is kept in the build's findings/ and fails the test; the figures go as one row to the
# build's fuzz-results.tsv.
#   smoke_run.bash FUZZER NAME SOURCE_DIR BUILD_DIR TARGET_COUNT
set -euo pipefail
fuzzer=$1 name=$2 source=$3 build=$4 count=$5
each=$(( (${FUZZ_SECONDS:-60} + count - 1) / count ))
seeds="$source/fuzz/corpus/$name"
findings_dir="$build/findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$findings_dir"

dictionary=()
[ -f "$source/fuzz/$name.dict" ] && dictionary=(-dict="$source/fuzz/$name.dict")
status=0
# libFuzzer writes new inputs to the first folder it is given.
"$fuzzer" -max_total_time="$each" -print_final_stats=1 "${dictionary[@]}" \
  -artifact_prefix="$findings_dir/$name-" "$work/corpus" "$seeds" >"$work/log" 2>&1 || status=$?
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
corpus=$(find "$work/corpus" "$seeds" -type f | wc -l)
findings=0
if [ "$status" -ne 0 ]; then
  findings=1
  cp "$work/log" "$findings_dir/$name.log"
  echo "fuzz_$name: finding (see $findings_dir/$name.log)" >&2
  grep -m 5 -E 'property failed|ERROR|SUMMARY' "$work/log" >&2 || true
fi
printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$each" "${executions:-0}" "$findings" "$corpus" \
  >>"$build/fuzz-results.tsv"
echo "fuzz_$name: $each s, ${executions:-0} executions, $corpus inputs, $findings findings"
exit "$findings"
