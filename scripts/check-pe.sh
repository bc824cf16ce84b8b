#!/usr/bin/env bash
# Checks that a built Fluttera.scr is a GUI-subsystem PE of the expected machine that
# imports only KnownDLLs (which Windows always takes from the system folder, never from
# beside the program), and carries nothing of the measuring builds.
set -euo pipefail
file=$1
machine=$2   # i386 or x86-64
objdump=${3:-objdump}
head=$($objdump -f "$file")
grep -q "file format pei-${machine}" <<< "$head" || { echo "not a pei-${machine} file: $file"; exit 1; }
hdr=$($objdump -p "$file")
grep -Eq "^Subsystem\s+00000002" <<< "$hdr" || { echo "not a GUI-subsystem program: $file"; exit 1; }
allowed='^(KERNEL32|USER32|GDI32|COMDLG32|SHELL32|OLE32|OLEAUT32|ADVAPI32|msvcrt)\.dll$'
bad=0
while read -r dll; do
  if ! grep -Eiq "$allowed" <<< "$dll"; then echo "unexpected import: $dll"; bad=1; fi
done < <(echo "$hdr" | awk '/DLL Name:/ {print $3}' | sort -u)
# The measuring builds' files and switches (pass_stats.txt, FLUTTERA_PRESENT, ...) stay out.
if strings -a -e l "$file" | cat - <(strings -a "$file") | grep -Ei 'pass_stats|FLUTTERA_(PRESENT|RECT_COST|PACED)|bench'; then
  echo "measuring code in the program: $file"; bad=1
fi
[ $bad = 0 ] || exit 1
echo "$file: $(echo "$head" | grep -o 'pei-[a-z0-9-]*'), GUI, imports: $(echo "$hdr" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')"
