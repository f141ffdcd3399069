#!/usr/bin/env bash
# Builds MAE and compares the sample pair in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages cmake make g++
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_TESTS=OFF >/dev/null
cmake --build out/release --target MAE -j"$(jobs)" >/dev/null
echo "\$ out/release/MAE examples/landscape.bmp examples/landscape_blur.bmp"
out/release/MAE examples/landscape.bmp examples/landscape_blur.bmp
