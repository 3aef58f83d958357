#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages only, and nothing when
# everything is there. Run as root or with sudo available.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev libgmock-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xauth imagemagick
  clang libclang-rt-14-dev
)
# 32-bit Wine, for running the real i686 lull.exe where the machine can run 32-bit code.
packages_i386=(wine32:i386)

missing=()
for package in "${packages[@]}" "${packages_i386[@]}"; do
  dpkg -s "$package" > /dev/null 2>&1 || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" > /dev/null
