#!/usr/bin/env bash
# Cross-check against a program nobody here wrote: ImageMagick makes
# pictures of odd and even widths and their blurred and edge-detected
# copies, writes them as standard 24-bit BMP files (rows padded to 4
# bytes), and its own `compare -metric MAE` (normalised, x 255) must print
# what MAE prints, to MAE's six digits.
#   imagemagick.sh MAE_EXECUTABLE
# Exits 77 (reported as skipped) when ImageMagick is not installed.
set -euo pipefail
mae=$1
if ! command -v convert >/dev/null || ! command -v compare >/dev/null; then
  echo "SKIPPED: ImageMagick (convert, compare) is not installed"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

checked=0
failed=0
for size in 70x46 71x33 64x64 961x63 33x1 1x5 2x7 3x3; do
  bmp() { convert "$@" -type truecolor "BMP3:$out"; }
  out=a_$size.bmp bmp -seed 4 -size "$size" plasma:fractal
  out=blur_$size.bmp bmp "a_$size.bmp" -blur 0x1.5
  out=edge_$size.bmp bmp "a_$size.bmp" -edge 1
  for pair in "a blur" "a edge" "blur edge" "a a"; do
    set -- $pair
    first=$1_$size.bmp
    second=$2_$size.bmp
    got=$("$mae" "$first" "$second")
    # compare exits 1 when the pictures differ; its figures go to stderr.
    normalised=$({ compare -precision 12 -metric MAE "$first" "$second" null: 2>&1 || true; } |
      sed -n 's/.*(\(.*\)).*/\1/p')
    expected=$(awk -v n="$normalised" 'BEGIN { printf "MAE = %g", n * 255 }')
    checked=$((checked + 1))
    if [ "$got" != "$expected" ]; then
      echo "FAILED $first $second: MAE printed '$got', ImageMagick gives '$expected'"
      failed=$((failed + 1))
    fi
  done
  # One column cropped off: the common area is the same picture.
  out=cropped_$size.bmp bmp "a_$size.bmp" -gravity east -chop 1x0 +repage
  w=${size%x*}
  if [ "$w" -gt 1 ]; then
    got=$("$mae" "a_$size.bmp" "cropped_$size.bmp")
    checked=$((checked + 1))
    if [ "$got" != $' Warning: The size of 2 images is not the same!\nMAE = 0' ]; then
      echo "FAILED a_$size.bmp against itself one column narrower: '$got'"
      failed=$((failed + 1))
    fi
  fi
  # Cut short: losing the last row's padding still reads; one byte more is
  # a standard file that lost pixels, refused, never read as packed rows.
  pad=$(((4 - w * 3 % 4) % 4))
  for cut in "$pad 0" "$((pad + 1)) -1"; do
    set -- $cut
    head -c "-$1" "a_$size.bmp" >cut.bmp
    got=$("$mae" cut.bmp "a_$size.bmp")
    expected="MAE = $2"
    [ "$2" = 0 ] || expected=$' Error: cut.bmp holds less pixel data than its header declares.\nMAE = -1'
    checked=$((checked + 1))
    if [ "$got" != "$expected" ]; then
      echo "FAILED a_$size.bmp cut by $1 bytes: '$got'"
      failed=$((failed + 1))
    fi
  done
  # OS/2 files: their fields are elsewhere, and they say so.
  convert "a_$size.bmp" "BMP2:os2.bmp"
  got=$("$mae" os2.bmp "a_$size.bmp")
  checked=$((checked + 1))
  if [ "$got" != $' Error: os2.bmp has an OS/2 header, which is not supported.\nMAE = -1' ]; then
    echo "FAILED the OS/2 copy of a_$size.bmp: '$got'"
    failed=$((failed + 1))
  fi
done
echo "imagemagick: $((checked - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
