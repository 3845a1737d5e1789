#!/usr/bin/env bash
# Installs what is missing, builds Zelkova with AddressSanitizer and
# UndefinedBehaviorSanitizer (the benchmarks are compiled too, so a change cannot leave them
# broken), and runs every test headless; runs the threaded walks under ThreadSanitizer; then builds the .deb and checks it
# (scripts/check-package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELKOVA_SANITIZE=ON -DZELKOVA_TESTS=ON \
  -DZELKOVA_BENCH=ON >/dev/null
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
# Qt and GLib keep some memory until exit on purpose; leaks are not what these runs check.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-test --output-on-failure -j "$(nproc)" "$@"
# The walking threads under ThreadSanitizer: the engine's tests, a tree changed during the
# walk, and every finder's scans, aborts and closes. The two large 1-against-N comparisons
# are left to the run above; they add minutes here and no thread interplay of their own.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELKOVA_TSAN=ON -DZELKOVA_TESTS=ON >/dev/null
cmake --build build-tsan --target test_finders
TSAN_OPTIONS=halt_on_error=1:suppressions=$PWD/tests/support/tsan.supp build-tsan/tests/test_finders \
  --gtest_filter='-ParallelWalkTest.EveryThread*:ParallelWalkTest.DeepBranches*'
# The package: built optimised in its own folder, unpacked and started, validated.
scripts/package.sh
scripts/check-package.sh
