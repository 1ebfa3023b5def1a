#!/usr/bin/env bash
# Whether the desktop program answers a window manager's _NET_WM_PING while it waits for a
# printer on a real port path: the program runs on --device LPT1=unix:SOCKET against
# veltra-vprinter holding every reply back 12 s, so the link start after "OK" in the start-up
# window waits out a 10 s reply time-out; 16 pings 0.6 s apart are sent during it.
#   bench/net_wm_ping/run.sh [BUILD_DIR]    (default build/default; needs a built tree)
# Needs Xvfb, xdotool and python3-xlib (apt-get install xvfb xdotool python3-xlib); no window
# manager runs, so the start-up window's two lists are chosen by clicks at their places.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/default}
work=$(mktemp -d)
display=:57
Xvfb "$display" -screen 0 1280x1024x24 > /dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display XDG_STATE_HOME=$work/state
sleep 1
"$build/sim/veltra-vprinter" --socket "$work/p.sock" --late 12000 --received "$work/received" \
    > /dev/null 2>&1 &
printer=$!
sleep 0.5
"$build/shell/veltra-adjust" --device "LPT1=unix:$work/p.sock" > /dev/null 2>&1 &
app=$!
trap 'kill $app $printer $xvfb 2> /dev/null; rm -rf "$work"' EXIT
sleep 3
window=$(xdotool search --onlyvisible --pid "$app" | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
# Opens a list at its place in the 420 x 150 start-up window and takes its first item.
pick() {
    xdotool mousemove $((X + $1)) $((Y + $2)) click 1
    sleep 0.4
    xdotool key Return
    sleep 0.4
}
pick 310 71   # "Model Name"
pick 310 99   # "Interface"
xdotool mousemove $((X + 282)) $((Y + 127)) click 1   # "OK"
sleep 0.3
/usr/bin/python3 bench/net_wm_ping/probe.py "$window" 16
echo "bytes the printer received (the link start began when not 0): $(stat -c %s "$work/received")"
