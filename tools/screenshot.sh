#!/usr/bin/env bash
# Saves PNGs of the main windows under Xvfb: the main menu, the categories
# panel and the categories form, on a fresh demo company.
#   tools/screenshot.sh [OUTFOLDER]     (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
ensure_packages "${UORDANE_BUILD_PACKAGES[@]}" "${UORDANE_LOOK_PACKAGES[@]}"
build_project build
out=$(realpath -m "${1:-build/screenshots}")
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
build/app/uordane-admin init --demo "$data" >/dev/null
xvfb-run -a -s "-screen 0 1280x900x24" env QT_QPA_PLATFORM=xcb build/app/uordane-screenshots "$data" "$out"
