#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy over the core (link/, codes/, patterns/,
# procedures/), in parallel; any finding fails. Needs the compile commands of a configured build
# (default: build/default).
#   scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
# clang-tidy is not among the packages the build needs: bring it in the way CI does.
if ! command -v clang-tidy >/dev/null; then
  echo "clang-tidy is not installed: installing it (scripts/install-deps.sh checks)."
  scripts/install-deps.sh checks
fi
if [ ! -f "$build/compile_commands.json" ]; then
  cmake --preset default >/dev/null
fi
# The real Win32 calls are compiled only in the Windows build, so they have no compile command here.
git ls-files -z 'link/*.cpp' 'codes/*.cpp' 'patterns/*.cpp' 'procedures/*.cpp' \
    ':!link/Win32SystemCalls.cpp' |
  xargs -0 -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-tidy: clean"
