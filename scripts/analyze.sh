#!/usr/bin/env bash
# The static analyzer: clang-tidy with the checks of .clang-tidy over every C++ file of src/.
# The portable and X11 files are read as the native build compiles them; the Windows files
# (*_win32.cpp and src/app/) as the i686 MinGW build (the product) compiles them, parsed by
# clang for that target against MinGW's own C++ and Windows headers.
#   bash scripts/analyze.sh            every file, in build folders of its own (build/analyze)
#   bash scripts/analyze.sh FILE...    only these files of src/
# Prints each finding; exits 0 only when there is none and every file of src/ was read.
set -uo pipefail
cd "$(dirname "$0")/.."
# What it needs is installed first, unless the caller has done so (FLUTTERA_DEPS_DONE=1).
[ -n "${FLUTTERA_DEPS_DONE:-}" ] || bash scripts/install-deps.sh || exit 1
out=build/analyze
mkdir -p "$out"
jobs=${FLUTTERA_ANALYZE_JOBS:-2}

# Folders of their own: the test command may be building in the presets' folders meanwhile.
# Configuring is enough, but for the Wayland protocols' headers, which wayland-scanner
# writes at build time.
cmake --preset native -B "$out/native" -DFLUTTERA_BENCH=OFF > "$out/configure.log" 2>&1 &&
  cmake --build "$out/native" --target fluttera_wayland_headers >> "$out/configure.log" 2>&1 &&
  cmake --preset win32 -B "$out/win32" >> "$out/configure.log" 2>&1 ||
  { cat "$out/configure.log"; echo "analyze: configuring failed"; exit 1; }

# MinGW's include folders as its compiler searches them, in its order, but with clang's own
# built-in headers (intrinsics) in place of GCC's, which clang cannot read.
win_cxx=$(jq -r '[.[] | select(.file | test("_win32\\.cpp$"))][0].command' "$out/win32/compile_commands.json" | cut -d' ' -f1)
win_args=(--extra-arg-before=--target=i686-w64-mingw32 --extra-arg-before=-nostdinc)
while read -r dir; do
  dir=$(realpath "$dir")
  [[ $dir == */lib/gcc/*/include ]] && dir=$(clang++ -print-resource-dir)/include
  win_args+=(--extra-arg-before=-isystem"$dir")
done < <("$win_cxx" -E -x c++ - -v < /dev/null 2>&1 | sed -n '/<\.\.\.> search starts here:/,/End of search/p' | sed '1d;$d;s/^ *//' | grep -v '/include-fixed$')
# GCC-only warning options in the build's flags mean nothing to clang.
common=(--quiet --extra-arg=-Wno-unknown-warning-option)

# Every file of src/ is in exactly one of the two lists.
if [ $# -gt 0 ]; then printf '%s\n' "$@"; else find src -name '*.cpp'; fi | sort > "$out/all.txt"
grep -E '_win32\.cpp$|^src/app/' "$out/all.txt" > "$out/windows.txt"
grep -vE '_win32\.cpp$|^src/app/' "$out/all.txt" > "$out/native.txt"
status=0
for side in native win32; do
  list=$out/native.txt args=()
  [ "$side" = win32 ] && list=$out/windows.txt args=("${win_args[@]}")
  # A file its build does not compile would go unread: a failure, not a pass.
  missing=$(comm -23 <(sed "s|^|$(pwd)/|" "$list" | sort) \
    <(jq -r '.[].file' "$out/$side/compile_commands.json" | sort -u))
  if [ -n "$missing" ]; then
    echo "analyze: not compiled by the $side build, so not analyzed:"; echo "$missing"
    status=1
  fi
  xargs -r -P "$jobs" -n 1 clang-tidy -p "$out/$side" "${common[@]}" "${args[@]}" < "$list" \
    > "$out/$side.log" 2>&1 || status=1
done
# clang-tidy's summaries ("N warnings generated", "Suppressed ...") are not findings.
grep -hvE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing|^Found compiler error' \
  "$out/native.log" "$out/win32.log"
findings=$(cat "$out/native.log" "$out/win32.log" | grep -cE ': (warning|error): ')
echo "analyze: $(wc -l < "$out/native.txt") native and $(wc -l < "$out/windows.txt") Windows files, $findings findings"
[ "$findings" = 0 ] && [ "$status" = 0 ]
