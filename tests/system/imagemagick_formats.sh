#!/usr/bin/env bash
# mae-check against ImageMagick's own decoding: ImageMagick writes one real
# picture in every format it can (a palette, RLE, 16-bit 5-6-5, alpha,
# 4 and 1 bits, PNG), and mae-check compares each file with ImageMagick's
# decoding of it, written as a plain 24-bit BMP: MAE 0 wherever ImageMagick
# reads the file, and the format said in the JSON.
#   imagemagick_formats.sh MAE_CHECK_EXECUTABLE
# Exits 77 (reported as skipped) when ImageMagick or python3 is missing.
set -euo pipefail
check=$1
for tool in convert python3; do
  command -v $tool >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
convert rose: -resize 71x46\! -type truecolor BMP3:picture.bmp

checked=0
failed=0
# NAME EXPECTED_FORMAT CONVERT_ARGUMENTS...
made() {
  local name=$1 format=$2
  shift 2
  if ! convert picture.bmp "$@" 2>/dev/null; then
    echo "NOTE: ImageMagick cannot write $name here"
    return
  fi
  # ImageMagick's own reading of it, as 24-bit pixels.
  convert "$name" -alpha off -type truecolor BMP3:decoded.bmp
  local json
  json=$("$check" --json "$name" decoded.bmp || true)
  local got
  got=$(printf '%s' "$json" | python3 -c '
import json, sys
c = json.load(sys.stdin)["cases"][0]
print(c["mae"], c["output_format"], c["output_status"])')
  checked=$((checked + 1))
  if [ "$got" != "0.0 $format ok" ]; then
    echo "FAILED: $name: got '$got', expected '0.0 $format ok'"
    failed=$((failed + 1))
  fi
}
made palette8.bmp bmp8 -type Palette -colors 200 -compress none BMP3:palette8.bmp
made rle8.bmp rle8 -type Palette -colors 200 -compress RLE BMP3:rle8.bmp
made rgb565.bmp bmp16 -define bmp:subtype=RGB565 BMP:rgb565.bmp
made alpha32.bmp bmp32 -alpha on BMP:alpha32.bmp
made palette4.bmp bmp4 -colors 16 -type Palette -compress none BMP3:palette4.bmp
made palette1.bmp bmp1 -colors 2 -type Palette -depth 1 -compress none BMP3:palette1.bmp
made picture.png png PNG24:picture.png
made named_png.bmp png PNG24:named_png.bmp
echo "imagemagick formats: $checked checked, $failed failed"
[ "$failed" -eq 0 ]
