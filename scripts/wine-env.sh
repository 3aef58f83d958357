# shellcheck shell=bash
# Sourced by the scripts that run lull.exe under Wine: chooses the Wine, the programs to
# run, and the project's private prefix (never the user's ~/.wine).
#
# The product is the 32-bit lull.exe, and the tests always run that very file where the
# machine can run 32-bit code at all:
# - natively: a 32-bit prefix, build/wineprefix, with the 32-bit driver;
# - only under qemu-i386 (a kernel without 32-bit support, see scripts/setup.sh): a 64-bit
#   prefix, build/wineprefix64, where Wine's own processes and the x86_64 driver run
#   natively and only lull.exe runs under the emulator. A 32-bit prefix works there too
#   (LULL_WINE_ARCH=win32), but every one of Wine's own processes is then emulated, and
#   now and then one of them crashes under qemu, failing a test for no fault of lull.exe;
# - not at all: the 64-bit prefix runs the same sources built for x86_64.
# Wine reports every Windows version to 32-bit and 64-bit programs alike.
# LULL_WINE_ARCH=win32 or win64 chooses the prefix, LULL_EXE the lull.exe to run.

lull_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

lull_runs_32bit() {
  [ -x /usr/lib/wine/wine ] && timeout 20 /usr/lib/wine/wine --version > /dev/null 2>&1
}

lull_32bit_emulated() {
  grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386
}

# Under qemu-i386 every 32-bit Wine process spends some 40 seconds of processor time
# setting up its address space unless scripts/qemu_mmap_shim.c is preloaded into it (the
# file says why). The loader picks the library of the process's own kind through $LIB: the
# shim for 32-bit processes, an empty library for 64-bit ones (wineserver, wine64).
lull_preload_qemu_shim() {
  local source=$lull_root/scripts/qemu_mmap_shim.c
  local shim=$lull_root/build/qemu-shim
  local shim32=$shim/lib/i386-linux-gnu/liblull_mmap.so
  local shim64=$shim/lib/x86_64-linux-gnu/liblull_mmap.so
  if [ ! -f "$shim32" ] || [ "$source" -nt "$shim32" ] || [ ! -f "$shim64" ]; then
    mkdir -p "$(dirname "$shim32")" "$(dirname "$shim64")"
    gcc -m32 -O2 -fPIC -shared -nostdlib -fno-stack-protector "$source" -o "$shim32.$$" &&
      mv -f "$shim32.$$" "$shim32" || return 0
    echo 'void lull_mmap_shim_64(void) {}' |
      gcc -x c -O2 -fPIC -shared -nostdlib - -o "$shim64.$$" && mv -f "$shim64.$$" "$shim64"
  fi
  case ":${LD_PRELOAD:-}:" in
    *liblull_mmap.so*) ;;
    *) export LD_PRELOAD="$shim/\$LIB/liblull_mmap.so${LD_PRELOAD:+:$LD_PRELOAD}" ;;
  esac
}

lull_has_32bit=no
if lull_runs_32bit; then lull_has_32bit=yes; fi
if [ "$lull_has_32bit" = yes ] && lull_32bit_emulated; then
  lull_has_32bit=emulated
  lull_preload_qemu_shim
fi

if [ -z "${LULL_WINE_ARCH:-}" ]; then
  if [ "$lull_has_32bit" = yes ]; then LULL_WINE_ARCH=win32; else LULL_WINE_ARCH=win64; fi
fi
export LULL_WINE_ARCH
export WINEARCH=$LULL_WINE_ARCH
if [ "$LULL_WINE_ARCH" = win32 ]; then
  LULL_WINE=/usr/lib/wine/wine
  LULL_BUILD=$lull_root/build/win32
  export WINEPREFIX=$lull_root/build/wineprefix
else
  LULL_WINE=/usr/lib/wine/wine64
  LULL_BUILD=$lull_root/build/win64
  export WINEPREFIX=$lull_root/build/wineprefix64
  export WINELOADER=$LULL_WINE
fi
if [ -z "${LULL_EXE:-}" ]; then
  if [ "$lull_has_32bit" = no ]; then
    LULL_EXE=$lull_root/build/win64/lull.exe
  else
    LULL_EXE=$lull_root/build/win32/lull.exe
  fi
fi
export LULL_WINE LULL_BUILD LULL_EXE
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts in the private prefix, and no menu entries from it.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}

# The prefix's settings for the tests. Unmanaged windows: without a window manager (Xvfb),
# Wine waits about two seconds whenever a window is hidden unless its windows are
# unmanaged. A debugger that does not exist: a program that crashes then ends at once
# (winedbg, the default, hangs under qemu-i386 until the test times out).
lull_prefix_settings() {
  cat << 'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="no-debugger-for-lull-tests"

[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="no-debugger-for-lull-tests"
REG
}

# Creates the prefix on first use, and brings its settings up to date. A 64-bit prefix
# made while 32-bit code could not run lacks its 32-bit half, and is made again.
lull_prepare_prefix() {
  if [ "$WINEARCH" = win64 ] && [ "$lull_has_32bit" != no ] && [ -f "$WINEPREFIX/system.reg" ] &&
    [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    wineserver -k 2> /dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  local created=no
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX ($WINEARCH); this takes a minute or two." >&2
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$LULL_WINE" wineboot -i > "$WINEPREFIX.log" 2>&1 || true
    created=yes
  fi
  local settings=$WINEPREFIX/lull-settings.reg
  if ! lull_prefix_settings | cmp -s - "$settings"; then
    lull_prefix_settings > "$settings"
    "$LULL_WINE" regedit /S "$(to_windows "$settings")" >> "$WINEPREFIX.log" 2>&1
  fi
  [ "$created" = no ] || wineserver -w
  # Wine's own MS Sans Serif and Marlett (the caption buttons): without them the pages are
  # drawn in a wider substitute font, which cuts labels off, and the caption buttons as
  # letters.
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/sserife*.fon \
      /usr/share/wine/fonts/ms_sans_serif.ttf /usr/share/wine/fonts/small_fonts.ttf "$fonts/"
  fi
}

# A Linux path as Wine's programs see it: on drive Z:, with backslashes.
to_windows() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }

# Starts a virtual X display of its own on the first free number from :90 on, and sets
# DISPLAY to it and lull_xvfb_pid to the server's process.
lull_start_xvfb() {
  local number
  for number in $(seq 90 130); do
    { [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; } && continue
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
    lull_xvfb_pid=$!
    sleep 1
    if kill -0 "$lull_xvfb_pid" 2> /dev/null; then
      export DISPLAY=:$number
      return 0
    fi
  done
  echo "cannot start Xvfb" >&2
  return 1
}

# Sets the Windows version Wine reports to programs started from now on.
lull_set_windows_version() {
  "$LULL_WINE" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f > /dev/null 2>&1
}
