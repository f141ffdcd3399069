#!/usr/bin/env bash
# Builds MAE and mae-check, compares the sample pair in examples/ with MAE,
# and checks the ten sample test cases in examples/cases with mae-check.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}" "${MAE_CHECK_PACKAGES[@]}"
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_TESTS=OFF >/dev/null
cmake --build out/release --target MAE mae-check -j"$(jobs)" >/dev/null
echo "\$ out/release/MAE examples/landscape.bmp examples/landscape_blur.bmp"
out/release/MAE examples/landscape.bmp examples/landscape_blur.bmp
echo
echo "\$ out/release/check/mae-check --max 0.5 --report out/report.html examples/cases"
status=0
out/release/check/mae-check --max 0.5 --report out/report.html examples/cases || status=$?
echo "(exit status $status: not every case passes; open out/report.html to see why)"
