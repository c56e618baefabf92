#!/usr/bin/env bash
# Prints the sha256 of every file that fixed simulated captures write, so
# that two builds can be compared byte for byte (a change that must not alter
# any file runs this before and after). tally77-sim sends fixed readings over
# a pseudo-terminal to tally77-capture, whose clock libfaketime holds at one
# moment; the capture's log is hashed with the files. Only the files the
# operator and other programs read count: the hidden companion a replaced
# file is written through (".cp.txt.next") is left out, so builds from before
# and after it compare equal.
#
#   scripts/capture-bytes.sh [BUILD_DIR]    (build: tally77-capture tally77-sim)
#
# Needs faketime (Debian package faketime).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
capture=$build/src/service/tally77-capture
sim=$build/tools/tally77-sim
faketime_lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
if [ -z "$faketime_lib" ]; then
  echo "capture-bytes: libfaketime not found (apt-get install faketime)" >&2
  exit 1
fi

# A fixed folder, so that the paths the log names are the same every time;
# runs of several checkouts on one machine take turns at it.
work=/tmp/tally77-capture-bytes
exec 9>"$work.lock"
flock 9
rm -rf "$work"
mkdir -p "$work/home"
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# Runs tally77-capture at 14:30:15 on 6 December 2026, the clock stopped;
# the event loop's timers keep the real monotonic clock.
run_capture() {
  env HOME="$work/home" XDG_STATE_HOME="$work/state" TZ=UTC \
    LD_PRELOAD="$faketime_lib" FAKETIME="2026-12-06 14:30:15" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    "$capture" "$@"
}

# One run: NAME is the data directory (its name gives the marker), SETS the
# sets wanted, the rest the simulator's options.
capture_run() {
  local name=$1 sets=$2
  shift 2
  local data=$work/$name
  mkdir -p "$data"
  run_capture --data-dir "$data" --init > "$work/$name.log"
  # Channel 3 gets a high limit of 500 and channel 5 a low limit of 50, so
  # that alarms are logged.
  awk 'NR == 3 { $0 = substr($0, 1, 40) "500" substr($0, 44) }
       NR == 5 { $0 = substr($0, 1, 44) "050" substr($0, 48) } { print }' \
    "$data/ct.dat" > "$work/ct.dat" && mv "$work/ct.dat" "$data/ct.dat"
  "$sim" --fast --gap 300 --wait-end 20000 --link "$work/$name.tty" "$@" > "$work/$name.sim" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -e "$work/$name.tty" ] && break
    sleep 0.1
  done
  run_capture --port "$work/$name.tty" --data-dir "$data" --sets "$sets" --interval 150 \
    >> "$work/$name.log"
  wait "$sim_pid"
  sim_pid=
  cp "$work/$name.log" "$data/capture.log"
}

capture_run FLI1 2 --bursts 32 --order shuffle --seed 7 --high-channel 3 --high-value 900
capture_run FLI2 1 --type fLII --bursts 17 --order twice=5 --value 20

cd "$work"
for name in FLI1 FLI2; do
  (cd "$name" && find . -type f ! -name '.*.next' | sort | sed 's|^\./||' | while read -r file; do
    echo "$(sha256sum "$file" | cut -d' ' -f1)  $name/$file"
  done)
done
