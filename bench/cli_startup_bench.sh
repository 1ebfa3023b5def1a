#!/usr/bin/env bash
# Start-up of the command line: wall time from process start to "Ready to print." on the built-in
# virtual printer (veltra-adjust-cli --simulate status: link start, status read, link close), the
# processor time it took (user + system; steadier than wall time on a busy machine) and peak
# memory, over several runs. Most of the wall time is the link's own pauses, which are real time.
# The printer's EEPROM file lives in a temporary folder.
#   bench/cli_startup_bench.sh [RUNS] [PROGRAM]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/timed_runs.sh
runs="${1:-20}"
program="${2:-build/default/cli/veltra-adjust-cli}"

timed_runs_begin "$program" veltra-adjust-cli wall_ms cpu_ms peak_kib
for i in $(seq 1 "$runs"); do
  /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" \
    "$program" --simulate --sim-eeprom "$tmp/printer.eeprom" status >"$tmp/out" 2>"$tmp/err"
  if [ "$(cat "$tmp/out")" != "Ready to print." ]; then
    echo "run $i did not end with \"Ready to print.\":" >&2
    cat "$tmp/out" "$tmp/err" >&2
    exit 1
  fi
  read -r wall_s user_s sys_s peak_kib <"$tmp/time"
  timed_runs_row "$i" "$(timed_runs_ms "$wall_s")" "$(timed_runs_ms "$user_s" "$sys_s")" "$peak_kib"
done
timed_runs_end
