#!/usr/bin/env bash
# tally77-history's benchmark alone: builds history_bench (Release) and runs
# it on a 1 GB fl.db1 a few times (three unless given), each run with its
# own wc -l beside it, then prints the median of each figure over the runs.
# The runs are niced (10 unless TALLY77_BENCH_NICE says otherwise) so that a
# shared machine's other work goes first; wc -l runs inside each run at the
# same niceness, so the ratios hold. Output goes to <build>/bench-results/.
# Usage: bash bench/run-history.sh [build directory] [runs] [megabytes]
#   defaults: build-bench, 3 runs, 1024 MB (written under $TMPDIR or /tmp)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
runs="${2:-3}"
megabytes="${3:-1024}"
out="$build/bench-results"

source bench/release-build.sh
release_build "$build" history_bench
export QT_QPA_PLATFORM=offscreen
for run in $(seq "$runs"); do
  echo "== run $run, load $(cut -d' ' -f1-3 /proc/loadavg)"
  nice -n "${TALLY77_BENCH_NICE:-10}" "$build/bench/history_bench" "$megabytes" 2>/dev/null |
    tee "$out/history-$run.txt"
done
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg), ended $(date -u +%FT%TZ)"
echo "== median of $runs runs"
python3 - "$out" "$runs" <<'PYTHON'
import re, statistics, sys
out, runs = sys.argv[1], int(sys.argv[2])
texts = [open(f"{out}/history-{run}.txt").read().splitlines() for run in range(1, runs + 1)]
number = re.compile(r"\d+(?:\.\d+)?")
for lines in zip(*texts):
    # The same line of every run, each number replaced by its median.
    columns = [number.findall(line) for line in lines]
    if len({len(c) for c in columns}) != 1:
        print(lines[0]); continue
    medians = [statistics.median(float(c[i]) for c in columns) for i in range(len(columns[0]))]
    parts = number.split(lines[0])
    text = parts[0]
    for value, part, sample in zip(medians, parts[1:], columns[0]):
        decimals = len(sample.split(".")[1]) if "." in sample else 0
        text += f"{value:.{decimals}f}" + part
    print(text)
PYTHON
