#!/usr/bin/env bash
# Configures and builds into build/: everything, or the targets named.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cd "$root"
cmake --preset default >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build --preset default --parallel "$(nproc)" "${targets[@]}"
