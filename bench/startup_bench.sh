#!/usr/bin/env bash
# Start-up of the desktop program, offscreen: time from process start to the start-up window
# painted, and peak memory, over several runs. Each run starts veltra-adjust --exit-when-shown,
# which ends right after the first paint of the start-up window and prints "shown_ms=N" (time
# from the entry of main to that paint); /usr/bin/time gives the wall time of the whole process
# (loading included) and its peak resident memory.
#   bench/startup_bench.sh [RUNS] [BUILD_DIR] [-- extra program options, e.g. --simulate]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-10}"
build="${2:-build/default}"
shift $(( $# < 2 ? $# : 2 ))
[ "${1:-}" = "--" ] && shift
program="$build/shell/veltra-adjust"
if [ ! -x "$program" ]; then
  echo "no $program: build the target veltra-adjust first" >&2
  exit 1
fi
if [ ! -x /usr/bin/time ]; then
  echo "needs /usr/bin/time (GNU time)" >&2
  exit 1
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
printf '%4s %10s %10s %10s\n' run wall_ms shown_ms peak_kib
for i in $(seq 1 "$runs"); do
  QT_QPA_PLATFORM=offscreen /usr/bin/time -f '%e %M' -o "$tmp/time" \
    "$program" --exit-when-shown "$@" >"$tmp/out" 2>/dev/null
  read -r wall_s peak_kib <"$tmp/time"
  wall_ms=$(awk -v s="$wall_s" 'BEGIN { printf "%d", s * 1000 }')
  shown_ms=$(sed -n 's/^shown_ms=//p' "$tmp/out")
  printf '%4d %10d %10s %10d\n' "$i" "$wall_ms" "${shown_ms:-?}" "$peak_kib"
  echo "$wall_ms ${shown_ms:-0} $peak_kib" >>"$tmp/all"
done

summary() {  # column name
  sort -n | awk -v name="$1" '{ v[NR] = $1 } END {
    printf "%-9s min %6d  median %6d  max %6d\n", name, v[1], v[int((NR + 1) / 2)], v[NR] }'
}
echo
cut -d' ' -f1 "$tmp/all" | summary wall_ms
cut -d' ' -f2 "$tmp/all" | summary shown_ms
cut -d' ' -f3 "$tmp/all" | summary peak_kib
