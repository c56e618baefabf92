#!/usr/bin/env bash
# Makes the screenshot of tally77-history that the README shows: a day of
# captured sets (written here in the capture's own layout, with alarm limits
# on channel 3 and the alarms they raised), the window opened on them under
# a virtual X server, saved as packaging/screenshots/tally77-history.png.
# The window's title shows the data directory, so it lies in a neutral
# folder: /srv/tally77/DEMO (made and removed here; root may write there),
# or DEMO in the folder TALLY77_SCREENSHOT_DATA names, which must not exist yet.
# Usage: bash scripts/screenshot-history.sh [build directory]   (build unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target tally77-history >/dev/null
program="$build/src/history/qt/tally77-history"

folder=${TALLY77_SCREENSHOT_DATA:-/srv/tally77}
if [ -e "$folder" ]; then
  echo "$folder exists: move it away or name another folder in TALLY77_SCREENSHOT_DATA" >&2
  exit 1
fi
data=$folder/DEMO
mkdir -p "$data"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$folder"
}
trap cleanup EXIT

python3 - "$data" <<'PYTHON'
import math, sys
data = sys.argv[1]
with open(f"{data}/ct.dat", "wb") as table:
    for channel in range(1, 17):
        high, low = ("150,", "060") if channel == 3 else ("000,", "999")
        line = "%3d -%20s,0020,1.00,120,%s%s%23s.\r\n" % (channel, "", high, low, "")
        table.write(line.encode("latin-1"))
sets, alarms = [], []
for n in range(288):  # a day, a set every five minutes
    hour, minute = divmod(n * 5, 60)
    stamp = "20261206%02d%02d00" % (hour, minute)
    record = "DEMO" + stamp
    for channel in range(1, 17):
        value = int(100 + 20 * channel / 4 * math.sin(n / 20 + channel) + 10 * math.sin(n / 3))
        if channel == 3:
            value = int(105 + 55 * math.sin(n / 30))
            if value > 150: alarms.append("03 high fL01" + stamp)
            if value < 60: alarms.append("03 low  fL01" + stamp)
        record += ",%02d,%03d,%05d,%05d" % (channel, value, n + 1, 300)
    sets.append(record + "  \r\n")
with open(f"{data}/fl.db1", "wb") as db:
    db.write("".join(sets).encode("latin-1"))
with open(f"{data}/alarmlog.txt", "wb") as log:
    log.write("".join(a + "\r\n" for a in alarms).encode("latin-1"))
PYTHON

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")"
rm -f "$display_file"

TZ=UTC "$program" "$data" >"$data/window.log" 2>&1 &
pids+=($!)
window=$(xdotool search --sync --name "^tally77-history" | head -n 1)
sleep 2  # indexed and plotted well before; let the window settle
mkdir -p packaging/screenshots
import -window "$window" packaging/screenshots/tally77-history.png
echo "Screenshot: packaging/screenshots/tally77-history.png"
