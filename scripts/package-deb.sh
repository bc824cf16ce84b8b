#!/usr/bin/env bash
# Makes the Linux hack's package alone, fluttera_VERSION_ARCH.deb, in dist/ (or the folder
# FLUTTERA_DIST names), from a fresh clone as well; an older .deb there goes first. Installs
# only what that needs (install-deps.sh deb: no Wine, no MinGW, no i386 architecture) and
# builds only the hack, fluttera-xscreensaver and fluttera-wayland, for the prefix /usr, where
# the package puts them (a build without one of them fails rather than leave it out).
# scripts/package.sh runs it for the full set of release files.
#
# Reproducible: the same commit gives the same bytes (the commit's time as SOURCE_DATE_EPOCH
# unless it is set, TZ=UTC, umask 022; the compiler flags are in CMakeLists.txt).
set -euo pipefail
here=$(dirname "$0")
dist=$(realpath -m "${FLUTTERA_DIST:-$here/../dist}")
cd "$here/.."

[ -n "${FLUTTERA_DEPS_DONE:-}" ] || bash scripts/install-deps.sh deb
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "No commit to take the package's time from: set SOURCE_DATE_EPOCH." >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH TZ=UTC
umask 022

# A build folder of its own: the prefix /usr, no unit tests (no GoogleTest needed) and no
# benchmarks. CPack installs first; without CMAKE_SKIP_INSTALL_ALL_DEPENDENCY that install
# would build every target.
build=build/deb
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
      -DFLUTTERA_TESTS=OFF -DFLUTTERA_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j2 --target fluttera fluttera-xscreensaver fluttera-wayland >/dev/null
rm -f "$build"/packages/fluttera_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
mkdir -p "$dist"
rm -f "$dist"/fluttera_*.deb
deb=$(cd "$build/packages" && ls fluttera_*.deb)
cp "$build/packages/$deb" "$dist/"
echo "$dist/$deb"
