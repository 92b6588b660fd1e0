#!/usr/bin/env bash
# Writes docs/reliability.md: the figures that show Pulvar survives bad input and faults, each
# section from its own source. Run after scripts/test.sh (or it runs the steps it needs; the
# mutation score only when scripts/mutation.py has run, since it takes hours; the journeys under
# load, scripts/journeys-under-load.sh, take half an hour or more when they have left none):
#     bash scripts/reliability.sh
# To add figures, add a section function and call it at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/docs/reliability.md"

# The figures of a step, running the step first when it has left none.
figures() {
  local file=$1 step=$2
  [ -s "$file" ] || bash "$root/scripts/$step" >/dev/null 2>&1 || true
  [ -s "$file" ] || { echo "no figures in $file: scripts/$step failed to run" >&2; exit 1; }
}

# A tab-separated file with a header line as a Markdown table.
table() {
  awk -F'\t' 'NR == 1 { line = "|"; rule = "|"
                        for (i = 1; i <= NF; i++) { line = line " " $i " |"; rule = rule "---|" }
                        print line; print rule; next }
              { line = "|"; for (i = 1; i <= NF; i++) line = line " " $i " |"; print line }' "$1"
}

section_fuzzing() {
  local results="$root/build-fuzz/fuzz-results.tsv"
  figures "$results" fuzz.sh
  cat <<TEXT
## Fuzzing

Each libFuzzer target (fuzz/) feeds random input to one parser, layout or rule and checks a
property of the outcome, under AddressSanitizer and UndefinedBehaviorSanitizer; a finding is
any failed property, crash, leak or undefined behaviour. What earlier runs found is mended and
kept as test rows. From \`bash scripts/fuzz.sh\`:

TEXT
  table "$results"
  echo
}

section_sanitizers() {
  local results="$root/build-asan/sanitizer-results.tsv"
  figures "$results" sanitizers.sh
  cat <<TEXT
## Sanitizers

The whole suite built with \`-fsanitize=address,undefined\` (g++) in build-asan/ and run there,
but for the journeys, which drive the same binaries through a desktop and run in the plain build;
every report is written to a file of its own (build-asan/sanitizer-logs/) and fails the run.
Leaks that libraries below Qt keep on purpose are passed over (scripts/lsan-suppressions.txt);
in the fault matrix and the monkey, also the Qt guards that their thrown stand-ins for the
immediate end leave behind (scripts/lsan-thrown-ends.txt). From \`bash scripts/sanitizers.sh\`:

TEXT
  table "$results"
  echo
}

# Runs a test program of the plain build (built first when missing) in a home of its own, as
# CTest does, and leaves its text log in $log.
run_test_program() {
  local name=$1 program="$root/build/tests/$1"
  [ -x "$program" ] || bash "$root/scripts/build.sh" "$name" >/dev/null
  home=$(mktemp -d)
  log="$home/log.txt"
  mkdir -m 700 "$home/runtime"
  HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" \
    QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
    "$program" -o "$log,txt" >/dev/null || true
}

section_fault_matrix() {
  local home log
  run_test_program fault_matrix_test
  cat <<TEXT
## Fault matrix

Every fault the bench can make (a write refused with ENOL, EBUS or another code; a read that
times out; ERR without TIMO or END; an answer that never ends; an empty, truncated, garbage,
NUL-filled or lower-case answer; the supply unplugged) on every message of every flow that talks
to the supply, each answered OK and, where the box offers it, Cancel. A fault survives when the
flow shows the boxes it should, sends nothing more or less than it should, ends in bounded
virtual time, keeps the bus's rules and leaves the store alone unless it saves. From
tests/reliability/fault_matrix_test.cpp:

| flow | faults injected | survived |
|---|---|---|
TEXT
  sed -n 's/^QINFO *: .*fault matrix: \(.*\): \([0-9]*\) injected, \([0-9]*\) survived$/\1\t\2\t\3/p' \
    "$log" | awk -F'\t' '{ print "| " $1 " | " $2 " | " $3 " |"; i += $2; s += $3 }
                         END { print "| all | " i " | " s " |" }'
  echo
  rm -rf "$home"
}

section_monkey() {
  local home log
  run_test_program reentry_monkey_test
  cat <<TEXT
## Re-entry monkey

Random clicks, keys, menu commands, About dialogs, Exit and the close box, fired during the
query pauses, the 1 s pauses and the boxes, on supplies that now and then refuse a write, spoil
an answer or are unplugged; five fixed seeds. Every line of the bench's trace is checked: no
write between a query and its read, only commands the program can send, nothing after the
unload or after Cancel. From tests/reliability/reentry_monkey_test.cpp:

| events | boxes answered | About dialogs | runs | virtual seconds | trace lines checked | seeds failed |
|---|---|---|---|---|---|---|
TEXT
  local broken
  broken=$(grep -c '^FAIL!' "$log" || true)
  sed -n 's/^QINFO *: .*monkey: \([0-9]*\) events, \([0-9]*\) boxes answered, \([0-9]*\) About dialogs, \([0-9]*\) runs, \([0-9]*\) virtual seconds, \([0-9]*\) trace lines checked$/| \1 | \2 | \3 | \4 | \5 | \6 | '"$broken"' |/p' \
    "$log"
  echo
  rm -rf "$home"
}

section_settings_store() {
  local home log
  run_test_program settings_store_test
  cat <<TEXT
## Settings store

Broken and odd stores, each case a row of tests/platform/settings_store_test.cpp, run as
$(id -un) (as root in CI: the unwritable cases are built so that they hold for root too):

| case | result |
|---|---|
TEXT
  sed -n 's/^\(PASS\|FAIL!\|SKIP\) *: SettingsStoreTest::\([A-Za-z]*\)()$/| \2 | \1 |/p;
          s/^\(PASS\|FAIL!\|SKIP\) *: SettingsStoreTest::\([A-Za-z]*\)(\(.*\))$/| \2: \3 | \1 |/p' \
    "$log" | grep -v -e '| initTestCase' -e '| cleanupTestCase'
  echo
  rm -rf "$home"
}

section_journeys_under_load() {
  local results="$root/build/journeys-under-load/results.tsv"
  figures "$results" journeys-under-load.sh
  local load
  load=$(sort -n "$(dirname "$results")/load.txt" | sed -n '1p;$p' | paste -sd' ' | sed 's/ / to /')
  cat <<TEXT
## Journeys under load

The journeys of the window (tests/e2e/journeys/), the end-to-end runs of the real programs
(tests/e2e/, on the bench and on emulated adapters) and the journeys under wine
(tests/e2e/wine/journeys/): the first two 10 times in a row, two runs at a time as the test
command runs them, the last 3 times, one at a time, all while two processes that only compute
hold both cores. A run waits only for what it can see (a window, a line in the bench's trace, the
window no longer busy with the supply), each wait bounded, and is judged alone: no retries. From
\`bash scripts/journeys-under-load.sh\` (half an hour or more; the output of every round is kept
in build/journeys-under-load/). The machine's load average over a minute, as each round ended,
was $load (2 is both cores busy):

TEXT
  table "$results"
  echo
}

section_mutation() {
  local summary="$root/build-mutation/summary.md"
  if [ ! -s "$summary" ]; then
    # Hours of work: the figures of the last run stay until scripts/mutation.py leaves new ones.
    awk '/^## / { keep = ($0 == "## Mutation testing") } keep' "$out"
    return
  fi
  cat <<TEXT
## Mutation testing

How many faults a person could plausibly make in the program and the bench the suite catches:
\`python3 scripts/mutation.py\` (hours, so not part of the test command) draws mutants of src/,
bench/ (but the emulated adapter) and driver/ with ../shared/tools/mutate.py (operators,
literals, removed calls, early returns), a run of $(sed -n 's/^DEFAULT_N = //p' "$root/scripts/mutation.py") per seed, and rebuilds and runs the
suite for each but for the journeys and the adapter's own runs (\`--exclude
'^journey/|^e2e/adapter_|^drivers/adapter_' --stop-on-failure\`). A mutant is killed when a
test fails or times out. Survivors for which a test was written later are run again against
the newer tests (\`python3 scripts/mutation.py --recheck\`: the code drawn from is unchanged, so
the draw is the same). Each seed's command and log are in build-mutation/.

TEXT
  cat "$summary"
  echo
}

{
  cat <<TEXT
# Reliability figures

Produced by \`bash scripts/reliability.sh\` on $(uname -m) with $(nproc) cores; rerun it to
refresh them.

TEXT
  section_fault_matrix
  section_monkey
  section_fuzzing
  section_sanitizers
  section_settings_store
  section_journeys_under_load
  section_mutation
} >"$out.new"
mv "$out.new" "$out"
echo "written: $out"
