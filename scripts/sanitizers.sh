#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/ and
# runs it there; any report ends its test with a failure. Figures go to
# build-asan/sanitizer-results.tsv.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-asan"
bash "$root/scripts/setup.sh" test
cd "$root"
cmake --preset sanitizers >/dev/null
cmake --build --preset sanitizers --parallel "$(nproc)"

# Every report goes to a file of its own in sanitizer-logs/ (the test presets' options), so that
# none hides behind a test that expects its program to fail; the folder is emptied first. Leaks
# that libraries below Qt keep on purpose are passed over; scripts/lsan-suppressions.txt says
# which and why.
logs="$build/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
status=0
# The journeys drive the same binaries as the window and end-to-end tests do, through a
# desktop's accessibility bus and a window manager that are not ours to check: they run once,
# in the plain build. So do the runs through the AR488's firmware, whose simulated board must
# keep pace with the wall clock (the sanitized build does not even build them).
ctest --preset sanitizers --parallel "$(nproc)" --output-junit "$build/sanitizer-junit.xml" ||
  status=$?
# The fault matrix and the monkey end runs by throwing through Qt, which leaves Qt's own guards
# behind; scripts/lsan-thrown-ends.txt says why those, and only those, are passed over there.
ctest --preset sanitizers-thrown-ends --parallel "$(nproc)" \
  --output-junit "$build/sanitizer-junit-thrown-ends.xml" || status=$?

# An attribute of the test suites, summed over the two runs' reports.
counted() {
  local sum=0 file value
  for file in "$build/sanitizer-junit.xml" "$build/sanitizer-junit-thrown-ends.xml"; do
    value=$(grep -o "$1=\"[0-9]*\"" "$file" | head -n 1 | tr -dc 0-9)
    sum=$((sum + ${value:-0}))
  done
  echo "$sum"
}
tests=$(counted tests)
failures=$(counted failures)
reports=$(find "$logs" -type f | wc -l)
if [ "$reports" -ne 0 ]; then
  status=1
  for report in "$logs"/*; do
    echo "--- $report" >&2
    head -n 40 "$report" >&2
  done
fi
printf 'tests\tfailed\treports\n%s\t%s\t%s\n' "$tests" "$failures" "$reports" \
  >"$build/sanitizer-results.tsv"
exit "$status"
