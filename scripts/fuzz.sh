#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz") and runs each on its seed corpus for SECONDS seconds
# (default 30). New inputs go to a scratch folder, never into fuzz/corpus; a finding stops the
# run with the target's report and leaves the crashing input in build/fuzz/findings/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 3600 fuzz_link
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_link fuzz_replies fuzz_vprinter fuzz_print_stream)
fi
scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"
mkdir -p build/fuzz/findings
for t in "${targets[@]}"; do
  scratch="build/fuzz/scratch/$t"
  mkdir -p "$scratch"
  echo "== $t: ${seconds} s"
  set +e
  # -rss_limit_mb guards against a runaway input as the test time-outs do for the tests.
  "build/fuzz/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="build/fuzz/findings/$t-" \
    "$scratch" "fuzz/corpus/$t" 2>&1 |
    grep -E '^#[0-9]+ +(INITED|DONE)|stat::(number_of_executed_units|average_exec_per_sec)|ERROR|SUMMARY|==[0-9]+==|Test unit written'
  status=${PIPESTATUS[0]}
  set -e
  if [ "$status" -ne 0 ]; then
    echo "$t: finding (exit $status), input in build/fuzz/findings/" >&2
    exit 1
  fi
done
