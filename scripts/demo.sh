#!/usr/bin/env bash
# Run it now: installs what is missing, builds the window and the processor
# simulator, prepares the data directory demo-data/DEMO, starts tally77-sim
# on a pseudo-terminal and the window with Com1 mapped to it.
#
# With a display, the window opens for you: open DEMO in the directory list,
# clear Obs # and press Init (default support files), set Obs # to 1 and
# press Com1. The simulator leaves 3 s between bursts, more than the
# window's starting Interval of 2000 ms, so nothing else needs typing. The
# run ends by itself after the set (about a minute).
#
# Without a display (or with --auto) the same runs under a virtual X server
# and the window is worked as an operator would, with mouse and keys: DEMO
# opened, Init pressed with Obs # cleared, Obs # 2 and Interval 300 typed,
# Com1 pressed. When the first set is written the window shows "We have a
# good reading " on green with the Obs counter at 1; the screenshot is taken
# then (demo-data/tally77-demo.png), since the program ends by itself right
# after the last set. The second set completes the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

auto=0
if [ "${1:-}" = "--auto" ] || [ -z "${DISPLAY:-}" ]; then auto=1; fi

bash scripts/install-deps.sh
build=${TALLY77_DEMO_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target tally77 tally77-sim

# A fresh data directory each time, so that the files shown are this run's
# (TALLY77_DEMO_DATA names another folder to hold it).
data=${TALLY77_DEMO_DATA:-$root/demo-data}
rm -rf "$data/DEMO"
mkdir -p "$data/DEMO"
window_bin=$root/$build/src/window/tally77
sim_bin=$root/$build/tools/tally77-sim

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# Says why the demo stops, with the end of the window's and the simulator's
# logs, and stops it.
fail() {
  echo "$1" >&2
  for log in "$data/window.log" "$data/sim.log"; do
    if [ -s "$log" ]; then
      echo "--- last lines of $log:" >&2
      tail -n 20 "$log" >&2
    fi
  done
  exit 1
}

# Waits until the command succeeds, at most $1 seconds.
wait_for() {
  local seconds=$1; shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    if ((SECONDS >= deadline)); then return 1; fi
    sleep 0.2
  done
}

# With a display the operator keeps the window's Interval of 2000 ms: the
# bursts come 3 s apart. Played by the script, Interval 300 is typed and
# they come 1 s apart. Either way the simulator gives up a minute after its
# last burst if no end command came.
sets=1 gap=3000
if ((auto)); then sets=2 gap=1000; fi
rm -f "$data/window.log"
"$sim_bin" --bursts $((sets * 16)) --gap "$gap" --wait-end 60000 >"$data/sim.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$data/sim.log" || fail "The simulator did not start within 10 s"
pty=$(head -n 1 "$data/sim.log")
echo "Simulated processor on $pty (its log: $data/sim.log)"

if ((!auto)); then
  echo "Open DEMO in the directory list, clear Obs #, press Init, set Obs # to 1, press Com1."
  (cd "$data" && TALLY77_COM1=$pty "$window_bin" --data-dir "$data")
  if [ ! -s "$data/DEMO/fl.db1" ]; then fail "The window closed before a set was written"; fi
  echo "Files of the run in $data/DEMO:"
  ls -l "$data/DEMO"
  exit 0
fi

# A virtual X server on a free display, large enough for the window at 192
# dots per inch (QT_FONT_DPI, passed on to the window, sets them).
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
pids+=($!)
wait_for 10 test -s "$display_file" || fail "Xvfb did not start within 10 s"
export DISPLAY=":$(head -n 1 "$display_file")"
rm -f "$display_file"

(cd "$data" && TALLY77_COM1=$pty exec "$window_bin" --data-dir "$data") >"$data/window.log" 2>&1 &
window_pid=$!
pids+=("$window_pid")

find_window() { window=$(xdotool search --name "ferroLUMEN Tally 77 v1.10" 2>/dev/null | head -n 1); [ -n "$window" ]; }
wait_for 30 find_window || fail "The window did not appear within 30 s"
timeout 10 xdotool windowfocus --sync "$window" || fail "The window did not take the focus within 10 s"
read -r width height < <(xdotool getwindowgeometry --shell "$window" |
  awk -F= '/^WIDTH/ {w=$2} /^HEIGHT/ {h=$2} END {print w, h}')

# Clicks the middle of a control given by its place in twips.
click_control() {
  local left=$1 top=$2 control_width=$3 control_height=$4
  local x=$(((left + control_width / 2) * width / 7680))
  local y=$(((top + control_height / 2) * height / 5295))
  xdotool mousemove --window "$window" "$x" "$y" click 1
  sleep 0.3
}
# Replaces the text of a text box.
type_into() {
  click_control "$@"
  xdotool key --window "$window" ctrl+a BackSpace
  if [ -n "$5" ]; then xdotool type --window "$window" --delay 60 "$5"; fi
  sleep 0.2
}
TEXT3=(5160 3720 615 285)
TEXT4=(6840 3720 615 285)

echo "Working the window on $DISPLAY"
click_control 120 480 2175 1440           # Dir1
xdotool key --window "$window" End Return  # DEMO is the last folder: open it
sleep 0.5
type_into "${TEXT3[@]}" ""                 # clear Obs #
click_control 2520 3720 615 255            # Init: default support files
type_into "${TEXT3[@]}" "$sets"
type_into "${TEXT4[@]}" 300
click_control 2400 120 855 375             # Com1

shot=$data/tally77-demo.png
if wait_for 150 test -s "$data/DEMO/fl.db1"; then
  sleep 0.5
  import -window "$window" "$shot"
  echo "Screenshot of the window after the first set: $shot"
else
  import -window root "$shot" || true
  fail "No set was written within 150 s (screen: $shot)"
fi

if wait_for 120 bash -c "! kill -0 $window_pid 2>/dev/null"; then
  echo "The run ended after $sets sets."
else
  fail "The run did not end within 120 s"
fi
echo "Files of the run in $data/DEMO:"
ls -l "$data/DEMO"
