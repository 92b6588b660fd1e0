#!/usr/bin/env bash
# Measures what Pulvar's operations cost beyond the pauses the instruments need: the program's
# own code on the simulated bench, on the real clock, through the bench library and through the
# adapter library (emulated adapters, and the AR488's own firmware where its runner can be built).
# Prints Markdown tables. Arguments go to the benchmark: --runs N (11 by default), --only TEXT
# (rows whose name holds it), --carrier bench|serial|serial-16ms|tcp|ar488-firmware (one way only).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" operations_benchmark >&2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" && mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | xargs)," \
  "Debian $(cat /etc/debian_version), Qt $(dpkg-query -W -f='${Version}' libqt6core6 | cut -d+ -f1)"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
"$root/build/benchmarks/operations_benchmark" "$@"
echo
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
