#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo company when there is
# none, and opens the program on it.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
ensure_packages "${UORDANE_BUILD_PACKAGES[@]}"
build_project build
exec build/app/uordane "$@"
