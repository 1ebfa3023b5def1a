#!/usr/bin/env bash
# Cross-builds the Windows programs (MinGW-w64, no Qt) and runs every test program under Wine,
# the command line on its built-in virtual printer among them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows
cmake --preset windows
cmake --build --preset windows -j "$(nproc)"
# The prefix (Wine's Windows folder tree) is made once, before the tests start side by side.
# Console programs need no display.
export WINEPREFIX="$PWD/build/windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
# One wineserver for the whole run: tests started side by side would otherwise each start one,
# and a client that reaches a server as it shuts down fails with "Connection reset by peer".
# Its helper processes (services.exe and the like) start with the first program and live as long
# as the server: started here with no terminal, since a test that started them would share its
# output pipe with them and never see it close.
wineserver --persistent >/dev/null 2>&1 </dev/null
trap 'wineserver --kill 2>/dev/null || true' EXIT
wine wineboot >/dev/null 2>&1 </dev/null
ctest --preset windows -j "$(nproc)"
