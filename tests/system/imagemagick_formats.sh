#!/usr/bin/env bash
# mae-check against ImageMagick's own decoding: ImageMagick writes one real
# picture in every format it can (a palette, RLE, 16-bit 5-6-5, alpha,
# 4 and 1 bits, OS/2 1.x, PNG), and mae-check compares each file with
# ImageMagick's decoding of it, written as a plain 24-bit BMP: MAE 0
# wherever ImageMagick reads the file, and the format said in the JSON.
# The variants of the BMP Suite's good files that ImageMagick does not
# write (a short OS/2 2.x header, top-down rows, a palette in a 24-bit
# file, no colour count, RLE4, a PNG stream inside a BMP) are made from
# ImageMagick's files byte by byte, and compared with its reading of the
# file they were made from.
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
  compare "$name" "$name" "$format"
}
# NAME DECODED_FROM FORMAT: mae-check's reading of NAME against
# ImageMagick's of DECODED_FROM.
compare() {
  local name=$1 source=$2 format=$3
  # ImageMagick's own reading of it, as 24-bit pixels.
  convert "$source" -alpha off -type truecolor BMP3:decoded.bmp
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
made os2_8.bmp bmp_os2 -type Palette -colors 200 BMP2:os2_8.bmp
made os2_4.bmp bmp_os2 -type Palette -colors 16 BMP2:os2_4.bmp
made os2_1.bmp bmp_os2 -type Palette -colors 2 -depth 1 BMP2:os2_1.bmp
made os2_24.bmp bmp_os2 BMP2:os2_24.bmp
made v5_8.bmp bmp8 -type Palette -colors 200 -compress none BMP:v5_8.bmp
made rgb555.bmp bmp16 -define bmp:subtype=RGB555 BMP:rgb555.bmp
made odd_width.bmp bmp8 -resize 127x33\! -type Palette -colors 100 -compress none BMP3:odd_width.bmp

# SOURCE NAME FORMAT HOW: NAME made from SOURCE by the Python lines HOW,
# which read `b` (SOURCE's bytes, with its header fields h(at) and
# put(at, value)) and leave NAME's bytes in `b`.
rewritten() {
  local source=$1 name=$2 format=$3 how=$4
  python3 - "$source" "$name" <<PY
import struct, sys
b = bytearray(open(sys.argv[1], "rb").read())
h = lambda at: struct.unpack_from("<i", b, at)[0]
def put(at, value):
    struct.pack_into("<i", b, at, value)
$how
struct.pack_into("<I", b, 2, len(b))
open(sys.argv[2], "wb").write(b)
PY
  compare "$name" "$source" "$format"
}
# The 40-byte header cut to OS/2 2.x's first 16 bytes: width, height,
# planes, bit count; the palette (all 256 entries) follows at once.
rewritten palette8.bmp os2v2_16.bmp bmp8 '
entries = (h(10) - 54) // 4
pal = b[54:h(10)] + bytes(4 * (256 - entries))
pix = b[h(10):]
b = b[:14] + b[14:30] + pal + pix
put(14, 16); put(10, 30 + len(pal))'
# Top-down rows.
rewritten palette8.bmp topdown8.bmp bmp8 '
stride = (h(18) + 3) // 4 * 4
rows = [b[h(10) + i * stride:h(10) + (i + 1) * stride] for i in range(h(22))]
b = b[:h(10)] + b"".join(reversed(rows))
put(22, -h(22))'
# No colour count: a full palette of 256 entries.
rewritten palette8.bmp colours0.bmp bmp8 '
entries = (h(10) - 54) // 4
b = b[:h(10)] + bytes(4 * (256 - entries)) + b[h(10):]
put(10, 54 + 1024); put(46, 0)'
# A 24-bit file that holds a palette all the same.
rewritten picture.bmp rgb24pal.bmp bmp24 '
b = b[:54] + bytes(range(256)) * 4 + b[54:]
put(10, 54 + 1024); put(46, 256)'
# RLE4 from the 4-bit file: runs of two pixels, an end of row after each.
rewritten palette4.bmp rle4.bmp rle4 '
width, stride = h(18), (h(18) + 7) // 8 * 4
runs = bytearray()
for row in range(h(22)):
    line = b[h(10) + row * stride:h(10) + row * stride + (width + 1) // 2]
    for x in range(0, width, 2):
        runs += bytes([min(2, width - x), line[x // 2]])
    runs += bytes([0, 0])
runs += bytes([0, 1])
b = b[:h(10)] + runs
put(30, 2); put(34, len(runs))'
# ImageMagick's PNG as the pixel data of a BMP file (compression 5).
convert picture.bmp PNG24:stream.png
rewritten picture.bmp bmp_png.bmp bmp_png '
png = open("stream.png", "rb").read()
b = b[:54] + png
put(10, 54); put(28, 0); put(30, 5); put(34, len(png))'
echo "imagemagick formats: $checked checked, $failed failed"
[ "$failed" -eq 0 ]
