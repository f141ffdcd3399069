"""scikit-image's SSIM of raw picture pairs, for the cross-check in
skimage_ssim_test.cpp.

Usage: skimage_ssim.py LIST. Each line of LIST names one pair:
  WIDTH HEIGHT OUTPUT REFERENCE [X,Y,W,H ...]
OUTPUT and REFERENCE hold packed blue-green-red bytes, bottom row first, as
mae-check's views hold them. Inside each rectangle X,Y,W,H (top-left origin)
the output takes the reference's pixels first. Prints one SSIM a line, in
full precision.
"""
import sys

import numpy as np
from skimage.metrics import structural_similarity


def load(path, width, height):
    raw = np.fromfile(path, dtype=np.uint8).reshape(height, width, 3)
    return np.ascontiguousarray(raw[::-1, :, ::-1])  # top row first, RGB


def main(list_path):
    with open(list_path, encoding="utf-8") as pairs:
        for line in pairs:
            width, height, output, reference, *rects = line.split()
            width, height = int(width), int(height)
            out = load(output, width, height)
            ref = load(reference, width, height)
            for rect in rects:
                x, y, w, h = (int(v) for v in rect.split(","))
                out[y:y + h, x:x + w] = ref[y:y + h, x:x + w]
            ssim = structural_similarity(out, ref, gaussian_weights=True, sigma=1.5,
                                         use_sample_covariance=False, data_range=255,
                                         channel_axis=2)
            print(repr(float(ssim)))


if __name__ == "__main__":
    main(sys.argv[1])
