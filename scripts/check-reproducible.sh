#!/usr/bin/env bash
# Checks that the release files are reproducible: builds one commit (HEAD, or the one named)
# twice from fresh clones, in two folders of different depth, one after the other, the
# second under another time zone, umask and locale, and compares every release file byte
# for byte. Prints each file's SHA-256 from both builds; exits non-zero when any differs.
# Each build makes everything anew: about 10 minutes each on a busy two-core machine.
#   bash scripts/check-reproducible.sh [COMMIT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse "${1:-HEAD}")
top=$(mktemp -d /tmp/fluttera-repro.XXXXXX)
trap 'rm -rf "$top"' EXIT
[ -z "$(git -C "$root" status --porcelain)" ] ||
  echo "Note: changes that are not committed are not built; this checks $commit."

# build DIR [ENV...]: clones the commit into DIR and makes its release files in DIR/dist.
build() {
  local dir=$1; shift
  git clone -q "$root" "$dir"
  git -C "$dir" checkout -q --detach "$commit"
  echo "$(date -u '+%H:%M:%S') building $commit in $dir"
  env -u SOURCE_DATE_EPOCH "$@" bash "$dir/scripts/package.sh" > "$top/$(basename "$dir").log" 2>&1 ||
    { tail -n 20 "$top/$(basename "$dir").log" >&2; echo "the build in $dir failed" >&2; exit 1; }
}

build "$top/a/fluttera"
# A later second, another folder, and the settings a packager's machine may have.
sleep 2
umask 077
build "$top/second/folder/elsewhere/fluttera" TZ=Asia/Tokyo LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8

a=$top/a/fluttera/dist b=$top/second/folder/elsewhere/fluttera/dist
bad=0
printf '%-30s %-64s %s\n' "file" "sha256 (first build)" "second build"
for f in $( (cd "$a" && ls; cd "$b" && ls) | LC_ALL=C sort -u); do
  ha=$( [ -f "$a/$f" ] && sha256sum < "$a/$f" | cut -c1-64 || echo missing)
  hb=$( [ -f "$b/$f" ] && sha256sum < "$b/$f" | cut -c1-64 || echo missing)
  if [ "$ha" = "$hb" ]; then
    printf '%-30s %s same\n' "$f" "$ha"
  else
    printf '%-30s %s DIFFERENT: %s\n' "$f" "$ha" "$hb"
    bad=1
  fi
done
# The programs inside the zip and the package, from both builds, for the record.
for d in "$a" "$b"; do
  echo "inside ${d%/dist}:"
  python3 - "$d"/Fluttera-*-windows.zip <<'EOF'
import hashlib, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for n in sorted(z.namelist()):
        if n.endswith(".scr"):
            print(f"{n.split('/', 1)[1]:30} {hashlib.sha256(z.read(n)).hexdigest()}")
EOF
  printf '%-30s %s\n' "fluttera (in the .deb)" \
    "$(dpkg-deb --fsys-tarfile "$d"/fluttera_*.deb | tar -xO ./usr/libexec/xscreensaver/fluttera | sha256sum | cut -c1-64)"
done
if [ "$bad" = 0 ]; then
  echo "Reproducible: both builds of $commit are byte for byte the same."
else
  trap - EXIT
  echo "NOT reproducible. Both builds are kept for a look: $top"
fi
exit "$bad"
