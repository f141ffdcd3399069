#!/usr/bin/env bash
# Benchmarks: the inner pass and the reader (Google Benchmark), MAE against
# the floor (a static program that maps both files and sums them in one
# pass) and cmp, then whole processes of MAE against cmp, cat, and
# ImageMagick / GraphicsMagick when
# installed, on 512x512, 4096x4096 and 8192x8192 pairs written to a
# temporary folder, then mae-check on ten 1024x1024 cases against ten MAE
# runs, then mae-check --class on 200 students x 10 cases of 1024x1024 (one
# in thirty in another format) against cat of every file and a shell loop of
# single-folder runs. Pass sizes to
# change the pairs: bash scripts/bench.sh 512 2048
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}" "${MAE_CHECK_PACKAGES[@]}" "${MAE_BENCH_PACKAGES[@]}"
cmake -S . -B out/bench -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_BENCH=ON -DMAE_BUILD_TESTS=OFF -DMAE_BUILD_WEB=OFF >/dev/null
cmake --build out/bench -j"$(jobs)" >/dev/null
echo "== inner pass and reader"
out/bench/bench/inner_pass
echo
echo "== MAE against the floor and cmp (medians of alternating runs)"
out/bench/bench/floor_ratio out/bench/MAE out/bench/bench/mae_floor
echo
echo "== whole processes (medians after a warm-up run)"
out/bench/bench/compare_tools out/bench/MAE "$@"
echo
echo "== mae-check on ten cases against ten MAE runs"
out/bench/bench/check_cases out/bench/MAE out/bench/check/mae-check
echo
echo "== mae-check --class on 200 students against cat and a shell loop"
out/bench/bench/class_run out/bench/check/mae-check 200 1024
