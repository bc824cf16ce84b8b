#!/usr/bin/env bash
# Remakes every picture the program stores, from code. Run from anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
build() { g++ -O2 -std=c++17 -I assets/gen "assets/gen/$1.cpp" -o "$out/$1"; "$out/$1"; }

mkdir -p assets/icon assets/button assets/dialog assets/petals assets/preview
build gen_icon
build gen_button
build gen_dialog
build gen_petals
g++ -O2 -std=c++17 -I assets/gen assets/gen/gen_preview.cpp -o "$out/gen_preview"
"$out/gen_preview" "$out/preview.ppm" && convert "$out/preview.ppm" -quality 90 assets/preview/preview.jpg
