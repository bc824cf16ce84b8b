#!/usr/bin/env bash
# Takes the picture of the settings dialog shown in the README: the dialog inside a Wine
# virtual desktop (which draws the frame and caption as Windows does), Japanese locale,
# with a music file chosen.
#   scripts/screenshot-dialog.sh [build/win64/Fluttera.scr] [docs/settings-dialog.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export PYTHONPATH=$root/tests${PYTHONPATH:+:$PYTHONPATH}
if [ -z "${FLUTTERA_OWN_XVFB:-}" ]; then  # run again on an X server of its own
  exec env FLUTTERA_OWN_XVFB=1 python3 -m fluttera_test.xvfb --size 1024x768 -- bash "$0" "$@"
fi
scr=$(realpath "${1:-build/win64/Fluttera.scr}")
out=$(realpath -m "${2:-docs/settings-dialog.png}")
. "$root/scripts/wine-env.sh"
fluttera_wine_for win64
fluttera_quiet_wine
wine=$FLUTTERA_WINE
wineserver=$FLUTTERA_WINESERVER

work=$(mktemp -d /tmp/fluttera-shot-XXXXXX)
export WINEPREFIX=$work/prefix
trap '"$wineserver" -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w
# The close box's glyph comes from Wine's Marlett (package fonts-wine).
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
dir=$WINEPREFIX/drive_c/Fluttera
mkdir -p "$dir" "$WINEPREFIX/drive_c/Music"
cp "$scr" "$dir/Fluttera.scr"
touch "$WINEPREFIX/drive_c/Music/sakura.mp3"
printf '[Section]\r\n花びらの数= 300\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=C:\\Music\\sakura.mp3\r\n' |
  iconv -f utf-8 -t cp932 >"$dir/Fluttera.ini"

xdotool mousemove 5 5
(cd "$dir" && LC_ALL=ja_JP.UTF-8 "$wine" explorer /desktop=shot,800x600 'C:\Fluttera\Fluttera.scr' /c \
  >/dev/null 2>&1 &)
sleep 8
# The dialog is 471 x 216 with its frame, placed by the program in the 800 x 600 desktop.
mkdir -p "$(dirname "$out")"
import -window root -crop 471x216+164+128 +repage "$out"
echo "$out"
