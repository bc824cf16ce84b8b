#!/usr/bin/env bash
# From a fresh Debian 12 machine (as root): installs what is missing, builds the saver and
# runs "Fluttera.scr /s" under Wine. With no X display it runs under its own Xvfb, checks
# that the saver's window came up with petals over the desktop picture, takes a screenshot
# and ends the saver with a key press. Exits non-zero when the program did not come up, and
# before building anything when the X display it was given cannot be opened.
# Usage: scripts/run.sh [switch ...]   (default /s; for example /c for the settings dialog)
# FLUTTERA_SCR=PATH runs that program instead of a fresh build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
args=("$@")
[ ${#args[@]} -gt 0 ] || args=(/s)

# The tests' support package: the captions, the X server and the petal count.
export PYTHONPATH=$root/tests${PYTHONPATH:+:$PYTHONPATH}
# Without an X display this script runs again on an Xvfb of its own (marked by
# FLUTTERA_OWN_XVFB), which stops when the script ends.
own_xvfb=${FLUTTERA_OWN_XVFB:-}
# check_display: the display it was given answers, else one line and an end, before anything
# is built. Checked before the set-up where xdpyinfo is there already (x11-utils), and after.
check_display() {
  [ -n "${DISPLAY:-}" ] && [ -z "$own_xvfb" ] && command -v xdpyinfo >/dev/null || return 0
  timeout 10 xdpyinfo >/dev/null 2>&1 && return 0
  echo "Cannot open the X display DISPLAY=$DISPLAY (no X server answers there, or it does not let" \
    "this user in); leave DISPLAY unset to run on an Xvfb of this script's own." >&2
  exit 1
}
check_display
if [ -z "$own_xvfb" ]; then
  bash scripts/install-deps.sh
  check_display
  if [ -z "${DISPLAY:-}" ]; then
    exec env FLUTTERA_OWN_XVFB=1 python3 -m fluttera_test.xvfb -- bash "$root/scripts/run.sh" "$@"
  fi
fi
# The windows' captions, from the one header that defines them.
SAVER_CAPTION=$(python3 -m fluttera_test.captions SAVER)
DIALOG_CAPTION=$(python3 -m fluttera_test.captions DIALOG)

. scripts/wine-env.sh
fluttera_choose_wine
fluttera_wine_said
wine=$FLUTTERA_WINE server=$FLUTTERA_WINESERVER preset=$FLUTTERA_PRESET
if [ -n "${WINEPREFIX:-}" ]; then
  fluttera_fit_prefix "$WINEPREFIX" yours
else
  export WINEPREFIX=$HOME/.fluttera-wine${preset#win}
  fluttera_fit_prefix "$WINEPREFIX" ours
fi
echo "Wine folder: $WINEPREFIX"

# FLUTTERA_SCR runs another build of the program (a release file, say) instead of this one.
scr=${FLUTTERA_SCR:-}
if [ -z "$scr" ]; then
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j2 --target Fluttera
  scr="build/$preset/Fluttera.scr"
fi

fluttera_quiet_wine
program_dir="$WINEPREFIX/drive_c/Fluttera"
mkdir -p "$root/build"
shot="$root/build/run-screenshot.png"
rm -f "$shot"  # never leave an older run's picture to be taken for this one's

work=$(mktemp -d)
cleanup() {
  if [ -n "$own_xvfb" ]; then
    exec 4>&- || true
    "$server" -k >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
"$wine" wineboot -i >/dev/null 2>&1 || true
"$server" -w || true
mkdir -p "$program_dir"
cp "$scr" "$program_dir/Fluttera.scr"

# visible CAPTION: whether a window of that caption is shown.
visible() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
# wait_window PID CAPTION SECONDS: waits for the window while the program runs.
wait_window() {
  local end=$((SECONDS + $3))
  while [ $SECONDS -lt $end ]; do
    visible "$2" && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
case "${args[0],,}" in
  /s|-s|s) caption=$SAVER_CAPTION ;;
  /c*|-c*|c*) caption=$DIALOG_CAPTION ;;
  *) caption="" ;;
esac

if [ -z "$own_xvfb" ]; then
  echo "Running Fluttera.scr ${args[*]} on $DISPLAY; press a key or click to end the saver."
  cd "$program_dir"
  "$wine" 'C:\Fluttera\Fluttera.scr' "${args[@]}" &
  pid=$!
  if [ -n "$caption" ] && ! wait_window "$pid" "$caption" 60; then
    echo "The program did not start: its window \"$caption\" never appeared." >&2
    kill "$pid" 2>/dev/null || true
    exit 1
  fi
  wait "$pid"
  exit
fi

# No window manager here: keep Wine from waiting for one when a window hides.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
"$server" -w || true
convert -size 1280x800 gradient:'#3a6ea5-#a5c8e6' -fill '#f0f0f0' -draw 'rectangle 60,60 420,300' \
  -fill '#303030' -draw 'rectangle 90,90 390,120' -fill '#60b0e0' -draw 'circle 1100,160 1100,220' \
  "$work/desktop.png"
# Wine's desktop paints the X root black when it starts, and it ends soon after the last
# Wine program: start it, hold it with a program that waits for input, then put a desktop
# picture on the root for the saver to take its snapshot of.
"$server" -p || true
mkfifo "$work/hold"
"$wine" cmd /k <"$work/hold" >/dev/null 2>&1 &
exec 4>"$work/hold"
(cd "$program_dir" && "$wine" 'C:\Fluttera\Fluttera.scr' /a) || true
display -window root "$work/desktop.png" || true  # it sets the picture, then answers 1
sleep 0.5
import -window root "$work/before.png"

cd "$program_dir"
if [ -z "$caption" ]; then
  # Switches that open no window of their own: say how the program ended.
  rc=0
  timeout 60 "$wine" 'C:\Fluttera\Fluttera.scr' "${args[@]}" || rc=$?
  echo "Fluttera.scr ${args[*]} ended with exit code $rc."
  exit 0
fi
# Wine's messages go to a file, shown when the program does not come up.
wine_log="$root/build/run-wine.log"
"$wine" 'C:\Fluttera\Fluttera.scr' "${args[@]}" 2>"$wine_log" &
pid=$!
if ! wait_window "$pid" "$caption" 60; then
  echo "The program did not start: its window \"$caption\" never appeared. Wine said:" >&2
  tail -n 20 "$wine_log" >&2
  exit 1
fi
if [ "$caption" = "$SAVER_CAPTION" ]; then
  # Petals start hidden: look a few times until some are over the desktop picture.
  pink=0
  for _ in $(seq 10); do
    sleep 2
    import -window root "$work/shot.png"
    pink=$(python3 -m fluttera_test.pictures "$work/before.png" "$work/shot.png")
    [ "$pink" -ge 300 ] && break
  done
  if [ "$pink" -lt 300 ]; then
    echo "The saver's window came up, but no petals appeared over the desktop picture" \
         "($pink pink pixels changed)." >&2
    exit 1
  fi
  echo "Petals over the desktop picture: $pink pink pixels."
else
  sleep 3
  import -window root "$work/shot.png"
fi
cp "$work/shot.png" "$shot"
echo "Screenshot of the running program: $shot"
if [ "$caption" = "$SAVER_CAPTION" ]; then
  xdotool key space || true  # a key ends the saver, as it would for a person
  timeout 10 tail --pid="$pid" -f /dev/null || true
fi
