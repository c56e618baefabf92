#!/usr/bin/env bash
# Builds the burst fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a bounded time on a copy of
# the seed corpus. Usage: run-fuzz.sh SOURCE_DIR BUILD_DIR [SECONDS]
set -euo pipefail
source_dir=$1
build_dir=$2
seconds=${3:-60}

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLY77_WITH_GUI=OFF -DTALLY77_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" > "$build_dir.configure.log"
cmake --build "$build_dir" --target burst_fuzz -j"$(nproc)" > "$build_dir.build.log"

# Data directories on a memory file system where there is one: the flushes
# to the device then cost nothing and the fuzzer tries many more inputs.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir/tests/fuzz/corpus" "$work/corpus"
"$build_dir/tests/fuzz/burst_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=8192 -print_final_stats=1 "$work/corpus"
