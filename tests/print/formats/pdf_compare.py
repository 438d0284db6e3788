#!/usr/bin/env python3
"""Compares where the glyphs of two PDFs of the same job stand (the Windows
build's print against the Linux build's), read back with pdf_layout.py.

    pdf_compare.py EXPECTED.pdf ACTUAL.pdf [TOLERANCE_MM]

The PDFs must have the same pages (sizes within the tolerance) holding the
same characters in the same order, each one's left and right end, baseline
and size within TOLERANCE_MM (0.05 by default). Prints the largest deviation;
exits 1 and names the first difference when they do not match, 3 when
pdfminer is missing.
"""

import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def layout(path):
    run = subprocess.run([sys.executable, os.path.join(HERE, "pdf_layout.py"), path],
                         capture_output=True, text=True)
    if run.returncode == 3:
        sys.stderr.write(run.stderr)
        sys.exit(3)
    if run.returncode != 0:
        sys.exit(f"{path}: {run.stderr.strip()}")
    return json.loads(run.stdout)


def compare(expected, actual, tolerance):
    """The first difference as text (or None) and the largest deviation in mm."""
    worst = 0.0
    if len(expected["pages"]) != len(actual["pages"]):
        return f"{len(actual['pages'])} pages instead of {len(expected['pages'])}", worst
    for number, (e, a) in enumerate(zip(expected["pages"], actual["pages"]), 1):
        for key in ("width", "height"):
            if abs(e[key] - a[key]) > tolerance:
                return f"page {number}: {key} {a[key]:.3f} mm instead of {e[key]:.3f} mm", worst
        text_e = "".join(c["c"] for c in e["chars"])
        text_a = "".join(c["c"] for c in a["chars"])
        if text_e != text_a:
            at = next((i for i, (x, y) in enumerate(zip(text_e, text_a)) if x != y),
                      min(len(text_e), len(text_a)))
            return (f"page {number}: text differs at character {at}: "
                    f"{text_a[at:at + 30]!r} instead of {text_e[at:at + 30]!r}"), worst
        for ce, ca in zip(e["chars"], a["chars"]):
            for key in ("x0", "x1", "baseline", "size"):
                deviation = abs(ce[key] - ca[key])
                worst = max(worst, deviation)
                if deviation > tolerance:
                    return (f"page {number}: {ce['c']!r} {key} {ca[key]:.3f} mm instead of "
                            f"{ce[key]:.3f} mm"), worst
    return None, worst


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    tolerance = float(sys.argv[3]) if len(sys.argv) == 4 else 0.05
    expected, actual = layout(sys.argv[1]), layout(sys.argv[2])
    difference, worst = compare(expected, actual, tolerance)
    chars = sum(len(p["chars"]) for p in expected["pages"])
    if difference:
        print(f"DIFFERENT: {difference}")
        sys.exit(1)
    print(f"same: {len(expected['pages'])} pages, {chars} characters, "
          f"largest deviation {worst:.4f} mm (allowed {tolerance} mm)")


if __name__ == "__main__":
    main()
