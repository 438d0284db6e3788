#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon file (.ico), each stored as PNG.

    make-ico.py OUT.ico IN-16.png IN-32.png ...

Windows (Vista and later) reads PNG entries of any size; the sizes are read
from the PNG headers.
"""

import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main(out, inputs):
    images = [open(name, "rb").read() for name in inputs]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for data in images:
        w, h = png_size(data)
        # 256 is written as 0: the field is one byte.
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + blobs)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2:])
