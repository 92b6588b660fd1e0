#!/usr/bin/env bash
# Sets up, builds and runs every test: the suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/), and each fuzz target for a bounded time
# (build-fuzz/, about FUZZ_SECONDS=60 in all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" test
bash "$root/scripts/build.sh"
(cd "$root" && ctest --preset default --parallel "$(nproc)")
# Needs root (CI is root): the Debian package installed, run on the bench and removed.
bash "$root/scripts/package-test.sh"
# The parts free of Qt cross-compiled for Windows, their tests under wine (the slowest step).
bash "$root/scripts/windows-cross-test.sh"
bash "$root/scripts/sanitizers.sh"
bash "$root/scripts/fuzz.sh"
