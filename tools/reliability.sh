#!/usr/bin/env bash
# Long runs of the reliability tests (tests/reliability/).
#   tools/reliability.sh [SECONDS] [TRIES] [BUILD_DIR]
# SECONDS: how long the crash test keeps killing its writer (default 300).
# TRIES:   confirms of each workstation in the contention test (default 2000).
# BUILD_DIR: a configured build folder (default build).
# A run prints its seed; UORDANE_CRASH_SEED=N repeats its random choices.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
tries=${2:-2000}
build_dir=${3:-build}

if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja >/dev/null
fi
ninja -C "$build_dir" test_reliability
binary="$build_dir/tests/reliability/test_reliability"

UORDANE_CRASH_SECONDS=$seconds "$binary" --gtest_filter='CrashTest.*'
UORDANE_CONTENTION_TRIES=$tries "$binary" --gtest_filter='ContentionTest.*'
