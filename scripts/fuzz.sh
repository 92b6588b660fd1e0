#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for a bounded time; the time in
# all is FUZZ_SECONDS (default 60), shared evenly. Seeds come from fuzz/corpus/ (left as they are).
# Figures go to build-fuzz/fuzz-results.tsv; a finding is kept in build-fuzz/findings/ and fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
bash "$root/scripts/setup.sh" test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULVAR_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
targets=()
for source in "$root"/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" _fuzz.cpp)
  targets+=("$name")
done
cmake --build "$build" --parallel "$(nproc)" $(printf -- '--target fuzz_%s ' "${targets[@]}")

# fontconfig's cache, kept for the life of the process, is no leak of ours.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
total=${FUZZ_SECONDS:-60}
each=$(( (total + ${#targets[@]} - 1) / ${#targets[@]} ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/findings"
results="$build/fuzz-results.tsv"
printf 'target\tseconds\texecutions\tfindings\tcorpus\n' >"$results"
failed=0
for name in "${targets[@]}"; do
  mkdir -p "$work/$name"
  status=0
  # New inputs go to the scratch folder (the first); the repo's seeds are only read.
  dictionary=()
  [ -f "$root/fuzz/$name.dict" ] && dictionary=(-dict="$root/fuzz/$name.dict")
  "$build/fuzz/fuzz_$name" -max_total_time="$each" -print_final_stats=1 "${dictionary[@]}" \
    -artifact_prefix="$build/findings/$name-" "$work/$name" "$root/fuzz/corpus/$name" \
    >"$work/$name.log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log" | tail -n 1)
  corpus=$(find "$work/$name" "$root/fuzz/corpus/$name" -type f | wc -l)
  findings=0
  if [ "$status" -ne 0 ]; then
    findings=1
    failed=1
    cp "$work/$name.log" "$build/findings/$name.log"
    echo "fuzz_$name: finding (see $build/findings/$name.log)" >&2
    grep -m 5 -E 'property failed|ERROR|SUMMARY' "$work/$name.log" >&2 || true
  fi
  printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$each" "${executions:-0}" "$findings" "$corpus" >>"$results"
done
column -t "$results"
exit "$failed"
