#!/usr/bin/env bash
# Rewrites the hostile-file corpus in tests/data/hostile from
# tests/data/make_corpus.cpp, after a change to what it makes or to what MAE
# prints for it. The test corpus.regenerate fails until this has been run
# and the result committed.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}"
cmake -S . -B out/corpus -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_CHECK=OFF >/dev/null
cmake --build out/corpus --target make_corpus -j"$(jobs)" >/dev/null
rm -rf tests/data/hostile
mkdir -p tests/data/hostile
out/corpus/tests/make_corpus tests/data/hostile
echo "tests/data/hostile rewritten; review it with: git status tests/data/hostile"
