#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the built-in virtual printer:
# the desktop program where there is a display, else the command line (status, EEPROM table).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/default/shell/veltra-adjust ]; then
  exec build/default/shell/veltra-adjust --simulate "$@"
fi
echo "No display: running the command line on the virtual printer instead."
cli=build/default/cli/veltra-adjust-cli
"$cli" --simulate --model K55 --port ZTUSB1 status
exec "$cli" --simulate --model K55 --port ZTUSB1 eeprom read 00 FF
