#!/usr/bin/env python3
"""Prints where every character of a PDF stands, as JSON, for the print tests.

    pdf_layout.py FILE.pdf

Output: {"title": text, "pages": [{"width": mm, "height": mm, "chars": [...]}, ...]}
with the document's title and one
entry per character: "c" the text, "x0"/"x1" the left and right end of its
advance box, "bottom" the bottom of its text cell (baseline plus the font's
descent) and "baseline", all in millimetres from the top-left corner of the
page, and "size" the font size in millimetres. Exits 3 when pdfminer is
missing, so the caller can skip.
"""

import json
import sys

try:
    from pdfminer.high_level import extract_pages
    from pdfminer.layout import LAParams, LTChar
    from pdfminer.pdfdocument import PDFDocument
    from pdfminer.pdfparser import PDFParser
    from pdfminer.utils import decode_text
except ImportError:
    sys.stderr.write("pdfminer is not installed\n")
    sys.exit(3)

MM_PER_PT = 25.4 / 72


def characters(item):
    if isinstance(item, LTChar):
        yield item
    elif hasattr(item, "__iter__"):
        for child in item:
            yield from characters(child)


def title(path):
    with open(path, "rb") as f:
        info = PDFDocument(PDFParser(f)).info
    value = info[0].get("Title", b"") if info else b""
    if hasattr(value, "resolve"):
        value = value.resolve()
    return decode_text(value) if isinstance(value, bytes) else str(value)


def main():
    pages = []
    # Characters one by one; no layout analysis is needed.
    for page in extract_pages(sys.argv[1], laparams=LAParams(all_texts=True)):
        x_left, y_bottom, x_right, y_top = page.bbox
        chars = []
        for ch in characters(page):
            text = ch.get_text()
            chars.append({
                "c": " " if text.isspace() else text,
                "x0": (ch.x0 - x_left) * MM_PER_PT,
                "x1": (ch.x1 - x_left) * MM_PER_PT,
                "bottom": (y_top - ch.y0) * MM_PER_PT,
                "baseline": (y_top - ch.matrix[5]) * MM_PER_PT,
                "size": ch.size * MM_PER_PT,
                "font": ch.fontname,
            })
        pages.append({
            "width": (x_right - x_left) * MM_PER_PT,
            "height": (y_top - y_bottom) * MM_PER_PT,
            "chars": chars,
        })
    json.dump({"title": title(sys.argv[1]), "pages": pages}, sys.stdout)


if __name__ == "__main__":
    main()
