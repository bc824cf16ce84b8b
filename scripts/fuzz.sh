#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one, bounded:
#   bash scripts/fuzz.sh [SECONDS]      each target for SECONDS (default 20)
#   bash scripts/fuzz.sh --runs N       each target for N inputs (for example 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
# What it needs is installed first, unless the caller has done so (FLUTTERA_DEPS_DONE=1).
[ -n "${FLUTTERA_DEPS_DONE:-}" ] || bash scripts/install-deps.sh || exit 1
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="${2:?how many runs}")
else
  limit=(-max_total_time="${1:-20}")
fi
out=build/fuzz
# The warnings of every other build (cmake/checks.cmake), which stop this one too.
flags=(-std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Isrc
  -Wall -Wextra -Wshadow -Wformat=2 -Wnon-virtual-dtor -Woverloaded-virtual -Werror)
mkdir -p "$out/corpus" "$out/command_corpus"
clang++ "${flags[@]}" fuzz/ini_fuzz.cpp src/startup/ini_file.cpp src/framework/conversions.cpp -o "$out/ini_fuzz"
clang++ "${flags[@]}" fuzz/command_line_fuzz.cpp src/startup/saver_main.cpp src/startup/system_effects.cpp \
  src/startup/settings.cpp src/startup/file_save.cpp src/startup/ini_file.cpp src/framework/codepage_posix.cpp \
  src/framework/command_line.cpp src/framework/conversions.cpp -o "$out/command_line_fuzz"
printf ' 300\n[Section]\r\nkey=old\r\nother=1\r\n' > "$out/corpus/seed1"
printf '"quoted"\n[SECTION]\nKEY = x \n[Other]\nother=2\n' > "$out/corpus/seed2"
# Host rectangle (16 bytes), twips byte, then the whole command line.
printf '\0\0\0\0\0\0\0\0\0\0\0\x98\0\0\0\x70\x13"C:\\F\\Fluttera.scr" /p 1234' > "$out/command_corpus/preview"
printf '\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x13Fluttera.scr \xef\xbc\x8fs' > "$out/command_corpus/saver"
status=0
for target in ini_fuzz:corpus command_line_fuzz:command_corpus; do
  name=${target%%:*}
  echo "--- $name"
  if "$out/$name" "${limit[@]}" -max_len=4096 "$out/${target#*:}" > "$out/$name.log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE|^Done' "$out/$name.log"
  else
    tail -n 30 "$out/$name.log"
    status=1
  fi
done
exit $status
