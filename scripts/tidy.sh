#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy over the core (link/, codes/, patterns/,
# procedures/), in parallel; any finding fails. Needs the compile commands of a configured build
# (default: build/default).
#   scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
if [ ! -f "$build/compile_commands.json" ]; then
  cmake --preset default >/dev/null
fi
git ls-files -z 'link/*.cpp' 'codes/*.cpp' 'patterns/*.cpp' 'procedures/*.cpp' |
  xargs -0 -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-tidy: clean"
