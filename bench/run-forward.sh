#!/usr/bin/env bash
# The forwarder's benchmarks alone: builds forward_bench (Release), runs the
# backfill beside psql's \copy and the following run, then the load test of
# 50 forwarders at once. Output and timings go to <build>/bench-results/.
# Usage: bash bench/run-forward.sh [build directory] [sets] [followed sets]
#   defaults: build-bench, 1000000 sets, 200 followed sets
# The backfill of 1,000,000 sets writes a 326 MB fl.db1 and 1.6 GB of CSV
# under /tmp, and the cluster holds several GB while it runs (all removed
# at the end); on 2 shared cores it took 50 minutes with the load test.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
sets="${2:-1000000}"
followed="${3:-200}"
out="$build/bench-results"

source bench/release-build.sh
release_build "$build" forward_bench forward_test
echo "Load before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/forward_bench" "$sets" "$followed" | tee "$out/forward.txt"
echo "Load after the backfill and following: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/tests/forward_test" --gtest_filter='*FiftyForwarders*' | tee "$out/forward_load.txt"
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg), ended $(date -u +%FT%TZ)"
