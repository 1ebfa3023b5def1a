#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, only those missing.
#   scripts/install-deps.sh [checks] [fuzz] [windows] [kernel]
# "checks" adds clang-tidy (the static checks of CI); "fuzz" adds clang and libFuzzer;
# "windows" adds the Windows cross build and its test runs (MinGW-w64, GoogleTest sources, Wine).
# "kernel" adds the USB printer rig of tests/kernel (QEMU, a static busybox, xz for modules).
set -euo pipefail
packages=(
  build-essential cmake ninja-build clang-format pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libpng-dev
  libgtest-dev libgmock-dev libcli11-dev libfmt-dev nlohmann-json3-dev
  fonts-dejavu-core
  help2man desktop-file-utils dpkg-dev
)
for group in "$@"; do
  case "$group" in
    checks) packages+=(clang-tidy) ;;
    fuzz) packages+=(clang libfuzzer-14-dev) ;;
    windows) packages+=(g++-mingw-w64-x86-64-posix googletest wine wine64) ;;
    kernel) packages+=(qemu-system-x86 busybox-static xz-utils) ;;
    *) echo "unknown package group: $group" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
