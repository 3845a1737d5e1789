#!/usr/bin/env bash
# Builds the benchmarks (optimised, no sanitizers) and runs them; figures are ratios against
# reference runs made in the same invocation.
#   ZELKOVA_BENCHES="bench_scan bench_mods"  runs only those programs (default: all);
#   ZELKOVA_BENCH_TREES=/some/folder          keeps the generated trees there, for every
#                                              worktree to share;
#   ZELKOVA_BUILD_JOBS=2                       limits the build's parallel jobs.
# Further arguments go to every program (--benchmark_filter=..., for one).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELKOVA_TESTS=OFF -DZELKOVA_BENCH=ON >/dev/null
jobs=()
[ -n "${ZELKOVA_BUILD_JOBS:-}" ] && jobs=(-j "$ZELKOVA_BUILD_JOBS")
targets=()
for name in ${ZELKOVA_BENCHES:-}; do
  targets+=(--target "$name")
done
cmake --build build-bench "${jobs[@]}" "${targets[@]}"
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  if [ -n "${ZELKOVA_BENCHES:-}" ] && [[ " $ZELKOVA_BENCHES " != *" $(basename "$b") "* ]]; then
    continue
  fi
  echo "== $b"
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$b" "$@"
done
