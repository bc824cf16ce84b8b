#!/usr/bin/env bash
# From a fresh Debian 12 machine (as root): installs what is missing, builds the saver and
# runs "Fluttera.scr /s" under Wine. With no X display it runs under its own Xvfb, takes a
# screenshot after a few seconds and ends the saver with a key press.
# Usage: scripts/run.sh [switch ...]   (default /s; for example /c for the settings dialog)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
args=("$@")
[ ${#args[@]} -gt 0 ] || args=(/s)

bash scripts/install-deps.sh

# The product is the 32-bit build. Where the kernel cannot run 32-bit programs (so
# 32-bit Wine cannot start), the same source built for x86_64 runs under 64-bit Wine.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=win32; wine=/usr/lib/wine/wine; server=/usr/lib/wine/wineserver32
  export WINEPREFIX=${WINEPREFIX:-$HOME/.fluttera-wine32}
else
  preset=win64; wine=/usr/lib/wine/wine64; server=/usr/lib/wine/wineserver64
  export WINEPREFIX=${WINEPREFIX:-$HOME/.fluttera-wine64}
  echo "32-bit programs cannot run on this kernel: running the x86_64 build under 64-bit Wine."
fi
cmake --preset "$preset" >/dev/null
cmake --build "build/$preset" -j2 --target Fluttera

export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=d;winemenubuilder.exe=d"
program_dir="$WINEPREFIX/drive_c/Fluttera"
mkdir -p "$program_dir"
cp "build/$preset/Fluttera.scr" "$program_dir/"

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:77
  Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
fi
"$wine" wineboot -i >/dev/null 2>&1 || true
if [ -n "$xvfb_pid" ]; then
  # No window manager here: keep Wine from waiting for one when a window hides.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  "$server" -w || true
  # Wine's desktop paints the X root black when it starts: start it first (a switch that
  # ends at once does), keep it, then put a desktop picture on the root to fall over.
  "$server" -p || true
  "$wine" 'C:\Fluttera\Fluttera.scr' /a || true
  convert -size 1280x800 gradient:'#3a6ea5-#a5c8e6' -fill '#f0f0f0' -draw 'rectangle 60,60 420,300' \
    -fill '#303030' -draw 'rectangle 90,90 390,120' -fill '#e8c060' -draw 'circle 1100,160 1100,220' \
    /tmp/fluttera-desktop.png
  display -window root /tmp/fluttera-desktop.png || true  # it sets the picture, then answers 1
fi

cd "$program_dir"
if [ -n "$xvfb_pid" ]; then
  "$wine" 'C:\Fluttera\Fluttera.scr' "${args[@]}" &
  sleep 12
  shot="$root/build/run-screenshot.png"
  import -window root "$shot"
  echo "Screenshot of the running program: $shot"
  xdotool key space || true
  sleep 2
  "$server" -k || true
  kill "$xvfb_pid" 2>/dev/null || true
else
  echo "Running Fluttera.scr ${args[*]} on $DISPLAY; press a key or click to end the saver."
  "$wine" 'C:\Fluttera\Fluttera.scr' "${args[@]}"
fi
