#!/usr/bin/env bash
# Takes the README's picture of fluttera under XScreenSaver: a desktop with a few X
# programs on it, the real daemon (run as the test user, since it will not run hacks as
# root) set to run `fluttera --root`, activated, and the screen taken after a while.
#   scripts/screenshot-hack.sh [build/native/fluttera] [docs/linux-xscreensaver.png] [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${FLUTTERA_OWN_XVFB:-}" ]; then  # run again on an X server of its own
  # -ac: the daemon runs as another user.
  exec env FLUTTERA_OWN_XVFB=1 PYTHONPATH="$root/tests" python3 -m fluttera_test.xvfb \
    --xvfb-arg -ac --xvfb-arg -noreset -- bash "$0" "$@"
fi
hack=$(realpath "${1:-build/native/fluttera}")
out=$(realpath -m "${2:-docs/linux-xscreensaver.png}")
wait=${3:-40}
user=fluttera-test
id "$user" >/dev/null 2>&1 || useradd -m -s /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)

work=$(mktemp -d /tmp/fluttera-hackshot-XXXXXX)
chmod 755 "$work"
cp "$hack" "$work/fluttera"
pids=()
as_user() { runuser -u "$user" -- env DISPLAY="$DISPLAY" HOME="$home" "$@"; }
cleanup() {
  as_user xscreensaver-command -exit >/dev/null 2>&1 || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

convert -size 1280x800 gradient:#2b5876-#4e4376 "$work/desktop.png"
display -window root "$work/desktop.png" || true
xclock -geometry 180x180+90+90 -update 1 & pids+=($!)
xeyes -geometry 200x120+1000+560 & pids+=($!)
xlogo -geometry 160x160+1040+80 & pids+=($!)
sleep 1

cat > "$home/.xscreensaver" <<CONF
timeout:	1:00:00
lock:	False
fade:	False
unfade:	False
splash:	False
mode:	one
selected:	0
grabDesktopImages:	True
grabVideoFrames:	False
chooseRandomImages:	False
programs:	$work/fluttera --root	\n
CONF
chown "$user": "$home/.xscreensaver"
as_user xscreensaver -no-splash >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do as_user xscreensaver-command -version >/dev/null 2>&1 && break; sleep 0.2; done
as_user xscreensaver-command -activate
sleep "$wait"
mkdir -p "$(dirname "$out")"
import -window root "$out"
echo "$out"
