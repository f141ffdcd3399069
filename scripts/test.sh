#!/usr/bin/env bash
# Runs every check CI runs: the format check, the test suite built with
# warnings as errors (with the hostile-file corpus, and the executable under
# valgrind's memcheck), and the test suite again under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages cmake make g++ libgtest-dev libbenchmark-dev clang-format valgrind groff-base dpkg-dev \
  lintian imagemagick chromium pkg-config libcli11-dev nlohmann-json3-dev libspng-dev libsodium-dev libssl-dev \
  python3 python3-pil nodejs libpugixml-dev libdeflate-dev libutf8proc-dev bash-completion

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
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
run_suite out/asan -DCMAKE_BUILD_TYPE=Debug -DMAE_SANITIZE=ON
echo "== all checks passed"
