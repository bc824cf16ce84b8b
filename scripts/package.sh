#!/usr/bin/env bash
# Makes the release packages. Each kind has its own block below.
set -euo pipefail
cd "$(dirname "$0")/.."

# --- Linux: fluttera, the XScreenSaver hack, as a .deb (CPack) ---------------------
# Installs the hack into /usr/libexec/xscreensaver and its settings into
# /usr/share/xscreensaver/config. Prints the path of the package.
package_deb() {
  cmake --preset native >/dev/null
  cmake --build build/native -j2 --target fluttera
  rm -f build/native/packages/fluttera_*.deb
  (cd build/native && cpack -G DEB >/dev/null)
  ls build/native/packages/fluttera_*.deb
}

package_deb
