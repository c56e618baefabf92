#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs the whole test suite,
# then the Debian package test on the same build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 300
bash scripts/test-package.sh build
