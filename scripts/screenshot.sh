#!/usr/bin/env bash
# Remakes docs/report.png: the HTML report of the sample cases in
# examples/cases, as headless Chromium shows it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages cmake make g++ pkg-config libcli11-dev nlohmann-json3-dev libspng-dev libsodium-dev libpugixml-dev \
  chromium
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_TESTS=OFF >/dev/null
cmake --build out/release --target mae-check -j"$(jobs)" >/dev/null
mkdir -p docs out
out/release/check/mae-check --max 0.5 --report out/report.html examples/cases >/dev/null || true
headless_chromium --window-size=1000,1400 --screenshot="$PWD/docs/report.png" \
  "file://$PWD/out/report.html" >/dev/null
echo "wrote docs/report.png"
