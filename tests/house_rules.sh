#!/bin/sh
# The program's library holds program code only (no test simulator), every source file
# of the program stays short enough to read in one sitting, and no folder mixes the
# Windows and the X11 side.
# Usage: house_rules.sh LIBRARY SOURCE_DIR
set -u
status=0
# The symbols are read first, so a library nm cannot read fails instead of passing.
if ! symbols=$(nm -C "$1"); then
  echo "nm could not read the program's library: $1"
  status=1
elif printf '%s\n' "$symbols" | grep -q 'music::sim::'; then
  echo "the program's library holds the tests' media simulator: $1"
  status=1
fi
for f in $(find "$2" -name '*.cpp' -o -name '*.h'); do
  n=$(wc -l < "$f")
  if [ "$n" -gt 450 ]; then
    echo "$f has $n lines (450 at most: split it where it has a seam)"
    status=1
  fi
done
for d in $(find "$2" -type d); do
  if ls "$d" | grep -q '_win32\.' && ls "$d" | grep -q '_x11\.'; then
    echo "$d holds both Windows (_win32) and X11 (_x11) files"
    status=1
  fi
done
exit $status
