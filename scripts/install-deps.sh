#!/usr/bin/env bash
# Installs everything the build, the tests and the saver under Wine need on Debian 12.
# Safe to run again: packages already present are left alone.
# With "deb": only what the Linux hack's package needs (scripts/package-deb.sh): no i386
# architecture, no Wine, no MinGW, no test tools.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

pkgs=(
  cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
  # The static analyzer (scripts/analyze.sh) and the reader of its compile commands.
  clang-tidy jq
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 fonts-wine
  xvfb xauth xdotool x11-utils x11-apps imagemagick
  # Several monitors: Xorg with the dummy driver, its outputs switched on with xrandr.
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  fonts-ipafont-gothic locales
  pulseaudio pulseaudio-utils sox libsox-fmt-all
  # 64-bit Wine decodes MP3 for the "MPEGVideo" device through the host's GStreamer
  # (decodebin, mpegaudioparse, mpg123audiodec).
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  python3
  # The release files: the MSI (wixl; msibuild from msitools completes its tables) and the zip;
  # faketime stops the clock for the tools that write the time of day into their files;
  # osslsigncode signs them when a certificate is given (openssl makes the tests' own).
  wixl msitools zip faketime osslsigncode openssl
  # The .deb checked as a distribution's packager checks it, and its manual page shown.
  lintian man-db
  # The Linux hack: Xlib and MIT-SHM headers; XScreenSaver itself (the daemon, the
  # command, the image helper) for its tests; dpkg-dev for CPack's .deb dependencies.
  libx11-dev libxext-dev xscreensaver xscreensaver-data dpkg-dev procps
  # The hack under MATE's saver: the saver itself, gsettings that remember (dconf) on a
  # session bus of the test's own (dbus-run-session), a wallpaper setter that publishes
  # the background on the root (hsetroot), and the check of the package's theme entry.
  mate-screensaver dconf-gsettings-backend dbus desktop-file-utils hsetroot
  # The Wayland program: the client library and wayland-scanner (libwayland-dev brings
  # libwayland-bin), and Debian's protocol descriptions (xdg-shell, viewporter,
  # fractional-scale).
  libwayland-dev wayland-protocols
  # The Wayland program under a headless sway of the tests' own: its idle daemon, its
  # background setter, screenshots (grim), keys (wtype) and the list of what it offers.
  sway swayidle swaybg grim wtype wayland-utils
)

# The Linux package alone: the compiler, CMake, Xlib and MIT-SHM headers, the Wayland
# client library with wayland-scanner and Debian's protocol descriptions, dpkg-dev for
# CPack's .deb dependencies, git for the commit's time.
deb_pkgs=(cmake make g++ libx11-dev libxext-dev libwayland-dev wayland-protocols dpkg-dev file git)

. "$(dirname "$0")/wine-env.sh"

# apt_update: fetches the archive's package lists, trying twice more (a short pause between)
# when some fail, as they do while a mirror is mid-sync; then goes on with the lists there are
# and names those that failed (failed_lists), for the one sentence a failed install ends with.
failed_lists=""
apt_update() {
  local log try rc
  log=$(mktemp)
  for try in 1 2 3; do
    rc=0
    $SUDO apt-get update -o DPkg::Lock::Timeout=600 2>&1 | tee "$log" || rc=$?
    [ "$rc" = 0 ] && { failed_lists=""; break; }
    # apt's "Err:N URL SUITE/COMPONENT ARCH Packages" lines name the lists, its "E:" lines the rest.
    failed_lists=$(sed -n 's/^Err:[0-9]* \(.*\)$/\1/p' "$log" | sort -u | paste -sd ';' | sed 's/;/; /g')
    [ -n "$failed_lists" ] || failed_lists=$(grep '^E: ' "$log" | head -n 1 || true)
    [ -n "$failed_lists" ] || failed_lists="apt-get update ended with status $rc"  # killed, or sudo refused
    if [ "$try" -lt 3 ]; then
      echo "apt-get update failed ($failed_lists): trying again in 5 seconds."
      sleep 5
    fi
  done
  rm -f -- "$log"
  if [ -n "$failed_lists" ]; then
    echo "Going on with the package lists there are; these could not be fetched: $failed_lists."
  fi
  updated=1
}

# install_missing PACKAGE...: installs those not installed yet; a NAME:i386 among them adds the
# i386 architecture first.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ "${#missing[@]}" -gt 0 ] || return 0
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    updated=""
  fi
  [ -n "${updated:-}" ] || apt_update
  if ! $SUDO apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"; then
    # The 32-bit set (below) may go without when the archive is what is missing.
    [ -n "${soft:-}" ] && [ -n "$failed_lists" ] && return 1
    if [ -n "$failed_lists" ]; then
      echo "The set-up stopped: the archive's package lists are incomplete ($failed_lists could not be" \
        "fetched), so apt cannot install the packages above; try again later." >&2
    else
      echo "The set-up stopped: apt could not install the packages above, for the reasons it gives." >&2
    fi
    exit 1
  fi
}
if [ "${1:-}" = deb ]; then
  echo "Installing what the .deb alone needs (no 32-bit programs on any kernel: none are built or run)."
  install_missing "${deb_pkgs[@]}"
  exit 0
fi

# 32-bit Wine and what it opens only at run time (FLUTTERA_WINE32_PACKAGES in wine-env.sh) go
# only where it runs: where the kernel runs 32-bit programs, unless FLUTTERA_ARCH chose the
# 64-bit path. Elsewhere nothing could use them, and no i386 architecture is added for them.
kernel32=0
case "${FLUTTERA_ARCH:-}" in
  win32) ;;
  win64) kernel32=1 why="FLUTTERA_ARCH=win64 chose the 64-bit path" ;;
  *) fluttera_kernel_runs_32bit || kernel32=$?
     why="this kernel cannot run 32-bit programs: $FLUTTERA_KERNEL32_WHY" ;;
esac
if [ "$kernel32" = 0 ]; then
  :
elif [ "$kernel32" != 1 ]; then
  echo "Cannot tell whether this kernel runs 32-bit programs: $FLUTTERA_KERNEL32_WHY" >&2
  exit 1
else
  echo "32-bit Wine is left out ($why): no i386 package is installed."
fi
install_missing "${pkgs[@]}"
# Apart, so that everything else is installed whatever becomes of it. An archive that cannot
# give it (its i386 lists mid-sync, say) is written down in FLUTTERA_WINE32_UNAVAILABLE: while
# 32-bit Wine is then missing, the scripts take the 64-bit path and say why (wine-env.sh),
# until a later set-up installs it. Any other failure stops the set-up.
if [ "$kernel32" = 0 ]; then
  if soft=1 install_missing "${FLUTTERA_WINE32_PACKAGES[@]}"; then
    rm -f -- "$FLUTTERA_WINE32_UNAVAILABLE"
  else
    mkdir -p "$(dirname "$FLUTTERA_WINE32_UNAVAILABLE")"
    echo "the archive's package lists are incomplete ($failed_lists could not be fetched)" \
      > "$FLUTTERA_WINE32_UNAVAILABLE"
    echo "32-bit Wine could not be installed: $(cat "$FLUTTERA_WINE32_UNAVAILABLE"). Going on:" \
      "the x86_64 build under 64-bit Wine stands in until a later set-up installs it; try again later."
  fi
fi

# Japanese locale, so Wine runs with the Shift-JIS ANSI code page when asked.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi
