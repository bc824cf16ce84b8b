#!/bin/sh
# Remakes every generated asset. Run from the repository root.
set -e
mkdir -p assets/button && g++ -O2 -std=c++17 -I assets/gen assets/gen/gen_button.cpp -o /tmp/gen_button && /tmp/gen_button
