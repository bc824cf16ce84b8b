#!/usr/bin/env bash
# Remakes every picture the program stores, from code. Run from anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
build() { g++ -O2 -std=c++17 -I assets/gen "assets/gen/$1.cpp" -o "$out/$1"; "$out/$1"; }

build gen_icon
mkdir -p assets/petals && build gen_petals
mkdir -p assets/preview
g++ -O2 -std=c++17 -I assets/gen assets/gen/gen_preview.cpp -o "$out/gen_preview"
"$out/gen_preview" "$out/preview.ppm" && convert "$out/preview.ppm" -quality 90 assets/preview/preview.jpg
