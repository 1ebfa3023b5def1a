# shellcheck shell=bash
# Shared part of the start-up benchmarks, sourced by them (not run on its own): the checks, the
# temporary folder, the table of runs and its summary.
#   timed_runs_begin PROGRAM TARGET COLUMN...   checks, makes $tmp, prints the table's header
#   timed_runs_row RUN VALUE...                  prints one run and keeps its values
#   timed_runs_end                               the min, median and max of every column
# Values are whole numbers; "?" is shown as it is and counted as 0.

timed_runs_begin() {
  local program="$1" target="$2"
  shift 2
  if [ ! -x "$program" ]; then
    echo "no $program: build the target $target first" >&2
    exit 1
  fi
  if [ ! -x /usr/bin/time ]; then
    echo "needs /usr/bin/time (GNU time)" >&2
    exit 1
  fi
  tmp="$(mktemp -d)"
  trap 'rm -rf "$tmp"' EXIT
  timed_runs_columns=("$@")
  printf '%4s' run
  printf ' %10s' "$@"
  printf '\n'
}

timed_runs_row() {
  local run="$1"
  shift
  printf '%4d' "$run"
  printf ' %10s' "$@"
  printf '\n'
  local kept=("${@/#\?/0}")
  echo "${kept[*]}" >>"$tmp/all"
}

# Milliseconds from seconds with a fraction, as /usr/bin/time gives them.
timed_runs_ms() {  # seconds...
  awk -v list="$*" 'BEGIN { n = split(list, s, " "); t = 0; for (i = 1; i <= n; i++) t += s[i]
    printf "%d", t * 1000 }'
}

timed_runs_end() {
  echo
  local column=1 name
  for name in "${timed_runs_columns[@]}"; do
    cut -d' ' -f"$column" "$tmp/all" | sort -n | awk -v name="$name" '{ v[NR] = $1 } END {
      printf "%-9s min %6d  median %6d  max %6d\n", name, v[1], v[int((NR + 1) / 2)], v[NR] }'
    column=$((column + 1))
  done
}
