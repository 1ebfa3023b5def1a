#!/usr/bin/env bash
# Fails on any formatting difference from .clang-format in the tracked C++ files.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "format: clean ($(git ls-files '*.cpp' '*.h' | wc -l) files)"
