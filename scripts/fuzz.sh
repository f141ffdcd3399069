#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for
# FUZZ_SECONDS seconds (default 60), all at once. Corpora grow in
# out/fuzz/corpus/TARGET, seeded from the test corpus and the sample pair;
# a finding is written to out/fuzz/findings/ and makes the script fail.
#   FUZZ_SECONDS=600 bash scripts/fuzz.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}" "${MAE_CHECK_PACKAGES[@]}" "${MAE_TEST_PACKAGES[@]}" "${MAE_FUZZ_PACKAGES[@]}"
seconds=${FUZZ_SECONDS:-60}
cmake -S . -B out/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMAE_BUILD_FUZZ=ON -DMAE_BUILD_TESTS=OFF -DMAE_BUILD_WEB=OFF >/dev/null
cmake --build out/fuzz -j"$(jobs)" >/dev/null
mkdir -p out/fuzz/findings
pids=()
for target in fuzz_read fuzz_mae fuzz_write fuzz_writers fuzz_decode; do
  corpus=out/fuzz/corpus/$target
  mkdir -p "$corpus"
  if [ "$target" = fuzz_writers ]; then
    cp -n tests/data/writers/* "$corpus"/
  elif [ "$target" = fuzz_decode ]; then
    cp -n tests/data/formats/* tests/data/hostile/*.bmp "$corpus"/ 2>/dev/null || true
  else
    cp -n tests/data/hostile/*.bmp tests/data/found/* examples/*.bmp "$corpus"/ 2>/dev/null || true
  fi
  out/fuzz/fuzz/$target "$corpus" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 -artifact_prefix=out/fuzz/findings/"$target"- \
    >out/fuzz/"$target".log 2>&1 &
  pids+=($!)
done
status=0
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || status=1
done
for target in fuzz_read fuzz_mae fuzz_write fuzz_writers fuzz_decode; do
  echo "== $target"
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|Done' \
    out/fuzz/"$target".log | tail -n 4 || true
done
if [ $status -ne 0 ]; then
  echo "A target found a problem: see out/fuzz/*.log and out/fuzz/findings/"
  exit 1
fi
echo "No findings."
