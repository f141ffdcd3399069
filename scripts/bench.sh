#!/usr/bin/env bash
# Benchmarks: the inner pass and the reader (Google Benchmark), then whole
# processes of MAE against cmp, cat, and ImageMagick / GraphicsMagick when
# installed, on 512x512, 4096x4096 and 8192x8192 pairs written to a
# temporary folder. Pass sizes to change them: bash scripts/bench.sh 512 2048
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages cmake make g++ libbenchmark-dev diffutils coreutils
cmake -S . -B out/bench -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_BENCH=ON -DMAE_BUILD_TESTS=OFF >/dev/null
cmake --build out/bench -j"$(jobs)" >/dev/null
echo "== inner pass and reader"
out/bench/bench/inner_pass
echo
echo "== whole processes (medians after a warm-up run)"
out/bench/bench/compare_tools out/bench/MAE "$@"
