# Which Wine this machine runs the saver with; sourced by the scripts (bash).
#
# The product is the 32-bit build, run under 32-bit Wine in a 32-bit Wine folder. Some
# kernels cannot run 32-bit programs at all (32-bit Wine then fails with "Exec format
# error"); there the same source built for x86_64 runs under 64-bit Wine.

# Debian's Wine programs: the 64-bit loader runs everywhere, the 32-bit one (FLUTTERA_WINE32
# names another to try) only where the kernel runs 32-bit programs.
FLUTTERA_WINE32=${FLUTTERA_WINE32:-/usr/lib/wine/wine}
FLUTTERA_WINE64=/usr/lib/wine/wine64
FLUTTERA_WINESERVER64=/usr/lib/wine/wineserver64
FLUTTERA_WINESERVER32=/usr/lib/wine/wineserver32
# What the tests and run.sh run Wine with: no Mono or Gecko installer, no menu entries.
FLUTTERA_WINEDLLOVERRIDES="mscoree,mshtml=d;winemenubuilder.exe=d"

# fluttera_wine_for win32|win64: sets FLUTTERA_PRESET (the CMake preset), FLUTTERA_WINE,
# FLUTTERA_WINESERVER and exports WINEARCH to match.
fluttera_wine_for() {
  if [ "$1" = win32 ]; then
    FLUTTERA_PRESET=win32 FLUTTERA_WINE=$FLUTTERA_WINE32 FLUTTERA_WINESERVER=$FLUTTERA_WINESERVER32
  else
    FLUTTERA_PRESET=win64 FLUTTERA_WINE=$FLUTTERA_WINE64 FLUTTERA_WINESERVER=$FLUTTERA_WINESERVER64
  fi
  export WINEARCH=$FLUTTERA_PRESET
}

# The Wine of this machine: 32-bit where its loader starts, else 64-bit (fluttera_wine_for).
fluttera_choose_wine() {
  if "$FLUTTERA_WINE32" --version >/dev/null 2>&1; then
    fluttera_wine_for win32
  else
    fluttera_wine_for win64
  fi
}

# Exports the quiet Wine environment (WINEDEBUG unless already set, WINEDLLOVERRIDES).
fluttera_quiet_wine() {
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=$FLUTTERA_WINEDLLOVERRIDES
}

# One line saying which path was taken.
fluttera_wine_said() {
  if [ "$FLUTTERA_PRESET" = win32 ]; then
    echo "This kernel runs 32-bit programs: the 32-bit build under 32-bit Wine (WINEARCH=win32)."
  else
    echo "This kernel cannot run 32-bit programs: the x86_64 build under 64-bit Wine (WINEARCH=win64)."
  fi
}

# The layout of an existing Wine folder (win32 or win64), or nothing when there is none yet.
fluttera_prefix_arch() {
  sed -n 's/^#arch=//p' "$1/system.reg" 2>/dev/null | head -n 1 || true
}

# fluttera_fit_prefix FOLDER OWNER: makes sure the Wine folder suits WINEARCH. A folder of
# the other layout cannot be used (Wine refuses it): when OWNER is "ours" it is made anew,
# otherwise (the user's own WINEPREFIX) it is left alone and this fails.
fluttera_fit_prefix() {
  local have
  have=$(fluttera_prefix_arch "$1")
  if [ -z "$have" ] || [ "$have" = "$WINEARCH" ]; then
    return 0
  fi
  if [ "$2" != ours ]; then
    echo "The Wine folder $1 is a $have one; it cannot serve $WINEARCH. Choose another WINEPREFIX." >&2
    return 1
  fi
  echo "The Wine folder $1 is a $have one, left by an earlier run: making it anew as $WINEARCH."
  if [ "$have" = win64 ]; then
    WINEPREFIX="$1" "$FLUTTERA_WINESERVER64" -k >/dev/null 2>&1 || true
  fi
  rm -rf -- "$1"
}
