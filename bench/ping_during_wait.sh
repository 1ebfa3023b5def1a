#!/bin/sh
# Measures how the adjustment window answers a window manager's _NET_WM_PING while the program
# waits out a reply time-out on a port: the desktop program on a bare Xvfb, its ZTUSB1 port led
# through a proxy to veltra-vprinter; once the window is up the proxy drops every reply and the
# window is closed, so the close's first step waits 10 s for a reply that never comes.
#   bench/ping_during_wait.sh [BUILD_DIR]
# Needs Xvfb, xdotool and python3-xlib.
set -eu
build=${1:-build/default}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
display_no=:97
cleanup() {
    for pid in ${program_pid:-} ${proxy_pid:-} ${printer_pid:-} ${xvfb_pid:-}; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display_no" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display_no
sleep 1
"$build/sim/veltra-vprinter" --socket "$work/printer.sock" >/dev/null 2>&1 &
printer_pid=$!
/usr/bin/python3 "$here/silent_proxy.py" "$work/port.sock" "$work/printer.sock" "$work/silent" &
proxy_pid=$!
sleep 1
XDG_STATE_HOME="$work/state" QT_QPA_PLATFORM=xcb "$build/shell/veltra-adjust" \
    --no-journal --device "ZTUSB1=unix:$work/port.sock" &
program_pid=$!

boot=$(xdotool search --sync --name "ZOLTA Printer Adjustment Program" | head -1)
xdotool windowfocus --sync "$boot"
# Model: the first item; interface: the fourth (ZTUSB1); then OK, the default button.
xdotool key --delay 100 Down Tab Down Down Down Down Return
adjust=$(xdotool search --sync --onlyvisible --name "Individual Adjustment Program" | head -1)
sleep 2
echo "adjustment window: $adjust; pings while it is idle:"
/usr/bin/python3 "$here/net_wm_ping.py" "$adjust" 2 0.5
touch "$work/silent"
xdotool windowfocus --sync "$adjust"
xdotool key Escape
echo "pings while the close waits for a reply that does not come:"
/usr/bin/python3 "$here/net_wm_ping.py" "$adjust" 10 0.5
