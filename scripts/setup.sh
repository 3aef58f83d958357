#!/usr/bin/env bash
# Installs what building, testing, make run and make dist need, from Debian's packages
# only, then checks that every program they call is there. Prints nothing when everything
# is there already; stops with one message naming what is still missing. Run as root or
# with sudo available.
#   LULL_SETUP_ROOT  the root under which the programs and binfmt_misc are looked for
#                    (default /): the set-up's test plays a machine there
set -euo pipefail
root=${LULL_SETUP_ROOT:-}

packages=(
  cmake make g++ git googletest libgtest-dev libgmock-dev python3 shellcheck
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick
  clang libclang-rt-dev
)
# 32-bit Wine, for running the real i686 lull.exe where the machine can run 32-bit code.
packages_i386=(wine32:i386)

# What the Makefile, the CMake lists and the scripts call, each with its package.
programs=(
  /usr/bin/cmake cmake
  /usr/bin/make make
  /usr/bin/git git
  /usr/bin/g++ g++
  /usr/bin/gcc g++
  /usr/bin/python3 python3
  /usr/bin/shellcheck shellcheck
  /usr/bin/i686-w64-mingw32-gcc g++-mingw-w64-i686-posix
  /usr/bin/i686-w64-mingw32-g++ g++-mingw-w64-i686-posix
  /usr/bin/i686-w64-mingw32-windres binutils-mingw-w64-i686
  /usr/bin/i686-w64-mingw32-objdump binutils-mingw-w64-i686
  /usr/bin/i686-w64-mingw32-strip binutils-mingw-w64-i686
  /usr/bin/x86_64-w64-mingw32-gcc g++-mingw-w64-x86-64-posix
  /usr/bin/x86_64-w64-mingw32-g++ g++-mingw-w64-x86-64-posix
  /usr/bin/x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64
  /usr/bin/x86_64-w64-mingw32-objdump binutils-mingw-w64-x86-64
  /usr/lib/wine/wine wine32:i386
  /usr/lib/wine/wine64 wine64
  /usr/bin/wineserver wine
  /usr/bin/Xvfb xvfb
  /usr/bin/convert imagemagick
  /usr/bin/clang++ clang
  # libFuzzer and the sanitizers of the fuzz targets, for the installed clang's version.
  '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' libclang-rt-dev
  '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.asan-x86_64.a' libclang-rt-dev
  '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.ubsan_standalone-x86_64.a' libclang-rt-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo > /dev/null; then
    sudo "$@"
  else
    echo "setup: installing packages needs root: run this as root, or install sudo" >&2
    exit 1
  fi
}

# The packages of the arguments that are not installed, in one look at dpkg's database.
# dpkg-query names each package it knows, installed or not, and fails when it does not
# know one, though it still names the others.
missing_of() {
  local installed
  installed=$(dpkg-query -W -f='${Package} ${Package}:${Architecture} ${db:Status-Abbrev}\n' \
    "$@" 2> /dev/null | awk '$3 == "ii" {print $1; print $2}' || true)
  local package
  for package in "$@"; do
    grep -qxF "$package" <<< "$installed" || echo "$package"
  done
}

# Installs the packages given, with one line saying so; apt's own output is shown only
# when it fails.
install() {
  [ $# -gt 0 ] || return 0
  echo "setup: installing $# Debian packages; the first run takes several minutes: $*"
  if [[ " $* " == *:i386\ * ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  local log status=0
  log=$(mktemp)
  # A mirror caught mid-sync fails one index now and then ("File has unexpected size"):
  # the update is tried again once, and the install then goes ahead with the lists there
  # are; only a failed install stops the set-up.
  as_root apt-get update -qq -o DPkg::Lock::Timeout=600 > "$log" 2>&1 ||
    { sleep 5; as_root apt-get update -qq -o DPkg::Lock::Timeout=600 >> "$log" 2>&1; } ||
    echo "setup: apt-get update failed; installing from the package lists there are" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "$@" >> "$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    cat "$log" >&2
    echo "setup: apt-get failed (exit $status), see above" >&2
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
}

# Some virtual machines run a 64-bit kernel that refuses 32-bit programs ("Exec format
# error"), Wine's 32-bit loader among them. There, and only there, qemu-i386 runs them,
# registered with binfmt_misc until the next reboot, with the flags P (keep argv[0]), O
# (hand the emulator the open program) and F (open the emulator now). Without the C flag
# a set-user-id 32-bit program does not get its owner's rights. scripts/wine-env.sh makes
# Wine fast under it.
binfmt=$root/proc/sys/fs/binfmt_misc

# A 93-byte static i386 program that exits with code 42.
write_i386_probe() {
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
  printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
  printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00'
  printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
}

# The probe is made under build/, not in /tmp, which may be mounted noexec: there it would
# not run however able the kernel, and qemu-i386 would be registered for nothing.
runs_i386() {
  local probe status=0 dir
  dir=$(cd "$(dirname "$0")/.." && pwd)/build
  mkdir -p "$dir"
  probe=$(mktemp -p "$dir" i386-probe.XXXXXX)
  write_i386_probe > "$probe"
  chmod +x "$probe"
  "$probe" 2> /dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

register_qemu=no
if ! grep -qs '^enabled' "$binfmt/qemu-i386" && ! runs_i386; then
  register_qemu=yes
  packages+=(qemu-user)
  programs+=(/usr/bin/qemu-i386 qemu-user)
fi

mapfile -t missing < <(missing_of "${packages[@]}" "${packages_i386[@]}")
install "${missing[@]}"

absent=()
for ((i = 0; i < ${#programs[@]}; i += 2)); do
  compgen -G "$root${programs[i]}" > /dev/null || absent+=("  ${programs[i]} (${programs[i + 1]})")
done
if [ ${#absent[@]} -gt 0 ]; then
  printf '%s\n' "setup: still missing after installing, each with the package it comes with:" \
    "${absent[@]}" >&2
  exit 1
fi

if [ "$register_qemu" = yes ]; then
  echo "setup: this kernel runs no 32-bit programs; registering qemu-i386 for them" \
    "(binfmt_misc, flags POF, until the next reboot)"
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
