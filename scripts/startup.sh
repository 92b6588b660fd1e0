#!/usr/bin/env bash
# Measures Pulvar's start from outside, beside a minimal Qt 6 Widgets program (one empty window)
# as the floor of what a Qt program costs here: time from exec until the main window is mapped
# under Xvfb, and resident memory 2 s after the start. The same minimal window showing one line
# of text tells how much of the rest any text costs (fonts). Runs each program N times (default
# 5), in turn, after one run of each that is not counted; prints medians as a Markdown table.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
bash "$root/scripts/build.sh" pulvar gpib_bench minimal_qt_window startup_probe >&2
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

# No window manager: the window is mapped by the program itself, with nothing in between.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
# Pulvar on the bench with a PS5010, as scripts/run.sh starts it.
export LD_LIBRARY_PATH="$root/build/bench" GPIB_BENCH="5=PS5010"

probe="$root/build/benchmarks/startup_probe"
pulvar="$root/build/pulvar"
minimal="$root/build/benchmarks/minimal_qt_window"

"$probe" "$pulvar" >/dev/null
"$probe" "$minimal" >/dev/null
"$probe" "$minimal" --label >/dev/null
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for _ in $(seq "$runs"); do
  "$probe" "$pulvar" >>"$work/pulvar"
  "$probe" "$minimal" >>"$work/minimal"
  "$probe" "$minimal" --label >>"$work/label"
done

# Median, min and max of a column of the probe's lines: "<ms> <kB> <processor ms> <waiting ms>".
median() { cut -d' ' -f"$2" "$1" | sort -n | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
least() { cut -d' ' -f"$2" "$1" | sort -n | head -n 1; }
most() { cut -d' ' -f"$2" "$1" | sort -n | tail -n 1; }
row() {
  awk -v name="$1" -v ms="$(median "$2" 1)" -v lo="$(least "$2" 1)" -v hi="$(most "$2" 1)" \
    -v kb="$(median "$2" 2)" -v kblo="$(least "$2" 2)" -v kbhi="$(most "$2" 2)" \
    -v cpu="$(median "$2" 3)" -v wait="$(median "$2" 4)" 'BEGIN {
      printf "| %s | %.1f | %.1f - %.1f | %.1f | %.1f | %.1f | %.1f - %.1f |\n", name, ms, lo, hi,
        cpu, wait, kb / 1024, kblo / 1024, kbhi / 1024 }'
}

echo "Start-up under Xvfb, $runs runs each; load average before: $load_before," \
  "after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| program | exec to mapped, median (ms) | min - max (ms) | processor until mapped (ms)" \
  "| waiting for a processor (ms) | resident at 2 s, median (MB) | min - max (MB) |"
echo "|---|---:|---:|---:|---:|---:|---:|"
row "Pulvar (PS5010 on the bench)" "$work/pulvar"
row "minimal Qt 6 Widgets window (empty)" "$work/minimal"
row "minimal window with one line of text" "$work/label"
# Pulvar's median time as a multiple of the other's, and its median memory above the other's.
against() {
  awk -v what="$2" -v p="$(median "$work/pulvar" 1)" -v m="$(median "$1" 1)" \
    -v pc="$(median "$work/pulvar" 3)" -v mc="$(median "$1" 3)" \
    -v pk="$(median "$work/pulvar" 2)" -v mk="$(median "$1" 2)" 'BEGIN {
      printf "Pulvar against the %s: %.2f times the time to mapped (%.2f times the processor" \
        " time), %+.1f MB resident\n", what, p / m, pc / mc, (pk - mk) / 1024 }'
}
echo
against "$work/minimal" "empty window"
against "$work/label" "window with one line of text"
