#!/usr/bin/env bash
# Makes the release files in dist/ (emptied first), from a fresh clone as well:
#   Fluttera-VERSION-windows.zip   x86/Fluttera.scr, x64/Fluttera.scr and a read-me
#   Fluttera-VERSION-x64.msi       per-user installer of the 64-bit saver (Windows 10/11)
#   Fluttera-VERSION-x86.msi       the same for 32-bit Windows
#   fluttera_VERSION_ARCH.deb      the Linux hack for XScreenSaver (CPack)
# VERSION is the project's VERSION in CMakeLists.txt, the only place it is set.
# Each kind of release file is one function below; add a new kind the same way.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dist=$root/dist

bash scripts/install-deps.sh
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
  echo "Note: the working tree has changes that are not committed; they go into the release files."
fi

# build_windows: the saver for both Windows architectures; sets version.
build_windows() {
  local preset
  for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" -j2 --target Fluttera >/dev/null
  done
  version=$(cat build/win64/version.txt)
  [ "$(cat build/win32/version.txt)" = "$version" ] || { echo "the two builds disagree on the version" >&2; exit 1; }
}

# The read-me as Windows' Notepad reads it best: UTF-8 with a byte-order mark, CRLF lines.
readme() {
  printf '\xef\xbb\xbf'
  sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/README-windows.txt
}

make_zip() {
  local stage name=Fluttera-$version
  stage=$(mktemp -d)
  mkdir -p "$stage/$name/x86" "$stage/$name/x64"
  cp build/win32/Fluttera.scr "$stage/$name/x86/"
  cp build/win64/Fluttera.scr "$stage/$name/x64/"
  readme > "$stage/$name/README.txt"
  (cd "$stage" && zip -qrX "$dist/$name-windows.zip" "$name")
  rm -rf "$stage"
}

# make_msi ARCH BUILD COMPONENT_GUID WIN64
make_msi() {
  local out=$dist/Fluttera-$version-$1.msi
  wixl -a "$1" -D Version="$version" -D Saver="build/$2/Fluttera.scr" -D ComponentGuid="$3" \
       -D Win64="$4" -D Icon=assets/icon/fluttera.ico -o "$out" packaging/fluttera.wxs
  # wixl has no RemoveFile element: the settings file written beside the saver goes at removal.
  msibuild "$out" -q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`) VALUES ('Settings', 'Saver', 'Fluttera.ini', 'INSTALLDIR', 2)"
}

# make_deb: the Linux hack for XScreenSaver, installed into /usr/libexec/xscreensaver with
# its settings in /usr/share/xscreensaver/config.
make_deb() {
  cmake --preset native >/dev/null
  cmake --build build/native -j2 --target fluttera >/dev/null
  rm -f build/native/packages/fluttera_*.deb
  (cd build/native && cpack -G DEB >/dev/null)
  cp build/native/packages/fluttera_*.deb "$dist/"
}

build_windows
rm -rf "$dist"
mkdir -p "$dist"
make_zip
make_msi x64 win64 AA4BDB72-62C0-4AFF-BAE1-EE3EF8776ECA yes
make_msi x86 win32 06CE6D81-6CF6-4B75-B077-796F5B6E91A1 no
make_deb

echo "Release files of Fluttera $version in $dist:"
(cd "$dist" && ls -l --time-style=+ -- * | awk '{print "  " $NF "  (" $5 " bytes)"}')
