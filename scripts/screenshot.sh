#!/usr/bin/env bash
# Remakes docs/report.png, the HTML report of the sample cases in
# examples/cases, and docs/web-page.png, the web page of the filters
# exercise once a student has dropped their outputs on it, as headless
# Chromium shows them. The web page needs emscripten.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}" "${MAE_CHECK_PACKAGES[@]}" "${MAE_SCREENSHOT_PACKAGES[@]}"
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_TESTS=OFF -DMAE_BUILD_WEB=ON >/dev/null
cmake --build out/release --target mae-check mae_web_core -j"$(jobs)" >/dev/null
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

# The page in a frame, the student's three outputs dropped on it as a
# browser's drop would give them.
out/release/check/mae-check --exercise examples/filters/exercise.toml --web-page out/web-page.html
python3 - <<'PY'
import base64, json, os
folder = "examples/filters/student"
files = [{"name": n, "bytes": base64.b64encode(open(os.path.join(folder, n), "rb").read()).decode()}
         for n in sorted(os.listdir(folder))]
open("out/web-page-files.js", "w").write("var files = " + json.dumps(files) + ";\n")
PY
cat >out/web-page-shot.html <<'HTML'
<!DOCTYPE html><html><head><style>body { margin: 0 }
iframe { display: block; width: 1200px; height: 1500px; border: 0 }</style></head>
<body><iframe id="f" src="web-page.html"></iframe><script src="web-page-files.js"></script>
<script>addEventListener("load", function () {
  var win = document.getElementById("f").contentWindow, dt = new win.DataTransfer();
  files.forEach(function (f) {
    var text = atob(f.bytes), bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) { bytes[i] = text.charCodeAt(i); }
    dt.items.add(new win.File([bytes], f.name));
  });
  win.document.getElementById("drop").dispatchEvent(
      new win.DragEvent("drop", {dataTransfer: dt, bubbles: true, cancelable: true}));
});</script></body></html>
HTML
headless_chromium --allow-file-access-from-files --window-size=1200,1500 --virtual-time-budget=10000 \
  --screenshot="$PWD/docs/web-page.png" "file://$PWD/out/web-page-shot.html" >/dev/null
echo "wrote docs/web-page.png"
