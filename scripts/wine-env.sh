# Which Wine this machine runs the saver with; sourced by the scripts (bash).
#
# The product is the 32-bit build, run under 32-bit Wine in a 32-bit Wine folder. Some
# kernels cannot run 32-bit programs at all (32-bit Wine then fails with "Exec format
# error"); there the same source built for x86_64 runs under 64-bit Wine.

# Debian's Wine programs: the 64-bit loader runs everywhere, the 32-bit one (FLUTTERA_WINE32
# names another) only where the kernel runs 32-bit programs.
FLUTTERA_WINE32=${FLUTTERA_WINE32:-/usr/lib/wine/wine}
FLUTTERA_WINE64=/usr/lib/wine/wine64
FLUTTERA_WINESERVER64=/usr/lib/wine/wineserver64
FLUTTERA_WINESERVER32=/usr/lib/wine/wineserver32
# What only 32-bit Wine needs, installed only where it runs (install-deps.sh): 32-bit Wine
# itself, and what it opens only at run time, so that no package it depends on brings it: the
# 32-bit GStreamer plugins (MP3 through the "MPEGVideo" device), and the X libraries its X11
# driver tries in turn (RandR and Xinerama: without them it sees one monitor the size of the
# whole X screen; cursors, XInput2, Composite, video modes), as its failed opens showed.
FLUTTERA_WINE32_PACKAGES=(wine32:i386 gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  libxrandr2:i386 libxinerama1:i386 libxcursor1:i386 libxi6:i386 libxcomposite1:i386 libxxf86vm1:i386)
# Written by install-deps.sh when the archive could not give the 32-bit set; while 32-bit Wine
# is missing, it makes the 64-bit path the choice on a kernel that runs 32-bit programs.
FLUTTERA_WINE32_UNAVAILABLE=${FLUTTERA_WINE32_UNAVAILABLE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine32-unavailable}
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

# fluttera_kernel_runs_32bit: whether this kernel runs 32-bit x86 programs, asked of a
# program of our own: a 96-byte static i386 ELF that only exits with status 32. Wine plays
# no part, so a missing or broken 32-bit Wine is never taken for such a kernel. Only the
# kernel's refusal of the format ("Exec format error") says no; the probe lives in the build
# folder, where programs run (a temporary folder may be mounted noexec). Returns 0 (yes),
# 1 (no) or 2 (the probe could not tell), with FLUTTERA_KERNEL32_WHY saying what it said.
fluttera_kernel_runs_32bit() {
  local dir probe rc
  dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build
  probe=$dir/probe32-$$
  if ! mkdir -p "$dir" || ! printf '%b' '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08' \
    '\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0' \
    '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x60\0\0\0\x60\0\0\0\x05\0\0\0\0\x10\0\0' \
    '\xb8\x01\0\0\0\xbb\x20\0\0\0\xcd\x80' > "$probe" || ! chmod +x "$probe"; then
    FLUTTERA_KERNEL32_WHY="the 32-bit probe could not be written to $dir"
    rm -f -- "$probe"
    return 2
  fi
  # In the C locale, so that the refusal reads the same everywhere; bash itself starts it
  # (a refused format is no script to hand to /bin/sh, as env would), in a child.
  FLUTTERA_KERNEL32_WHY=$( (LC_ALL=C; "$probe"; exit $?) 2>&1)
  rc=$?
  rm -f -- "$probe"
  FLUTTERA_KERNEL32_WHY=$(printf '%s' "$FLUTTERA_KERNEL32_WHY" | tail -n 1 |
    sed 's/^.*line [0-9]*: //; s/^[^:]*probe32-[0-9]*: //')
  [ "$rc" = 32 ] && return 0
  case $rc:$FLUTTERA_KERNEL32_WHY in
    "126:cannot execute binary file: Exec format error") return 1 ;;
  esac
  FLUTTERA_KERNEL32_WHY="the 32-bit probe $probe ended with status $rc${FLUTTERA_KERNEL32_WHY:+: $FLUTTERA_KERNEL32_WHY}"
  return 2
}

# The Wine of this machine: 32-bit where the kernel runs 32-bit programs, else 64-bit
# (fluttera_wine_for). FLUTTERA_ARCH=win64 (or win32) takes that path whatever the kernel.
fluttera_choose_wine() {
  case "${FLUTTERA_ARCH:-}" in
    win32|win64) fluttera_wine_for "$FLUTTERA_ARCH"; return ;;
    "") ;;
    *) echo "FLUTTERA_ARCH=$FLUTTERA_ARCH: win32 or win64 expected" >&2 ;;
  esac
  local kernel=0
  fluttera_kernel_runs_32bit || kernel=$?
  case $kernel in
    0) if fluttera_wine32_unavailable; then fluttera_wine_for win64; else fluttera_wine_for win32; fi ;;
    1) fluttera_wine_for win64 ;;
    *) echo "Cannot tell whether this kernel runs 32-bit programs: $FLUTTERA_KERNEL32_WHY" >&2; return 1 ;;
  esac
}

# Exports the quiet Wine environment (WINEDEBUG unless already set, WINEDLLOVERRIDES).
fluttera_quiet_wine() {
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=$FLUTTERA_WINEDLLOVERRIDES
}

# Whether 32-bit Wine is missing because the set-up could not install it (the reason is in
# FLUTTERA_WINE32_UNAVAILABLE); a 32-bit Wine missing for any other reason is no excuse.
fluttera_wine32_unavailable() {
  [ ! -e "$FLUTTERA_WINE32" ] && [ -s "$FLUTTERA_WINE32_UNAVAILABLE" ]
}

# Why the 32-bit programs are not run on this path, for the test command's "not run" lines.
fluttera_not_32bit_why() {
  if [ -n "${FLUTTERA_ARCH:-}" ]; then
    echo "FLUTTERA_ARCH=$FLUTTERA_ARCH chose the 64-bit path"
  elif fluttera_kernel_runs_32bit && fluttera_wine32_unavailable; then
    echo "32-bit Wine could not be installed: $(cat "$FLUTTERA_WINE32_UNAVAILABLE")"
  else
    fluttera_kernel_runs_32bit || true
    echo "this kernel cannot run 32-bit programs ($FLUTTERA_KERNEL32_WHY)"
  fi
}

# One line saying which path was taken.
fluttera_wine_said() {
  if [ -n "${FLUTTERA_ARCH:-}" ]; then
    echo "FLUTTERA_ARCH=$FLUTTERA_ARCH: the $([ "$FLUTTERA_PRESET" = win32 ] && echo 32-bit build under 32-bit || echo x86_64 build under 64-bit) Wine (WINEARCH=$FLUTTERA_PRESET), whatever the kernel."
  elif [ "$FLUTTERA_PRESET" = win32 ]; then
    echo "This kernel runs 32-bit programs: the 32-bit build under 32-bit Wine (WINEARCH=win32)."
  elif fluttera_wine32_unavailable; then
    echo "This kernel runs 32-bit programs, but 32-bit Wine could not be installed: $(cat "$FLUTTERA_WINE32_UNAVAILABLE"). The x86_64 build under 64-bit Wine (WINEARCH=win64) stands in until it can be."
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
