#!/usr/bin/env bash
# Makes the screenshot the AppStream metainfo shows: the demonstration run
# under a virtual X server (scripts/demo.sh --auto), the window taken after
# its first set, saved as packaging/screenshots/tally77.png. Publish that
# file at <homepage>/screenshots/tally77.png with a release.
# The run's data directory lies in a neutral folder, since the window's
# directory list shows its path: /srv/tally77 (made and removed here; root
# may write there), or the folder TALLY77_SCREENSHOT_DATA names, which must
# not exist yet.
set -euo pipefail
cd "$(dirname "$0")/.."
data=${TALLY77_SCREENSHOT_DATA:-/srv/tally77}
if [ -e "$data" ]; then
  echo "$data exists: move it away or name another folder in TALLY77_SCREENSHOT_DATA" >&2
  exit 1
fi
mkdir -p "$data"
trap 'rm -rf "$data"' EXIT
TALLY77_DEMO_DATA=$data bash scripts/demo.sh --auto
mkdir -p packaging/screenshots
cp "$data/tally77-demo.png" packaging/screenshots/tally77.png
echo "Screenshot: packaging/screenshots/tally77.png"
