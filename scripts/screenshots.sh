#!/usr/bin/env bash
# Takes a screenshot of Pulvar on the bench for each supported supply: docs/window-<model>.png,
# and one of the About dialog with a PS5010: docs/about-ps5010.png.
# Runs the real program in a real X window (Xvfb with a window manager).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" pulvar gpib_bench >/dev/null
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
sleep 1
export LD_LIBRARY_PATH="$root/build/bench" XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime" && mkdir -m 700 "$XDG_RUNTIME_DIR"
# Supplies that hold settings, as on a bench in use; the window reads them back on Refresh.
declare -A settings=(
  [PS5010]="VPOS 12.5;IPOS 0.4;VNEG 5;INEG 0.25;FSOUT ON"
  [PS5004]="VOLTAGE 5.5;CURRENT 0.1;OUT OFF"
  [HP6032A]="VSET 24;ISET 2.5;OUT 1"
)

# Waits up to 10 s for a window whose title matches the pattern; prints its id.
window_titled() {
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

for model in PS5010 PS5004 HP6032A; do
  printf '# gpib bench state: <pad> <KIND> <settings>\n5 %s %s\n' "$model" "${settings[$model]}" \
    >"$work/state"
  GPIB_BENCH="5=$model" GPIB_BENCH_STATE="$work/state" "$root/build/pulvar" &
  pid=$!
  window=$(window_titled '^Pulvar ')
  sleep 1  # let the window finish its first paint
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  xdotool key --window "$window" --clearmodifiers alt+r
  sleep 1  # the read-back takes a few tenths of a second per channel
  import -window "$window" -frame "$root/docs/window-${model,,}.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done

# The About dialog, opened from the menu bar with Alt+A as a user would.
GPIB_BENCH="7=PS5010" "$root/build/pulvar" &
pid=$!
window=$(window_titled '^Pulvar ')
sleep 1
xdotool windowactivate "$window" 2>/dev/null || true
timeout 10 xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers alt+a
about=$(window_titled '^About Pulvar$')
sleep 1
import -window "$about" -frame "$root/docs/about-ps5010.png"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "screenshots in docs/"
