#!/usr/bin/env bash
# Remakes docs/report.png: the HTML report of the sample cases in
# examples/cases, as headless Chromium shows it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}" "${MAE_CHECK_PACKAGES[@]}" "${MAE_SCREENSHOT_PACKAGES[@]}"
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_TESTS=OFF >/dev/null
cmake --build out/release --target mae-check -j"$(jobs)" >/dev/null
mkdir -p docs out
out/release/check/mae-check --max 0.5 --report out/report.html examples/cases >/dev/null || true
# The overview at the top of the page, and below it the first case that
# shows a defect (Sobel4, red and blue swapped) with its compare view.
cat >out/report-shot.html <<'HTML'
<!DOCTYPE html><html><head><style>body { margin: 0 }
iframe { display: block; width: 1200px; border: 0; border-bottom: 3px dashed #999 }</style></head>
<body><iframe src="report.html" height="575"></iframe>
<iframe src="report.html#case-8" height="1040"></iframe></body></html>
HTML
headless_chromium --window-size=1200,1690 --screenshot="$PWD/docs/report.png" \
  "file://$PWD/out/report-shot.html" >/dev/null
echo "wrote docs/report.png"
