#!/usr/bin/env bash
# Makes the screenshot the AppStream metainfo shows: the demonstration run
# under a virtual X server (scripts/demo.sh --auto), the window taken after
# its first set, saved as packaging/screenshots/tally77.png. Publish that
# file at <homepage>/screenshots/tally77.png with a release.
# The same run is shot at 96, 144 and 192 dots per inch (QT_FONT_DPI, as a
# screen of that density gives), saved as tally77-96dpi.png ..
# tally77-192dpi.png in the folder TALLY77_SCREENSHOT_OUT names (build/
# screenshots unless given): every control, its borders included, is to be
# drawn whole at each.
# The run's data directory lies in a neutral folder, since the window's
# directory list shows its path: /srv/tally77 (made and removed here; root
# may write there), or the folder TALLY77_SCREENSHOT_DATA names, which must
# not exist yet.
set -euo pipefail
cd "$(dirname "$0")/.."
data=${TALLY77_SCREENSHOT_DATA:-/srv/tally77}
out=${TALLY77_SCREENSHOT_OUT:-build/screenshots}
if [ -e "$data" ]; then
  echo "$data exists: move it away or name another folder in TALLY77_SCREENSHOT_DATA" >&2
  exit 1
fi
trap 'rm -rf "$data"' EXIT
mkdir -p "$out"
for dpi in 96 144 192; do
  rm -rf "$data"
  mkdir -p "$data"
  QT_FONT_DPI=$dpi TALLY77_DEMO_DATA=$data bash scripts/demo.sh --auto
  cp "$data/tally77-demo.png" "$out/tally77-${dpi}dpi.png"
  echo "Screenshot at $dpi dpi: $out/tally77-${dpi}dpi.png"
done
mkdir -p packaging/screenshots
cp "$out/tally77-96dpi.png" packaging/screenshots/tally77.png
echo "Screenshot: packaging/screenshots/tally77.png"
