# Which Wine this machine runs the saver with; sourced by the scripts (bash).
#
# The product is the 32-bit build, run under 32-bit Wine in a 32-bit Wine folder. Some
# kernels cannot run 32-bit programs at all (32-bit Wine then fails with "Exec format
# error"); there the same source built for x86_64 runs under 64-bit Wine.

# Sets FLUTTERA_PRESET (the CMake preset: win32 or win64), FLUTTERA_WINE, FLUTTERA_WINESERVER
# and exports WINEARCH to match. FLUTTERA_WINE32 names the 32-bit Wine loader to try.
fluttera_choose_wine() {
  local wine32=${FLUTTERA_WINE32:-/usr/lib/wine/wine}
  if "$wine32" --version >/dev/null 2>&1; then
    FLUTTERA_PRESET=win32 FLUTTERA_WINE=$wine32 FLUTTERA_WINESERVER=/usr/lib/wine/wineserver32
  else
    FLUTTERA_PRESET=win64 FLUTTERA_WINE=/usr/lib/wine/wine64 FLUTTERA_WINESERVER=/usr/lib/wine/wineserver64
  fi
  export WINEARCH=$FLUTTERA_PRESET
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
    WINEPREFIX="$1" /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  fi
  rm -rf -- "$1"
}
