#!/usr/bin/env bash
# Builds the core (capture, support, link, history, forward and their tests,
# no Qt) with AddressSanitizer and UndefinedBehaviorSanitizer and runs its
# suite. The Qt front ends are left to the plain build of scripts/test.sh, so
# that the whole CI run stays within its time on two cores. Leaks inside
# system libraries are not ours and are suppressed; leaks in our code fail.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTALLY77_SANITIZE=ON \
  -DTALLY77_WITH_GUI=OFF -DTALLY77_BUILD_BENCHMARKS=OFF
cmake --build build-sanitize -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer-leaks.supp:print_suppressions=0"
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)" --timeout 600
