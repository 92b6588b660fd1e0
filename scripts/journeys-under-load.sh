#!/usr/bin/env bash
# The journeys under load: every journey of the window and every end-to-end run of the real
# programs (on the bench, on emulated adapters and on the AR488's own firmware) 10 times in a row, two at a time as the test command runs them, and every journey under
# wine 3 times, while two processes that only compute hold both cores, as a loaded CI machine
# would. Each run is judged alone: no retries.
# Writes build/journeys-under-load/results.tsv (test, runs, passed, failed) and keeps the output
# of every round and the machine's load there. Part of scripts/reliability.sh, not of the test
# command: it takes half an hour or more.
#   ROUNDS=10 WINE_ROUNDS=3 bash scripts/journeys-under-load.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${ROUNDS:-10}
wine_rounds=${WINE_ROUNDS:-3}
linux="$root/build"
windows="$root/build-windows/win64"
out="$linux/journeys-under-load"

bash "$root/scripts/setup.sh" test
bash "$root/scripts/build.sh" >/dev/null
# The installer and the zip that the journeys under wine install (an up-to-date build is quick).
bash "$root/scripts/windows-installer.sh" >/dev/null
rm -rf "$out" && mkdir -p "$out"

# One process per core that never waits, started before the first run and ended after the last;
# each also ends by itself once this script is gone, however it ended.
busy=()
for _ in 1 2; do
    bash -c 'while kill -0 "$1" 2>/dev/null; do for _ in {1..100000}; do :; done; done' - $$ &
    busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null || true' EXIT
trap 'exit 1' INT TERM

# Runs the tests a selection names in a build folder, as many at a time as given, and adds a line
# per test to runs.tsv: its name, then passed or failed (a time-out is a failure). The machine's
# load average over the last minute, as the round ends, goes to load.txt.
run_round() {
    local build=$1 log=$2 parallel=$3
    shift 3
    (cd "$build" && ctest "$@" --output-on-failure --parallel "$parallel") >"$log" 2>&1 || true
    cut -d' ' -f1 /proc/loadavg >>"$out/load.txt"
    awk '/ Test +#[0-9]+: / { for (i = 1; i <= NF; i++) if ($i ~ /^#[0-9]+:$/) name = $(i + 1)
                               print name "\t" (/ Passed +[0-9.]+ sec$/ ? "passed" : "failed") }' \
        "$log" >>"$out/runs.tsv"
}

for round in $(seq "$rounds"); do
    run_round "$linux" "$out/linux-$round.log" 2 -R '^(journey|e2e|firmware)/'
    echo "round $round of $rounds: $(grep -c 'failed$' "$out/runs.tsv" || true) failed so far"
done
for round in $(seq "$wine_rounds"); do
    run_round "$windows" "$out/wine-$round.log" 1 -L wine
    echo "round $round of $wine_rounds under wine: $(grep -c 'failed$' "$out/runs.tsv" || true) failed so far"
done

{
    printf 'test\truns\tpassed\tfailed\n'
    awk -F'\t' '{ runs[$1]++; if ($2 == "passed") passed[$1]++ }
                END { for (t in runs) printf "%s\t%d\t%d\t%d\n", t, runs[t], passed[t], runs[t] - passed[t] }' \
        "$out/runs.tsv" | LC_ALL=C sort
} >"$out/results.tsv"
echo "written: $out/results.tsv"
