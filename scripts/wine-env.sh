# Sourced by the scripts that run lull.exe under Wine: chooses the Wine and the build to
# run, and the project's private prefix (never the user's ~/.wine).
#
# The product is the 32-bit lull.exe, and it runs in a 32-bit prefix wherever the machine
# can run 32-bit code. Where it cannot (a kernel without 32-bit support: Wine's own
# 32-bit loader does not start, or only under an emulator, at minutes per process), the
# same sources built for x86_64 run in a 64-bit prefix instead; Wine reports every
# Windows version to either. LULL_WINE_ARCH=win32 or win64 overrides the choice.

lull_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

lull_can_run_32bit() {
  # An emulator registered for 32-bit programs would run them, but far too slowly.
  if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then return 1; fi
  [ -x /usr/lib/wine/wine ] && timeout 20 /usr/lib/wine/wine --version > /dev/null 2>&1
}

if [ -z "${LULL_WINE_ARCH:-}" ]; then
  if lull_can_run_32bit; then LULL_WINE_ARCH=win32; else LULL_WINE_ARCH=win64; fi
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
export LULL_WINE LULL_BUILD
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts in the private prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Creates the prefix on first use. Without a window manager (Xvfb), Wine waits about two
# seconds whenever a window is hidden unless its windows are unmanaged.
lull_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX ($WINEARCH); this takes a minute or two." >&2
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$LULL_WINE" wineboot -i > "$WINEPREFIX.log" 2>&1 || true
    "$LULL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >> "$WINEPREFIX.log" 2>&1
    wineserver -w
  fi
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

# Sets the Windows version Wine reports to programs started from now on.
lull_set_windows_version() {
  "$LULL_WINE" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f > /dev/null 2>&1
}
