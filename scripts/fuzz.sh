#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short, bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc \
  fuzz/ini_fuzz.cpp src/startup/ini_file.cpp src/framework/conversions.cpp -o "$out/ini_fuzz"
printf ' 300\n[Section]\r\nkey=old\r\nother=1\r\n' > "$out/corpus/seed1"
printf '"quoted"\n[SECTION]\nKEY = x \n[Other]\nother=2\n' > "$out/corpus/seed2"
"$out/ini_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus" 2>&1 | tail -n 3
