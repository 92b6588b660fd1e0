#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for a bounded time, each run a
# test of that build (fuzz/smoke_run.bash); the time in all is FUZZ_SECONDS (default 60), shared
# evenly. Seeds come from fuzz/corpus/ (left as they are). Figures go to
# build-fuzz/fuzz-results.tsv; a finding is kept in build-fuzz/findings/ and fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" test
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --parallel "$(nproc)"
status=0
ctest --preset fuzz || status=$?
column -t build-fuzz/fuzz-results.tsv
exit "$status"
