#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages only, and nothing when
# everything is there. Run as root or with sudo available.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev libgmock-dev python3
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick
  clang
)
# 32-bit Wine, for running the real i686 lull.exe where the machine can run 32-bit code.
packages_i386=(wine32:i386)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The packages of the arguments that are not installed, in one look at dpkg's database.
missing_of() {
  local installed
  installed=$(dpkg-query -W -f='${Package} ${Package}:${Architecture} ${db:Status-Abbrev}\n' \
    "$@" 2> /dev/null | awk '$3 == "ii" {print $1; print $2}')
  local package
  for package in "$@"; do
    grep -qxF "$package" <<< "$installed" || echo "$package"
  done
}

updated=no
install() {
  [ $# -gt 0 ] || return 0
  echo "Installing: $*"
  if [[ " $* " == *:i386\ * ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    updated=no
  fi
  if [ "$updated" = no ]; then
    as_root apt-get update -qq
    updated=yes
  fi
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "$@" > /dev/null
}

mapfile -t missing < <(missing_of "${packages[@]}" "${packages_i386[@]}")
install "${missing[@]}"

# The sanitizers and libFuzzer of the fuzz targets come with the runtime of the installed
# clang's own version.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
mapfile -t missing < <(missing_of "libclang-rt-$clang_major-dev")
install "${missing[@]}"

# Some virtual machines run a 64-bit kernel that refuses 32-bit programs ("Exec format
# error"), Wine's 32-bit loader among them. There, and only there, qemu-i386 runs them,
# registered with binfmt_misc until the next reboot, with the flags P (keep argv[0]), O
# (hand the emulator the open program) and F (open the emulator now). Without the C flag
# a set-user-id 32-bit program does not get its owner's rights. scripts/wine-env.sh makes
# Wine fast under it.
binfmt=/proc/sys/fs/binfmt_misc

# A 93-byte static i386 program that exits with code 42.
write_i386_probe() {
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
  printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
  printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00'
  printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
}

runs_i386() {
  local probe status=0
  probe=$(mktemp)
  write_i386_probe > "$probe"
  chmod +x "$probe"
  "$probe" 2> /dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

if ! grep -qs '^enabled' "$binfmt/qemu-i386" && ! runs_i386; then
  echo "setup: this kernel runs no 32-bit programs; registering qemu-i386 for them" \
    "(binfmt_misc, flags POF, until the next reboot)"
  mapfile -t missing < <(missing_of qemu-user)
  install "${missing[@]}"
  [ -e "$binfmt/register" ] || as_root mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ -e "$binfmt/qemu-i386" ]; then
    echo 1 | as_root tee "$binfmt/qemu-i386" > /dev/null
  else
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386:POF" |
      as_root tee "$binfmt/register" > /dev/null
  fi
  runs_i386 || echo "setup: this machine cannot run 32-bit programs, not even under qemu-i386" >&2
fi
