#!/usr/bin/env bash
# Formats every C and C++ source the repository tracks with Debian's clang-format and the
# project's .clang-format; "format.sh --check" changes nothing and fails, naming the files, when
# any source is not formatted so (the suite runs it so).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
formatter=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$formatter" ]; then
  echo "clang-format is missing: bash scripts/setup.sh test installs it" >&2
  exit 77
fi
cd "$root"
if [ -d .git ] || [ -f .git ]; then
  mapfile -t sources < <(git ls-files '*.c' '*.cpp' '*.h')
else
  mapfile -t sources < <(find . -path './build*' -prune -o -type f \
    \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print | sed 's#^\./##' | LC_ALL=C sort)
fi
if [ "${1:-}" != --check ]; then
  "$formatter" -i "${sources[@]}"
  exit 0
fi
unformatted=()
for source in "${sources[@]}"; do
  "$formatter" --dry-run --Werror "$source" >/dev/null 2>&1 || unformatted+=("$source")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  printf 'not formatted (bash scripts/format.sh formats them):\n' >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "${#sources[@]} sources formatted as .clang-format says"
