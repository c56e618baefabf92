#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them all, then prints the table
# of targets and figures that bench/README.md shows.
# Usage: bash bench/run.sh [build directory]   (build-bench unless given)
# Large set files are written under $TALLY77_BENCH_DIR (the temporary
# directory unless set) and removed afterwards; they need 2 GB free.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
out="$build/bench-results"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTALLY77_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target benchmarks -j"$(nproc)"
mkdir -p "$out"
rm -f "$out"/*

base="${TALLY77_BENCH_DIR:-${TMPDIR:-/tmp}}"
echo "Data directories under $base: $(df -h --output=avail,fstype "$base" | tail -1)"
echo "Load before: $(cut -d' ' -f1-3 /proc/loadavg)"
export QT_QPA_PLATFORM=offscreen

gbench() {  # name, program, extra arguments
  local name="$1" program="$2"
  shift 2
  echo "== $name"
  "$build/bench/$program" --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@"
}
script() {  # name, program, arguments
  local name="$1" program="$2"
  shift 2
  echo "== $name"
  "$build/bench/$program" "$@" | tee "$out/$name.txt"
}

# Fresh and large set files interleaved, five times each: the disk is
# shared, and its state changes while the benchmarks run.
gbench reading reading_bench --benchmark_min_time=0.5 --benchmark_repetitions=5 \
  --benchmark_enable_random_interleaving=true
gbench scratch_file scratch_file_bench
gbench list list_bench
script framing framing_bench 40
script startup startup_bench 10
script idle idle_bench 60
# tally77-forward: backfill beside psql's \copy, following, 50 at once.
script forward forward_bench "${TALLY77_BENCH_FORWARD_SETS:-1000000}" 200
echo "== forward_load"
"$build/tests/forward_test" --gtest_filter='*FiftyForwarders*' | tee "$out/forward_load.txt"
# tally77-capture: start, idle minute, then 10,000 sets one burst at a time
# (10 to 15 minutes on a loaded machine).
script service service_bench 10 60 10000
script history history_bench 1024

# Beside serial terminals (optional, about 20 minutes): the window on Xvfb,
# tally77-capture and tio in tmux on the same stream, twice; the table goes
# into bench/README.md. TALLY77_BENCH_PEERS=N runs it with N readings.
if [ -n "${TALLY77_BENCH_PEERS:-}" ]; then
  cmake --build "$build" --target tally77 tally77-capture -j"$(nproc)"
  echo "== peers"
  python3 bench/peers.py --build "$build" --count "$TALLY77_BENCH_PEERS" --readme bench/README.md |
    tee "$out/peers.txt"
fi

echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
python3 bench/summarize.py "$out"
