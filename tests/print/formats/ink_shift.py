#!/usr/bin/env python3
"""Where the ink of one PDF page lands compared with another's.

    ink_shift.py EXPECTED.pdf PRINTED.pdf [PAGE [DPI]]

Renders the page (default 1) of both files with pdftoppm (default 300 dpi,
grey) and prints JSON: "dx", "dy" the shift of PRINTED against EXPECTED in
millimetres, from the ink's bounding box (left and top edges) and, as
"cdx"/"cdy", from the ink's centre of mass; "expected"/"printed" each give the
ink box and the page size in millimetres. Text from a print queue is often
re-rendered (cups-pdf turns glyphs into Type 3 outlines whose text boxes are
meaningless), so rendered ink is the fair comparison.
"""

import json
import subprocess
import sys


def render(pdf, page, dpi):
    pgm = subprocess.run(
        ["pdftoppm", "-f", str(page), "-l", str(page), "-r", str(dpi), "-gray", pdf],
        check=True, capture_output=True).stdout
    magic, dims, maxval, pixels = pgm.split(b"\n", 3)
    if magic != b"P5":
        raise SystemExit("unexpected pdftoppm output")
    width, height = map(int, dims.split())
    return width, height, pixels


def ink(pdf, page, dpi):
    width, height, pixels = render(pdf, page, dpi)
    mm = 25.4 / dpi
    white = bytes([255]) * width
    sx = sy = n = 0
    left, top, right, bottom = width, height, -1, -1
    for y in range(height):
        row = pixels[y * width:(y + 1) * width]
        if row == white:
            continue
        for x, value in enumerate(row):
            if value < 128:
                sx += x
                sy += y
                n += 1
                left, right = min(left, x), max(right, x)
                top, bottom = min(top, y), max(bottom, y)
    if n == 0:
        return None
    return {
        "left": left * mm, "top": top * mm, "right": (right + 1) * mm,
        "bottom": (bottom + 1) * mm, "cx": (sx / n + 0.5) * mm, "cy": (sy / n + 0.5) * mm,
        "width": width * mm, "height": height * mm,
    }


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    page = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    dpi = int(sys.argv[4]) if len(sys.argv) > 4 else 300
    expected = ink(sys.argv[1], page, dpi)
    printed = ink(sys.argv[2], page, dpi)
    if expected is None or printed is None:
        raise SystemExit("a page without ink")
    json.dump({
        "dx": printed["left"] - expected["left"], "dy": printed["top"] - expected["top"],
        "cdx": printed["cx"] - expected["cx"], "cdy": printed["cy"] - expected["cy"],
        "expected": expected, "printed": printed,
    }, sys.stdout)


if __name__ == "__main__":
    main()
