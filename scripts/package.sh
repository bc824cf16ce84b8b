#!/usr/bin/env bash
# Makes the release files in dist/ (or the folder FLUTTERA_DIST names), from a fresh clone
# as well; older release files there go first:
#   Fluttera-VERSION-windows.zip   x86/Fluttera.scr, x64/Fluttera.scr, a read-me and the licence
#   Fluttera-VERSION-x64.msi       per-user installer of the 64-bit saver (64-bit Windows)
#   Fluttera-VERSION-x86.msi       the same for 32-bit Windows
#   fluttera_VERSION_ARCH.deb      the Linux hack for XScreenSaver (CPack)
#   SHA256SUMS                     the SHA-256 of each file above (sha256sum -c SHA256SUMS)
# VERSION is the project's VERSION in CMakeLists.txt, the only place it is set.
# Each kind of release file is one function below; add a new kind the same way.
#
# Reproducible: the same commit gives the same bytes in any folder at any time. Every time
# inside the files is the commit's (SOURCE_DATE_EPOCH, unless it is set already), with
# TZ=UTC, umask 022 and entries in a fixed order; the compiler flags are in CMakeLists.txt.
#
# Signing: with FLUTTERA_SIGN_PFX (a PKCS#12 file) and FLUTTERA_SIGN_PASSWORD set, both
# Fluttera.scr (before they go into the zip and the MSIs) and both MSIs get an Authenticode
# signature, counter-signed by the time-stamp server FLUTTERA_SIGN_TIMESTAMP_URL when it is
# set. A signature holds its own time, so signed files differ from build to build.
set -euo pipefail
here=$(dirname "$0")
dist=$(realpath -m "${FLUTTERA_DIST:-$here/../dist}")
pfx=${FLUTTERA_SIGN_PFX:+$(realpath -m "$FLUTTERA_SIGN_PFX")}
cd "$here/.."
root=$(pwd)

bash scripts/install-deps.sh
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
  echo "Note: the working tree has changes that are not committed; they go into the release files."
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "No commit to take the release files' time from: set SOURCE_DATE_EPOCH." >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH TZ=UTC
umask 022
# The staging folder, inside the checkout: wixl takes only relative paths.
work=build/release-stage
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

if [ -n "$pfx" ]; then
  [ -n "${FLUTTERA_SIGN_PASSWORD+set}" ] ||
    { echo "FLUTTERA_SIGN_PFX is set but FLUTTERA_SIGN_PASSWORD is not." >&2; exit 1; }
  [ -r "$pfx" ] || { echo "Cannot read the certificate $pfx." >&2; exit 1; }
  echo "Signing with $pfx${FLUTTERA_SIGN_TIMESTAMP_URL:+, time-stamped by $FLUTTERA_SIGN_TIMESTAMP_URL}."
else
  echo "Unsigned: FLUTTERA_SIGN_PFX and FLUTTERA_SIGN_PASSWORD are not set."
fi

# sign FILE: an Authenticode signature on FILE, in place, when a certificate is given.
sign() {
  [ -n "$pfx" ] || return 0
  local ts=()
  [ -z "${FLUTTERA_SIGN_TIMESTAMP_URL:-}" ] || ts=(-ts "$FLUTTERA_SIGN_TIMESTAMP_URL")
  osslsigncode sign -pkcs12 "$pfx" -readpass <(printf '%s' "$FLUTTERA_SIGN_PASSWORD") -n Fluttera \
               -h sha256 "${ts[@]}" -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}

# frozen COMMAND...: runs COMMAND with the clock standing still at the commit's time, for the
# tools that write the time of day into their files (wixl and msibuild). Without -f faketime
# only starts the clock there, and a slow run would write a later second.
frozen() {
  faketime -f "$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')" "$@"
}

# guid TEXT: a GUID that TEXT alone decides.
guid() {
  python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.NAMESPACE_URL, sys.argv[1])).upper())' "$1"
}

made=()

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
  sed -e "s/@VERSION@/$version/g" packaging/README-windows.txt | crlf
}

# Text files as Windows' Notepad reads them best: CRLF lines.
crlf() {
  sed -e 's/$/\r/' "$@"
}

# stage_savers: both Fluttera.scr as they go into the zip and the MSIs (signed when asked),
# in $work/x86 and $work/x64.
stage_savers() {
  local arch build
  for arch in x86 x64; do
    build=win64; [ "$arch" = x64 ] || build=win32
    mkdir -p "$work/$arch"
    cp "build/$build/Fluttera.scr" "$work/$arch/Fluttera.scr"
    sign "$work/$arch/Fluttera.scr"
    touch -d "@$SOURCE_DATE_EPOCH" "$work/$arch/Fluttera.scr"
  done
  crlf LICENSE > "$work/LICENSE.txt"
  readme > "$work/README.txt"
  touch -d "@$SOURCE_DATE_EPOCH" "$work/LICENSE.txt" "$work/README.txt"
}

make_zip() {
  local stage=$work/zip name=Fluttera-$version
  mkdir -p "$stage/$name/x86" "$stage/$name/x64"
  cp "$work/x86/Fluttera.scr" "$stage/$name/x86/"
  cp "$work/x64/Fluttera.scr" "$stage/$name/x64/"
  cp "$work/README.txt" "$work/LICENSE.txt" "$stage/$name/"
  chmod 644 "$stage/$name"/*/* "$stage/$name"/*.txt
  touch -d "@$SOURCE_DATE_EPOCH" "$stage/$name"/*/* "$stage/$name"/*.txt
  # Files only, in byte order, without the extra Unix fields (owner, access times).
  (cd "$stage" && find "$name" -type f | LC_ALL=C sort | zip -q -X -D "$dist/$name-windows.zip" -@)
  made+=("$name-windows.zip")
}

# msi_sql MSI STATEMENT: one SQL statement on the package, for what wixl cannot say.
msi_sql() {
  frozen msibuild "$1" -q "$2"
}

# make_msi ARCH SAVER_COMPONENT_GUID CHOICE_COMPONENT_GUID WIN64 OTHER_ARCH_SAVER_COMPONENT_GUID
make_msi() {
  local name=Fluttera-$version-$1.msi out subject template
  out=$dist/$name
  # The product code is the version's and the architecture's: a rebuild is the same product.
  frozen wixl -a "$1" -D Version="$version" -D ProductCode="$(guid "Fluttera $version $1")" \
       -D Saver="$work/$1/Fluttera.scr" -D Licence="$work/LICENSE.txt" -D Readme="$work/README.txt" -D ComponentGuid="$2" \
       -D ChoiceGuid="$3" -D Win64="$4" -D Icon=assets/icon/fluttera.ico -o "$out" packaging/fluttera.wxs
  # wixl has no RemoveFile element: the settings file written beside the saver goes at removal,
  # and so do the backup and the temporary file a cut-off save leaves beside it (the names
  # src/startup/file_save.cpp gives them), so the folder can go too. Nothing else: a file of
  # any other name there is the user's.
  local row
  for row in Settings:Fluttera.ini SaveBackup:Fluttera.ini.~save-old SaveTemp:Fluttera.ini.~save-new; do
    msi_sql "$out" "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`) VALUES ('${row%%:*}', 'Saver', '${row#*:}', 'INSTALLDIR', 2)"
  done
  # ... nor component conditions: SCRNSAVE.EXE is set by a first installation, and by an
  # upgrade only while it names this saver (case aside, as Windows compares paths); a
  # removal takes it only then too. Another saver chosen since stays chosen through both.
  # Savers are switched on by a first installation only.
  msi_sql "$out" "UPDATE \`Component\` SET \`Condition\` = 'SAVERCHOICE~=OURSAVER OR (REMOVE<>\"ALL\" AND NOT WIX_UPGRADE_DETECTED)' WHERE \`Component\` = 'Choice'"
  msi_sql "$out" "UPDATE \`Component\` SET \`Condition\` = 'NOT WIX_UPGRADE_DETECTED' WHERE \`Component\` = 'SaverActive'"
  # ... nor a ComponentSearch: OTHERBUILD, for the launch condition, is the folder of the
  # other architecture's saver when that is installed.
  msi_sql "$out" "CREATE TABLE \`CompLocator\` (\`Signature_\` CHAR(72) NOT NULL, \`ComponentId\` CHAR(38) NOT NULL, \`Type\` SHORT PRIMARY KEY \`Signature_\`)"
  msi_sql "$out" "INSERT INTO \`CompLocator\` (\`Signature_\`, \`ComponentId\`, \`Type\`) VALUES ('OtherBuild', '{$5}', 1)"
  msi_sql "$out" "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('OTHERBUILD', 'OtherBuild')"
  # ... nor MajorUpgrade's Schedule: an upgrade removes the earlier version after installing
  # this one. The components both share are then still in use and stay, and so does the
  # settings file that the earlier version's removal would take with its saver.
  msi_sql "$out" "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = 6700 WHERE \`Action\` = 'RemoveExistingProducts'"
  # ... nor file versions: every file takes the release's, so an upgrade replaces the
  # earlier saver, read-me and licence by the rule for versioned files, rather than by
  # dates and sizes (which would keep an earlier text of the same size).
  msi_sql "$out" "UPDATE \`File\` SET \`Version\` = '$version.0'"
  # The package code must differ between different packages; wixl draws a random one. Made
  # from the package's own bytes instead, it is new for every different package and the
  # same for an identical one.
  subject=$(msiinfo suminfo "$out" | sed -n 's/^Subject: //p')
  template=$(msiinfo suminfo "$out" | sed -n 's/^Template: //p')
  frozen msibuild "$out" -s "$subject" Fluttera "$template" "{00000000-0000-0000-0000-000000000000}"
  frozen msibuild "$out" -s "$subject" Fluttera "$template" "{$(guid "sha256:$(sha256sum < "$out" | cut -c1-64)")}"
  sign "$out"
  made+=("$name")
}

# make_deb: the Linux hack for XScreenSaver (scripts/package-deb.sh), installed into
# /usr/libexec/xscreensaver with its settings in /usr/share/xscreensaver/config.
make_deb() {
  local deb
  deb=$(FLUTTERA_DEPS_DONE=1 FLUTTERA_DIST="$dist" bash scripts/package-deb.sh)
  made+=("$(basename "$deb")")
}

build_windows
mkdir -p "$dist"
rm -f "$dist"/Fluttera-*-windows.zip "$dist"/Fluttera-*.msi "$dist"/fluttera_*.deb "$dist"/SHA256SUMS
stage_savers
make_zip
saver_x64=AA4BDB72-62C0-4AFF-BAE1-EE3EF8776ECA saver_x86=06CE6D81-6CF6-4B75-B077-796F5B6E91A1
make_msi x64 $saver_x64 5E0C2B8B-3F57-4C55-9B0D-2E4C36B1D8A4 yes $saver_x86
make_msi x86 $saver_x86 C7A3E5F1-8B2D-4E96-A1C4-7D9F0B3E6A52 no $saver_x64
make_deb
(cd "$dist" && sha256sum -- "${made[@]}" > SHA256SUMS)

echo "Release files of Fluttera $version in $dist:"
(cd "$dist" && ls -l --time-style=+ -- "${made[@]}" SHA256SUMS | awk '{print "  " $NF "  (" $5 " bytes)"}')
