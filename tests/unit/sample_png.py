#!/usr/bin/env python3
"""The PNG references the sample generator writes with its own PNG writer:
each chunk's CRC-32 holds, the header says 8-bit RGB, not interlaced, the
zlib stream inflates with its Adler-32 right, and Pillow reads the very
pixels of the BMP file beside it. Exits 77 (skipped) without Pillow.

  sample_png.py EXAMPLES_DIR
"""
import pathlib
import struct
import sys
import zlib

try:
    from PIL import Image
except ImportError:
    print("SKIPPED: Pillow is not installed")
    sys.exit(77)

# Each PNG reference with a BMP file holding the same pixels.
PAIRS = [("filters/ANS/gray.png", "filters/student/gray.bmp")]


def check_chunks(data):
    """The chunks' CRCs and header; returns the inflated pixel data's size."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "no PNG signature"
    at, header, idat = 8, None, b""
    while at < len(data):
        (length,) = struct.unpack(">I", data[at : at + 4])
        kind = data[at + 4 : at + 8]
        body = data[at + 8 : at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length : at + 12 + length])
        assert zlib.crc32(kind + body) == crc, f"bad CRC-32 on {kind!r}"
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    assert kind == b"IEND", "the last chunk is not IEND"
    width, height, depth, colour, _, _, interlace = header
    assert (depth, colour, interlace) == (8, 2, 0), f"header {header}"
    raw = zlib.decompress(idat)  # checks the Adler-32
    assert len(raw) == height * (1 + 3 * width), "pixel data of the wrong size"


def main():
    root = pathlib.Path(sys.argv[1])
    for png, bmp in PAIRS:
        check_chunks((root / png).read_bytes())
        with Image.open(root / png) as got, Image.open(root / bmp) as want:
            assert got.mode == "RGB", f"{png}: mode {got.mode}"
            assert got.size == want.size, f"{png}: size {got.size}"
            assert got.tobytes() == want.convert("RGB").tobytes(), f"{png}: pixels differ from {bmp}"
    print(f"{len(PAIRS)} PNG file(s) checked")


if __name__ == "__main__":
    main()
