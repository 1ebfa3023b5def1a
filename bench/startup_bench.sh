#!/usr/bin/env bash
# Start-up of the desktop program, offscreen: time from process start to the start-up window
# painted, and peak memory, over several runs. Each run starts veltra-adjust --exit-when-shown,
# which ends right after the first paint of the start-up window and prints "shown_ms=N" (time
# from the entry of main to that paint); /usr/bin/time gives the wall time of the whole process
# (loading included) and its peak resident memory.
#   bench/startup_bench.sh [RUNS] [BUILD_DIR] [-- extra program options, e.g. --simulate]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/timed_runs.sh
runs="${1:-10}"
build="${2:-build/default}"
shift $(( $# < 2 ? $# : 2 ))
[ "${1:-}" = "--" ] && shift
program="$build/shell/veltra-adjust"

timed_runs_begin "$program" veltra-adjust wall_ms shown_ms peak_kib
for i in $(seq 1 "$runs"); do
  QT_QPA_PLATFORM=offscreen /usr/bin/time -f '%e %M' -o "$tmp/time" \
    "$program" --exit-when-shown "$@" >"$tmp/out" 2>/dev/null
  read -r wall_s peak_kib <"$tmp/time"
  shown_ms=$(sed -n 's/^shown_ms=//p' "$tmp/out")
  timed_runs_row "$i" "$(timed_runs_ms "$wall_s")" "${shown_ms:-?}" "$peak_kib"
done
timed_runs_end
