#!/usr/bin/env bash
# Makes the screenshot the AppStream metainfo shows: the demonstration run
# under a virtual X server (scripts/demo.sh --auto), the window taken after
# its first set, saved as packaging/screenshots/tally77.png. Publish that
# file at <homepage>/screenshots/tally77.png with a release.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/demo.sh --auto
mkdir -p packaging/screenshots
cp demo-data/tally77-demo.png packaging/screenshots/tally77.png
echo "Screenshot: packaging/screenshots/tally77.png"
