#!/usr/bin/env bash
# The HTML report in a real browser: headless Chromium loads the report of
# the sample cases from a file, with no network; its DOM must show every
# case with its verdict and figures, and its screenshot must not be blank.
#   browser.sh MAE_CHECK_EXECUTABLE PROJECT_SOURCE_DIR
# Exits 77 (reported as skipped) when Chromium is not installed.
set -euo pipefail
check=$1
source_dir=$2
. "$source_dir/scripts/lib.sh"
if ! command -v chromium >/dev/null; then
  echo "SKIPPED: chromium is not installed"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

status=0
"$check" --max 0.5 --report "$dir/report.html" "$source_dir/examples/cases" >/dev/null || status=$?
[ "$status" -eq 1 ] || { echo "FAILED: mae-check exited $status, expected 1"; exit 1; }

headless_chromium --dump-dom "file://$dir/report.html" >"$dir/dom.html"
failed=0
expect() {
  if ! grep -qF -- "$1" "$dir/dom.html"; then
    echo "FAILED: the page does not show: $1"
    failed=$((failed + 1))
  fi
}
expect '<p class="summary">7 of 10 cases pass (MAE at most 0.5)'
for pass in Blur1 Blur2 Blur3 Blur5 Sobel1 Sobel2 Sobel3; do
  expect "<h2>$pass <span class=\"verdict\">pass</span></h2>"
done
expect '<h2>Blur4 <span class="verdict">fail</span></h2>'
expect '<h2>Sobel4 <span class="verdict">fail</span></h2>'
expect '<h2>Sobel5 <span class="verdict">error</span></h2>'
expect 'sizes differ: output 239x160, reference 240x160'
expect 'cannot be opened: No such file or directory'
expect '<td>10.7994</td>'
images=$(grep -o '<img data-role=' "$dir/dom.html" | wc -l)
[ "$images" -eq 27 ] || { echo "FAILED: $images pictures on the page, expected 27"; failed=$((failed + 1)); }

headless_chromium --window-size=1200,1600 --screenshot="$dir/shot.png" "file://$dir/report.html" \
  >/dev/null
size=$(stat -c %s "$dir/shot.png" 2>/dev/null || echo 0)
# A blank page of this size compresses to a few kilobytes; pictures do not.
[ "$size" -gt 50000 ] || { echo "FAILED: the screenshot is $size bytes: blank?"; failed=$((failed + 1)); }
if command -v identify >/dev/null; then
  colours=$(identify -format '%k' "$dir/shot.png")
  [ "$colours" -gt 1000 ] || { echo "FAILED: the screenshot has $colours colours"; failed=$((failed + 1)); }
fi
# The class overview: every student and case on the page, and every
# student's link opening that student's own report.
mkdir -p "$dir/class/ann" "$dir/class/b b" "$dir/class/c%c"
cp "$source_dir"/examples/cases/*.bmp "$dir/class/ann/"
cp "$source_dir"/examples/cases/ANS/*.bmp "$dir/class/b b/"
cp "$source_dir"/examples/cases/ANS/Blur1.bmp "$dir/class/c%c/"
"$check" --class "$dir/class" --ans "$source_dir/examples/cases/ANS" --reports "$dir/reports" \
  >/dev/null || true
headless_chromium --dump-dom "file://$dir/reports/index.html" >"$dir/dom.html"
for cell in '>ann</a>' '>b b</a>' '>c%c</a>' '>Blur1</th>' '>Sobel5</th>' '>10/10</td>'; do
  expect "$cell"
done
# Each student's page, once (the cells link to its cases).
links=$(grep -o 'href="students/[^"]*"' "$dir/dom.html" | sed 's/^href="//; s/"$//; s/#.*//' | sort -u)
[ "$(echo "$links" | wc -l)" -eq 3 ] || { echo "FAILED: links: $links"; failed=$((failed + 1)); }
for link in $links; do
  headless_chromium --dump-dom "file://$dir/reports/$link" >"$dir/student.html"
  # The student's name (the link's file name, whose '%' and '/' are
  # percent-encoded once more in the file name) in the title and the heading,
  # a link back to the overview, and every picture drawn, the shared
  # references included.
  name=$(python3 -c 'import sys, urllib.parse, os; print(urllib.parse.unquote(urllib.parse.unquote(os.path.basename(sys.argv[1])))[:-5])' "$link")
  python3 - "$dir/student.html" "$name" <<'PY' || { echo "FAILED: $link is not $name's page"; failed=$((failed + 1)); }
import html, re, sys
page, name = open(sys.argv[1], encoding="utf-8").read(), sys.argv[2]
shown = html.escape(name, quote=False)
ok = (f"<title>{shown} — " in page and f"<h1>{shown} — mae-check report</h1>" in page
      and '<a href="../index.html">' in page)
imgs = re.findall(r"<img [^>]*>", page)
ok = ok and imgs and all(" src=" in i for i in imgs) and any("data-shared" in i for i in imgs)
sys.exit(0 if ok else 1)
PY
done

# At 400 CSS pixels (a phone) no page scrolls sideways: wide tables scroll
# in their own box, pictures shrink to the column.
student_page=$(ls "$dir"/reports/students/*.html | head -1)
for page in "$dir/report.html" "$dir/reports/index.html" "$student_page"; do
  width=$(probe_page "$page" 400 900 'return doc.documentElement.scrollWidth;')
  [ "$width" -le 400 ] 2>/dev/null || { echo "FAILED: $page is $width pixels wide at 400"; failed=$((failed + 1)); }
done
# A student's page draws the shared reference pictures from file://, and
# the zoom reads their pixels (a tainted canvas could not).
zoomed=$(probe_page "$dir/reports/students/ann.html" 1200 900 '
  var img = doc.querySelector("section.case img[data-role=reference][data-shared]");
  img.click();
  var canvas = doc.querySelector("dialog.zoom canvas"), r = canvas.getBoundingClientRect();
  canvas.dispatchEvent(new win.MouseEvent("mousemove", {clientX: r.left + 2, clientY: r.top + 2}));
  return doc.querySelector("dialog.zoom .where").textContent;')
case $zoomed in
  *"reference R "*) ;;
  *) echo "FAILED: the zoom of a shared picture says $zoomed"; failed=$((failed + 1)) ;;
esac

echo "browser: $failed failed"
[ "$failed" -eq 0 ]
