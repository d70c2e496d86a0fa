#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
ensure_packages "${UORDANE_BUILD_PACKAGES[@]}" "${UORDANE_TEST_PACKAGES[@]}"
build_project build
ctest --test-dir build --output-on-failure -j2 "$@"
