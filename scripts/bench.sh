#!/usr/bin/env bash
# Builds the benchmarks (optimised, no sanitizers) and runs them; figures are ratios against
# reference runs made in the same invocation.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELKOVA_TESTS=OFF -DZELKOVA_BENCH=ON >/dev/null
cmake --build build-bench
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $b"
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$b" "$@"
done
