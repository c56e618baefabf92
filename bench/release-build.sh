# Sourced by the bench/run-*.sh scripts: builds the given targets of a
# Release build with the benchmarks in it, makes its bench-results folder
# and says which commit on how many cores is being measured.
# Usage: release_build BUILD_DIRECTORY TARGET...
release_build() {
  local build="$1"
  shift
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTALLY77_BUILD_BENCHMARKS=ON >/dev/null
  cmake --build "$build" --target "$@" -j"$(nproc)"
  mkdir -p "$build/bench-results"
  echo "Commit $(git rev-parse --short HEAD), $(nproc) cores, started $(date -u +%FT%TZ)"
}
