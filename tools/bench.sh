#!/usr/bin/env bash
# Builds and runs every benchmark of the core and prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "${JOBS:-2}"
for bench in build/native/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench" --benchmark_min_time=0.2 "$@"
done
