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
  if ! grep -q '<h1>mae-check report</h1>' "$dir/student.html"; then
    echo "FAILED: $link does not open a student's report"
    failed=$((failed + 1))
  fi
done

echo "browser: $failed failed"
[ "$failed" -eq 0 ]
