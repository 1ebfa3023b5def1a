#!/usr/bin/env bash
# PNG pictures of the desktop windows for the documentation (docs/images/), made offscreen:
# the start-up window, the adjustment window, its EEPROM table of a virtual printer, and the
# virtual printer tool window.
#   scripts/screenshots.sh [BUILD_DIR]     (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset default -B "$build" >/dev/null
fi
cmake --build "$build" --target veltra-shell-screenshots -j 2
QT_QPA_PLATFORM=offscreen "$build/shell/veltra-shell-screenshots" docs/images
