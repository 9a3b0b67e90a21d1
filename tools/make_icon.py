#!/usr/bin/env python3
"""Draws Tolvane's application icon (a life wheel with a plus on its
selected row, on a dark rounded square) at the hicolor theme's sizes, with the drawing helpers of
make_images.py, into OUTPUT_DIR/hicolor/NxN/apps/org.tolvane.Tolvane.png.

    python3 tools/make_icon.py [OUTPUT_DIR]     (default: resources/icons/)
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_images import Canvas, fill_rounded_rect, rgb, stroke, write_png  # noqa: E402

SIZES = (16, 24, 32, 48, 64, 128, 256)


def icon(size):
    c = Canvas(size, size)
    u = size / 64.0
    fill_rounded_rect(c, 1 * u, 1 * u, 63 * u, 63 * u, 12 * u, lambda y: rgb("#1c3062"))
    # The wheel: a white drum with the selected row's band across it.
    fill_rounded_rect(c, 12 * u, 8 * u, 52 * u, 56 * u, 6 * u, lambda y: rgb("#f4f4f4"))
    fill_rounded_rect(c, 10 * u, 22 * u, 54 * u, 42 * u, 3 * u, lambda y: rgb("#b8c0ec"))
    plus = [[(24 * u, 32 * u), (40 * u, 32 * u)], [(32 * u, 25 * u), (32 * u, 39 * u)]]
    stroke(c, plus, max(1.2, 4 * u), rgb("#101010"))
    return c


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "icons")
    for size in SIZES:
        folder = os.path.join(out, "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        c = icon(size)
        write_png(os.path.join(folder, "org.tolvane.Tolvane.png"), size, size, c.pixels())


if __name__ == "__main__":
    main()
