#!/usr/bin/env bash
# Start-up of the command line: wall time from process start to "Ready to print." on the built-in
# virtual printer (veltra-adjust-cli --simulate status: link start, status read, link close), the
# processor time it took (user + system; steadier than wall time on a busy machine) and peak
# memory, over several runs. Most of the wall time is the link's own pauses, which are real time. The printer's EEPROM file lives in a temporary folder.
#   bench/cli_startup_bench.sh [RUNS] [PROGRAM]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-20}"
program="${2:-build/default/cli/veltra-adjust-cli}"
if [ ! -x "$program" ]; then
  echo "no $program: build the target veltra-adjust-cli first" >&2
  exit 1
fi
if [ ! -x /usr/bin/time ]; then
  echo "needs /usr/bin/time (GNU time)" >&2
  exit 1
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
printf '%4s %10s %10s %10s\n' run wall_ms cpu_ms peak_kib
for i in $(seq 1 "$runs"); do
  /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" \
    "$program" --simulate --sim-eeprom "$tmp/printer.eeprom" status >"$tmp/out" 2>"$tmp/err"
  if [ "$(cat "$tmp/out")" != "Ready to print." ]; then
    echo "run $i did not end with \"Ready to print.\":" >&2
    cat "$tmp/out" "$tmp/err" >&2
    exit 1
  fi
  read -r wall_s user_s sys_s peak_kib <"$tmp/time"
  wall_ms=$(awk -v s="$wall_s" 'BEGIN { printf "%d", s * 1000 }')
  cpu_ms=$(awk -v u="$user_s" -v s="$sys_s" 'BEGIN { printf "%d", (u + s) * 1000 }')
  printf '%4d %10d %10d %10d\n' "$i" "$wall_ms" "$cpu_ms" "$peak_kib"
  echo "$wall_ms $cpu_ms $peak_kib" >>"$tmp/all"
done

summary() {  # column name
  sort -n | awk -v name="$1" '{ v[NR] = $1 } END {
    printf "%-9s min %6d  median %6d  max %6d\n", name, v[1], v[int((NR + 1) / 2)], v[NR] }'
}
echo
cut -d' ' -f1 "$tmp/all" | summary wall_ms
cut -d' ' -f2 "$tmp/all" | summary cpu_ms
cut -d' ' -f3 "$tmp/all" | summary peak_kib
