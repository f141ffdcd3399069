#!/usr/bin/env bash
# Runs every check CI runs: the format check, the test suite built with
# warnings as errors (with the hostile-file corpus, and the executable under
# valgrind's memcheck), every target built again with clang, each fuzz
# target for 10 seconds (scripts/fuzz.sh, so that it cannot break
# unnoticed), and the test suite again under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}" "${MAE_CHECK_PACKAGES[@]}" "${MAE_TEST_PACKAGES[@]}" "${MAE_TEST_TOOLS[@]}"

echo "== format check (.clang-format)"
mapfile -t sources < <(find src check testkit tests examples bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null | sort)
clang-format --dry-run --Werror "${sources[@]}"

run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DMAE_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j"$(jobs)"
  (cd "$dir" && ctest --output-on-failure -j"$(jobs)")
}

echo "== tests, warnings as errors"
run_suite out/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAE_BUILD_BENCH=ON
echo "== every target built with clang, warnings as errors"
CC=clang CXX=clang++ cmake -S . -B out/clang -DMAE_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMAE_BUILD_BENCH=ON -DMAE_BUILD_WEB=OFF >/dev/null
cmake --build out/clang -j"$(jobs)"
echo "== each fuzz target for 10 seconds"
FUZZ_SECONDS=10 bash scripts/fuzz.sh
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
run_suite out/asan -DCMAKE_BUILD_TYPE=Debug -DMAE_SANITIZE=ON -DMAE_BUILD_WEB=OFF
echo "== all checks passed"
