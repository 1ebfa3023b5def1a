#!/usr/bin/env bash
# Installs what is missing, builds only the program the run needs (no tests, no benchmarks:
# scripts/test.sh builds those), and starts it on the built-in virtual printer: the desktop
# program where there is a display, else the command line (status, Bi-D values, part of the
# EEPROM table).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build --preset default -j "$(nproc)" --target veltra-adjust
  exec build/default/shell/veltra-adjust --simulate "$@"
fi
cmake --build --preset default -j "$(nproc)" --target veltra-adjust-cli
echo "No display: running the command line on the virtual printer instead."
cli=(build/default/cli/veltra-adjust-cli --simulate --model K55 --port ZTUSB1)
for command in "status" "bid read" "eeprom read 50 7F"; do
  echo "\$ veltra-adjust-cli --simulate $command"
  # shellcheck disable=SC2086  # the command's words are meant to split
  "${cli[@]}" $command
done
echo "More: build/default/cli/veltra-adjust-cli --help"
