#!/usr/bin/env bash
# The web page a course publishes, in a real browser with no network:
# headless Chromium opens pages written for the sample cases (with --max)
# and for the filters exercise from file://, gives each the sample outputs
# (and, to the cases' page, a set with an upside-down Blur1) through
# window.maeCheck, and must find, for every set, the very JSON that
# `mae-check --json` prints for a folder holding the same files. Then the
# flipped set is dropped on the page: its table must show the command
# line's words for the flip, and the report's views for every compared
# case, which the report's own script drives. The page must have fetched nothing and broken no rule of its
# Content-Security-Policy. Without the core, --web-page says how to get it.
#   web_page.sh MAE_CHECK_EXECUTABLE PROJECT_SOURCE_DIR
# Exits 77 (skipped) without Chromium or python3, or where this build has
# no WebAssembly core (emscripten missing).
set -euo pipefail
check=$(realpath "$1")
source_dir=$(realpath "$2")
. "$source_dir/scripts/lib.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

status=0
MAE_WEB_CORE=$dir/none.js "$check" --web-page none.html 2>err.txt || status=$?
{ [ "$status" -eq 2 ] && grep -q "needs mae-check's WebAssembly core" err.txt && [ ! -e none.html ]; } ||
  fail "without its core, --web-page exits $status: $(cat err.txt)"
for tool in chromium python3; do
  command -v $tool >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
cases=$source_dir/examples/cases
filters=$source_dir/examples/filters
if ! "$check" --max 0.5 --web-page cases.html "$cases" 2>err.txt; then
  grep -q "WebAssembly core" err.txt && { echo "SKIPPED: this build has no WebAssembly core"; exit 77; }
  fail "--web-page for the sample cases: $(cat err.txt)"
fi
"$check" --exercise "$filters/exercise.toml" --web-page filters.html ||
  fail "--web-page for the filters exercise"
[ "$(grep -c 'equalized.bmp' filters.html)" -ge 1 ] || fail "the filters page names no hidden case"

# The sets, each a folder as a student hands it in (with the references
# beside it in ANS/, for the command line), and what the command line says.
mkdir -p cases/ANS flipped/ANS filters/ANS
cp "$cases"/*.bmp cases/ && cp "$cases"/ANS/* cases/ANS/
cp "$cases"/*.bmp flipped/ && cp "$cases"/ANS/* flipped/ANS/
python3 - flipped/ANS/Blur1.bmp flipped/Blur1.bmp <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
w, h = struct.unpack_from("<ii", data, 18)
stride = (w * 3 + 3) // 4 * 4
rows = [data[offset + r * stride: offset + (r + 1) * stride] for r in range(h)]
open(sys.argv[2], "wb").write(data[:offset] + b"".join(reversed(rows)))
PY
cp "$filters"/student/* filters/ && cp "$filters"/ANS/* filters/ANS/
for set in cases flipped; do
  (cd $set && "$check" --max 0.5 --json . >../$set.json || true)
done
(cd filters && "$check" --exercise "$filters/exercise.toml" --ans ANS --json . >../filters.json || true)
# "." is searched for a misplaced output like any folder.
! grep -q "could not be searched" cases.json || fail "the folder . cannot be searched"

# The outputs each page is given, as base64 for the probe: not the
# references the page holds, but the hidden case's, which the filters page
# does not hold and takes from the student's ANS folder.
python3 - <<'PY'
import base64, json, os
def files(folder, extra=()):
    names = [n for n in sorted(os.listdir(folder)) if n != "ANS"] + list(extra)
    return [{"name": n, "bytes": base64.b64encode(open(os.path.join(folder, n), "rb").read()).decode()}
            for n in names]
sets = {"cases": files("cases"), "flipped": files("flipped"),
        "filters": files("filters", ["ANS/equalized.bmp"])}
open("files.js", "w").write("window.sets = " + json.dumps(sets) + ";\n")
PY

# Runs the sets through the page's maeCheck, then drops the last on the
# page and reads its table and views back.
probe() {  # probe PAGE SET...
  local page=$1 names
  shift
  names=$(printf '"%s",' "$@")
  probe_page "$dir/$page" 1200 900 '
  var violations = 0;
  doc.addEventListener("securitypolicyviolation", function () { violations++; });
  function bytes(b64) {
    var t = atob(b64), u = new Uint8Array(t.length);
    for (var i = 0; i < t.length; ++i) { u[i] = t.charCodeAt(i); }
    return u;
  }
  function later(test) {
    return new Promise(function (done) {
      (function wait() { test() ? done() : setTimeout(wait, 50); })();
    });
  }
  var names = ['"${names%,}"'];
  return new Promise(function (done) {
    var s = document.createElement("script");
    s.src = "files.js";
    s.onload = done;
    document.head.appendChild(s);
  }).then(function () {
    return names.reduce(function (so_far, name) {
      return so_far.then(function (out) {
        var files = window.sets[name].map(function (f) { return {name: f.name, bytes: bytes(f.bytes)}; });
        return win.maeCheck(files).then(function (json) { out[name] = json; return out; });
      });
    }, Promise.resolve({}));
  }).then(function (out) {
    var dt = new win.DataTransfer();
    window.sets[names[names.length - 1]].forEach(function (f) {
      dt.items.add(new win.File([bytes(f.bytes)], f.name));
    });
    doc.getElementById("drop").dispatchEvent(
        new win.DragEvent("drop", {dataTransfer: dt, bubbles: true, cancelable: true}));
    return later(function () { return doc.querySelector("#results table"); }).then(function () {
      out.rows = Array.prototype.map.call(doc.querySelectorAll("#results tr"), function (r) {
        return r.textContent;
      });
      out.views = doc.querySelectorAll("#results .views [value=flip]").length;
      // The report script drives the views: its button flips the first.
      var flip = doc.querySelector("#results .views button[id$=-flip]");
      flip.click();
      out.flip = flip.textContent;
      out.fetched = win.performance.getEntriesByType("resource").map(function (e) { return e.name; });
      out.violations = violations;
      out.title = doc.querySelector("h1").textContent;
      out.private = doc.querySelector(".private").textContent;
      return out;
    });
  });'
}
probe cases.html cases flipped >cases.probe
probe filters.html filters >filters.probe

python3 - <<'PY' || fail "the pages"
import json, sys
bad = []
for page, sets, views, title in (("cases", ["cases", "flipped"], 9, "Check your outputs"),
                                 ("filters", ["filters"], 3, "Point and neighbourhood operations")):
    got = json.load(open(page + ".probe"))
    if not isinstance(got, dict):
        print(f"{page}: {got}"); sys.exit(1)
    for name in sets:
        want = json.load(open(name + ".json"))
        if got[name] != want:
            for a, b in zip(want.get("cases", []), (got[name] or {}).get("cases", [])):
                if a != b: bad.append(f"{name}: {json.dumps(b)}\n  is not {json.dumps(a)}")
            bad.append(f"{name}: the page's JSON is not the command line's")
    last = json.load(open(sets[-1] + ".json"))
    for case in last["cases"]:
        words = [case.get("reason")] + [d["text"] for d in case["diagnosis"]] + [case.get("note")]
        row = next((r for r in got["rows"] if r.startswith(case["name"])), "")
        for w in filter(None, words):
            if w not in row: bad.append(f"{page}: the row of {case['name']} lacks {w!r}")
    if got["views"] != views: bad.append(f"{page}: {got['views']} views, expected {views}")
    if got["fetched"] or got["violations"]:
        bad.append(f"{page}: fetched {got['fetched']}, {got['violations']} policy violations")
    if got["title"] != title: bad.append(f"{page}: title {got['title']!r}")
    if got["flip"] != "Show the output (F)": bad.append(f"{page}: the flip button says {got['flip']!r}")
    if "sends nothing" not in got["private"]: bad.append(f"{page}: no line on privacy")
flipped = json.load(open("flipped.json"))["cases"][0]
if not any(d["code"] == "flipped_vertically" for d in flipped["diagnosis"]):
    bad.append(f"the flipped Blur1 is not said to be flipped: {flipped['diagnosis']}")
if bad: print("\n".join(bad)); sys.exit(1)
PY

# The generic page the build installs: the built-in cases, no reference.
generic=$(dirname "$check")/../mae-check.html
if [ -f "$generic" ]; then
  [ "$(stat -c %s "$generic")" -le $((2 * 1024 * 1024)) ] || fail "the generic page is over 2 MB"
  grep -q '"references":{}' "$generic" || fail "the generic page embeds references"
fi
echo "web page: $failed failed"
[ "$failed" -eq 0 ]
