#!/usr/bin/env bash
# Writes docs/reliability.md: the figures that show Pulvar survives bad input and faults, each
# section from its own source. Run after scripts/test.sh (or it runs the steps it needs):
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

The whole suite built with \`-fsanitize=address,undefined\` (g++) in build-asan/ and run there;
every report is written to a file of its own (build-asan/sanitizer-logs/) and fails the run. Leaks that libraries below Qt keep on purpose are passed over
(scripts/lsan-suppressions.txt). From \`bash scripts/sanitizers.sh\`:

TEXT
  table "$results"
  echo
}

section_settings_store() {
  local program="$root/build/tests/settings_store_test"
  [ -x "$program" ] || bash "$root/scripts/build.sh" settings_store_test >/dev/null
  local home
  home=$(mktemp -d)
  HOME="$home" XDG_CONFIG_HOME="$home/config" "$program" -o "$home/log.txt,txt" >/dev/null || true
  cat <<TEXT
## Settings store

Broken and odd stores, each case a row of tests/platform/settings_store_test.cpp, run as
$(id -un) (as root in CI: the unwritable cases are built so that they hold for root too):

| case | result |
|---|---|
TEXT
  sed -n 's/^\(PASS\|FAIL!\|SKIP\) *: SettingsStoreTest::\([A-Za-z]*\)()$/| \2 | \1 |/p;
          s/^\(PASS\|FAIL!\|SKIP\) *: SettingsStoreTest::\([A-Za-z]*\)(\(.*\))$/| \2: \3 | \1 |/p' \
    "$home/log.txt" | grep -v -e '| initTestCase' -e '| cleanupTestCase'
  echo
  rm -rf "$home"
}

{
  cat <<TEXT
# Reliability figures

Produced by \`bash scripts/reliability.sh\` on $(uname -m) with $(nproc) cores; rerun it to
refresh them.

TEXT
  section_fuzzing
  section_sanitizers
  section_settings_store
} >"$out.new"
mv "$out.new" "$out"
echo "written: $out"
