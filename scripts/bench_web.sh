#!/usr/bin/env bash
# The web page's speed on the ten sample cases (examples/cases, --max 0.5),
# against the command line on the same files: `mae-check --json` run as a
# process, and in headless Chromium the page's core started, maeCheck on
# the ten outputs (the same JSON), and a drop on the page until its table
# and the report's views are shown. Medians of 5 after a warm-up run.
#   bash scripts/bench_web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}" "${MAE_CHECK_PACKAGES[@]}" "${MAE_BENCH_PACKAGES[@]}" \
  chromium emscripten
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_TESTS=OFF -DMAE_BUILD_WEB=ON >/dev/null
cmake --build out/release --target mae-check mae_web_core -j"$(jobs)" >/dev/null
check=$PWD/out/release/check/mae-check
cases=$PWD/examples/cases
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$check" --max 0.5 --web-page "$dir/page.html" "$cases"

echo "== the command line: mae-check --max 0.5 --json (a process each run)"
python3 - "$check" "$cases" <<'PY'
import statistics, subprocess, sys, time
check, cases = sys.argv[1:]
runs = []
for i in range(6):
    start = time.perf_counter()
    subprocess.run([check, "--max", "0.5", "--json", cases], stdout=subprocess.DEVNULL)
    runs.append((time.perf_counter() - start) * 1000)
print(f"mae-check --json: {statistics.median(runs[1:]):.1f} ms")
PY

python3 - "$cases" "$dir/files.js" <<'PY'
import base64, json, os, sys
folder, out = sys.argv[1:]
files = [{"name": n, "bytes": base64.b64encode(open(os.path.join(folder, n), "rb").read()).decode()}
         for n in sorted(os.listdir(folder)) if n.endswith(".bmp")]
open(out, "w").write("window.files = " + json.dumps(files) + ";\n")
PY
echo "== the page in headless Chromium (times in ms)"
# Timed by the page's clock in real time (a --virtual-time-budget run,
# as the tests use, stops the clock): the result comes as a console line.
cat >"$dir/bench.html" <<'HTML'
<!DOCTYPE html><html><body style="margin:0">
<iframe id="f" src="page.html" style="width:1200px;height:900px;border:0"></iframe>
<script src="files.js"></script>
<script>addEventListener("load", function () {
  var win = document.getElementById("f").contentWindow, doc = win.document, result = {};
  function bytes(b64) {
    var t = atob(b64), u = new Uint8Array(t.length);
    for (var i = 0; i < t.length; ++i) { u[i] = t.charCodeAt(i); }
    return u;
  }
  function median(list) {
    var s = list.slice(1).sort(function (a, b) { return a - b; });
    return Math.round(s[s.length >> 1] * 10) / 10;
  }
  function later(test) {
    return new Promise(function (done) {
      (function wait() { test() ? done() : setTimeout(wait, 1); })();
    });
  }
  function repeat(one) {
    var times = [], chain = Promise.resolve();
    for (var i = 0; i < 6; ++i) {
      chain = chain.then(function () {
        var start = performance.now();
        return one().then(function () { times.push(performance.now() - start); });
      });
    }
    return chain.then(function () { return median(times); });
  }
  var files = window.files.map(function (f) { return {name: f.name, bytes: bytes(f.bytes)}; });
  repeat(function () {
    return win.createMaeCheck({print: function () {}, printErr: function () {}});
  }).then(function (t) {
    result.core_start = t;
    return repeat(function () { return win.maeCheck(files); });
  }).then(function (t) {
    result.maeCheck = t;
    return repeat(function () {
      var dt = new win.DataTransfer();
      files.forEach(function (f) { dt.items.add(new win.File([f.bytes], f.name)); });
      doc.getElementById("results").textContent = "";
      doc.getElementById("drop").dispatchEvent(
          new win.DragEvent("drop", {dataTransfer: dt, bubbles: true, cancelable: true}));
      return later(function () { return doc.querySelector("#results .views"); });
    });
  }).then(function (t) {
    result.drop_to_views = t;
    console.log("MAE-BENCH " + JSON.stringify(result));
  }, function (e) { console.log("MAE-BENCH failed: " + e); });
});</script></body></html>
HTML
profile=$(mktemp -d)
timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --allow-file-access-from-files --user-data-dir="$profile" \
  --enable-logging=stderr --v=0 "file://$dir/bench.html" 2>"$dir/log.txt" &
browser=$!
for _ in $(seq 1 600); do
  grep -q "MAE-BENCH" "$dir/log.txt" && break
  sleep 0.2
done
kill "$browser" 2>/dev/null || true
wait "$browser" 2>/dev/null || true
rm -rf "$profile"
grep -o 'MAE-BENCH .*"' "$dir/log.txt" | sed 's/^MAE-BENCH //; s/"$//' | sed 's/\\"/"/g'
