#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the built-in virtual printer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec build/default/cli/veltra-adjust-cli --simulate --model K55 --port ZTUSB1 status eeprom-table "$@"
