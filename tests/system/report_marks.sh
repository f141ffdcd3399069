#!/usr/bin/env bash
# The report in a real browser, as a student sees it: headless Chromium
# takes a 1400-pixel-wide screenshot of the report of a case whose only
# difference is one row, and of one whose only differences are 12
# scattered pixels each off by 1; the drawn difference picture must show
# saturated red (R >= 200, G and B <= 100) at each defect's place, and the
# passing case nothing else that red. Then the page's structure: an
# overview row per case linking to it, a compare control per compared
# case, text alternatives, header cells, headings and labelled controls.
#   report_marks.sh MAE_CHECK_EXECUTABLE PROJECT_SOURCE_DIR
# Exits 77 (skipped) without Chromium, ImageMagick or python3.
set -euo pipefail
check=$1
source_dir=$2
. "$source_dir/scripts/lib.sh"
for tool in chromium convert python3; do
  command -v $tool >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# Pictures of a flat blue (not grey), so that the difference picture's
# faded grey marks where it is drawn. make W H NAME [x,y,...] [row=Y]: each
# listed pixel (top-left origin) gets 1 added to its blue byte; row Y is
# black.
make() {
  python3 - "$@" <<'PY'
import struct, sys
w, h, name = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
changed = {tuple(map(int, p.split(","))) for p in sys.argv[4:] if "=" not in p}
black = {int(p[4:]) for p in sys.argv[4:] if p.startswith("row=")}
stride = (w * 3 + 3) // 4 * 4
plain = bytes([180, 120, 40]) * w + bytes(stride - w * 3)
rows = [bytearray(plain) if any(y == cy for _, cy in changed) or y in black else plain
        for y in range(h)]
for x, y in changed:
    rows[y][x * 3] = 181
for y in black:
    rows[y][: w * 3] = bytes(w * 3)
pixels = b"".join(bytes(rows[h - 1 - r]) for r in range(h))
header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
header += struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 0, 0, 0, 0)
open(name, "wb").write(header + pixels)
PY
}

# A screenshot's pixels, for the checks below: shot.ppm's size, at(x, y)
# and whether a pixel is the marks' red.
cat >shot.py <<'PY'
data = open("shot.ppm", "rb").read()
parts = data.split(b"\n", 3)
W, H = map(int, parts[1].split())
px = parts[3]
def at(x, y):
    i = (y * W + x) * 3
    return px[i], px[i + 1], px[i + 2]
def red(x, y):  # the marks' saturated red
    r, g, b = at(x, y)
    return r >= 200 and g <= 100 and b <= 100
PY

# Finds the drawn difference picture (the faded grey of the blue) in the
# screenshot, and says whether each place (x, y in the picture's own
# pixels, scaled by the drawn size) has saturated red within 10 pixels,
# and whether any saturated red lies outside 12 pixels of the picture.
analyse() {  # analyse SHOT.png WIDTH HEIGHT x,y...
  convert "$1" ppm:shot.ppm
  python3 - "$@" <<'PY'
import sys
from shot import W, H, at, red
_, _, w, h, *places = sys.argv
w, h = int(w), int(h)
# The faded grey of the pictures' blue, in runs too long to be text.
def grey(x, y):
    r, g, b = at(x, y)
    return r == g == b == 179
xs, ys = [], []
for y in range(0, H):
    for x in range(0, W - 16, 2):
        if all(grey(x + k, y) for k in range(0, 16, 3)):
            xs.append(x); ys.append(y)
if not xs:
    print("no difference picture found"); sys.exit(1)
left, top, right, bottom = min(xs), min(ys), max(xs) + 15, max(ys)
sx, sy = (right - left + 1) / w, (bottom - top + 1) / h
bad = 0
for place in places:
    x, y = map(int, place.split(","))
    cx, cy = left + x * sx, top + y * sy
    found = any(red(int(cx + dx), int(cy + dy)) for dx in range(-10, 11) for dy in range(-10, 11)
                if 0 <= cx + dx < W and 0 <= cy + dy < H)
    if not found:
        print(f"no red near ({x}, {y})"); bad += 1
# The case's section: the rows about the picture (the legend above it
# shows the shades, and is no case's).
stray = [(x, y) for y in range(max(0, top - 120), min(H, bottom + 120)) for x in range(0, W, 2)
         if red(x, y) and
         not (left - 12 <= x <= right + 12 and top - 12 <= y <= bottom + 12)]
if stray:
    print(f"red away from the picture, e.g. at {stray[0]}"); bad += 1
sys.exit(1 if bad else 0)
PY
}

# The red ticks beside the drawn difference picture, at the true place of
# each differing row and column within 2 displayed pixels, however much the
# picture is scaled: ticks SHOT.png WIDTH HEIGHT row=Y|column=X...
ticks() {
  convert "$1" ppm:shot.ppm
  python3 - "$@" <<'PY'
import sys
from shot import W, H, at, red
_, _, w, h, *places = sys.argv
w, h = int(w), int(h)
grey = [(x, y) for y in range(H) for x in range(0, W - 16, 4)
        if all(at(x + k, y) == (179, 179, 179) for k in (0, 5, 10, 15))]
if not grey:
    print("no difference picture found"); sys.exit(1)
left, top = min(x for x, _ in grey), min(y for _, y in grey)
right, bottom = max(x for x, _ in grey) + 15, max(y for _, y in grey)
# Found 4 pixels at a time: walk to the picture's exact edges.
ly = next(y for x, y in grey if x == left)
while at(left - 1, ly) == (179, 179, 179):
    left -= 1
while at(right + 1, ly) == (179, 179, 179):
    right += 1
tx = next(x for x, y in grey if y == top)
while at(tx, top - 1) == (179, 179, 179):
    top -= 1
# The grey rows and columns stop at the marked row and column, so the
# picture's edges come from the grey bounding box.
sx, sy = (right - left + 1) / w, (bottom - top + 1) / h
bad = 0
for place in places:
    kind, n = place.split("=")
    n = int(n)
    if kind == "row":
        want = top + (n + 0.5) * sy
        hits = [y for y in range(max(0, top - 2), min(H, bottom + 3))
                if any(red(x, y) for x in range(max(0, left - 9), left - 1))]
    else:
        want = left + (n + 0.5) * sx
        hits = [x for x in range(max(0, left - 2), min(W, right + 3))
                if any(red(x, y) for y in range(max(0, top - 9), top - 1))]
    if not hits or min(abs(v - want) for v in hits) > 2:
        print(f"{kind} {n}: tick at {hits[:3]}..., expected near {want:.0f}"); bad += 1
sys.exit(1 if bad else 0)
PY
}

# Pictures above 2048 pixels are drawn 1 pixel in 2: their marks still at
# the full-size place. A black row at y = 1234 of 3000, and one pixel at
# (2500, 700) of 3000 x 2000, whose figures say where it is.
make 3000 3000 big-ref.bmp
make 3000 3000 big-row.bmp row=1234
"$check" --report big-row.html big-row.bmp big-ref.bmp >/dev/null || true
headless_chromium --window-size=1400,4600 --screenshot="$dir/big-row.png" \
  "file://$dir/big-row.html" >/dev/null
ticks big-row.png 3000 3000 row=1234 || fail "the row of a 3000-row picture is not marked in place"
make 3000 2000 wide-ref.bmp
make 3000 2000 wide-dot.bmp 2500,700
"$check" --report wide-dot.html wide-dot.bmp wide-ref.bmp >/dev/null || true
grep -q '<td>(2500, 700)</td>' wide-dot.html || fail "the largest difference is not said at (2500, 700)"
headless_chromium --window-size=1400,3600 --screenshot="$dir/wide-dot.png" \
  "file://$dir/wide-dot.html" >/dev/null
ticks wide-dot.png 3000 2000 row=700 column=2500 || fail "the pixel of 3000 x 2000 is not marked in place"

# A picture just past 360 pixels is drawn at its own width, every row and
# column kept (it was drawn 360 wide, one of each dropped).
make 361 200 own-ref.bmp
make 361 200 own-out.bmp 3,3
"$check" --report own.html own-out.bmp own-ref.bmp >/dev/null || true
[ "$(grep -o '<img data-role="output"[^>]* width="361" height="200"' own.html | wc -l)" -eq 1 ] ||
  fail "a 361 x 200 picture is not drawn at its own size"

# One row: the top row of a 961 x 636 picture, drawn at its own size.
make 961 636 ref.bmp
make 961 636 row.bmp $(for x in $(seq 0 960); do echo "$x,0"; done)
"$check" --max 1 --report row.html row.bmp ref.bmp >/dev/null || fail "the one-row case does not pass --max 1"
headless_chromium --window-size=1400,3200 --screenshot="$dir/row.png" "file://$dir/row.html" >/dev/null
analyse row.png 961 636 0,0 480,0 960,0 || fail "the one row is not marked"

# Twelve scattered pixels of 216 x 144, each off by 1.
spots="5,7 40,100 77,20 100,130 130,60 150,5 170,140 200,90 210,30 20,70 60,50 190,120"
make 216 144 ref2.bmp
make 216 144 spots.bmp $spots
"$check" --max 1 --report spots.html spots.bmp ref2.bmp >/dev/null || fail "the spots case does not pass"
headless_chromium --window-size=1400,3200 --screenshot="$dir/spots.png" "file://$dir/spots.html" \
  >/dev/null
analyse spots.png 216 144 $spots || fail "a scattered pixel is not marked"

# The legend's shades, neighbour to neighbour and the first against the
# faded grey's lightest and darkest, at least 10 apart in CIE76 Delta E
# (sRGB to L*a*b*, D65).
python3 - row.html <<'PY' || fail "the legend's shades are too alike"
import math, re, sys
page = open(sys.argv[1], encoding="utf-8").read()
legend = re.search(r'<p class="legend".*?</p>', page, re.S).group(0)
swatches = [tuple(map(int, m)) for m in
            re.findall(r'background:rgb\((\d+),(\d+),(\d+)\)"></span>differs by', legend)]
def lab(rgb):
    lin = [c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4 for c in (v / 255 for v in rgb)]
    r, g, b = lin
    xyz = (0.4124 * r + 0.3576 * g + 0.1805 * b, 0.2126 * r + 0.7152 * g + 0.0722 * b,
           0.0193 * r + 0.1192 * g + 0.9505 * b)
    f = [t ** (1 / 3) if t > 216 / 24389 else (24389 / 27 * t + 16) / 116
         for t in (xyz[0] / 0.95047, xyz[1], xyz[2] / 1.08883)]
    return 116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])
pairs = list(zip(swatches, swatches[1:])) + [(swatches[0], (255,) * 3), (swatches[0], (128,) * 3)]
close = [(a, b, math.dist(lab(a), lab(b))) for a, b in pairs if math.dist(lab(a), lab(b)) < 10]
if len(swatches) < 4 or close:
    print(swatches, close); sys.exit(1)
PY

# The controls: hiding differences of at most 1 greys a pixel off by 1 and
# keeps one off by 142; the marks switch hides the marks; F flips the case
# in view with the focus nowhere in particular.
python3 - <<'PY'
import struct
w, h = 40, 30
rows = []
for name, changes in (("ctl-ref.bmp", {}), ("ctl-out.bmp", {(5, 5): 181, (30, 20): 38})):
    pixels = b""
    for file_row in range(h):
        y = h - 1 - file_row
        for x in range(w):
            pixels += bytes([changes.get((x, y), 180), 120, 40])
    header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
    header += struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    open(name, "wb").write(header + pixels)
PY
"$check" --report ctl.html ctl-out.bmp ctl-ref.bmp >/dev/null || true
controls=$(probe_page "$dir/ctl.html" 1200 900 '
  var img = doc.querySelector("img[data-role=difference]");
  var slider = doc.querySelector(".hide input[type=range]");
  function at(x, y) {
    var c = doc.createElement("canvas"); c.width = img.naturalWidth; c.height = img.naturalHeight;
    var g = c.getContext("2d"); g.drawImage(img, 0, 0);
    var p = g.getImageData(x, y, 1, 1).data;
    return p[0] === p[1] && p[1] === p[2] ? "grey" : "colour";
  }
  var before = [at(5, 5), at(30, 20)];
  var marks = doc.getElementById("marks-switch");
  marks.click();
  var svg = doc.querySelector(".marked svg");
  var marksOff = win.getComputedStyle(svg).display === "none";
  doc.body.focus();
  doc.dispatchEvent(new win.KeyboardEvent("keydown", {key: "f", bubbles: true}));
  var flipped = doc.querySelector("button[id$=-flip]").textContent;
  return new Promise(function (done) {
    img.addEventListener("load", function () {
      done([before, [at(5, 5), at(30, 20)], marksOff, flipped]);
    }, {once: true});
    slider.value = 1;
    slider.dispatchEvent(new win.Event("input"));
  });')
[ "$controls" = '[["colour","colour"],["grey","colour"],true,"Show the output (F)"]' ] ||
  fail "the controls: $controls"

# The structure, on the sample cases.
"$check" --max 0.5 --report cases.html "$source_dir/examples/cases" >/dev/null || true
headless_chromium --dump-dom "file://$dir/cases.html" >dom.html
python3 - <<'PY' || fail "the page's structure"
import re, sys
html = open("dom.html", encoding="utf-8").read()
bad = []
rows = re.findall(r'<tr class="(pass|fail|error)"><th scope="row"><a href="#(case-\d+)">', html)
if len(rows) != 10: bad.append(f"{len(rows)} overview rows")
for _, anchor in rows:
    if f'id="{anchor}"' not in html: bad.append(f"no section {anchor}")
sections = re.findall(r'<section class="case[^"]*" id="(case-\d+)"[^>]*>(.*?)</section>', html, re.S)
for anchor, body in sections:
    if not re.search(r"<h2>", body): bad.append(f"{anchor} has no heading")
    compared = "data-role=\"output\"" in body
    if compared:
        for m in ("flip", "slide", "blend"):
            if f'value="{m}"' not in body: bad.append(f"{anchor} has no {m} control")
        for control in re.findall(r'<input[^>]*id="([^"]+)"', body):
            if f'for="{control}"' not in body: bad.append(f"{control} has no label")
if len([s for s in sections if 'data-role="output"' in s[1]]) != 9: bad.append("compared cases")
if re.search(r"<img(?![^>]*\balt=)", html): bad.append("a picture without alt")
if '<th scope="col">case</th>' not in html: bad.append("no header cells")
if bad: print("; ".join(bad)); sys.exit(1)
PY
echo "report marks: $failed failed"
[ "$failed" -eq 0 ]
