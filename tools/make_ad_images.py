#!/usr/bin/env python3
"""Draws the ad library's three built-in button images (the full-screen close
button and the browser's back and forward arrows) at twice their point size
and prints each as base64 text in C++ string literals, the form in which
ads/Utility/ADSIntrinsicImages.cpp keeps them.

    python3 tools/make_ad_images.py > /tmp/images.txt

Uses the PNG writer and the distance-field drawing of make_images.py.
"""

import base64
import math
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_images import Canvas, stroke, write_png  # noqa: E402


def close_button():
    """50 x 50: a dark disc in a white ring, with a white cross."""
    c = Canvas(50, 50)
    cx = cy = 25.0
    for y in range(50):
        for x in range(50):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            c.blend(x, y, (0.0, 0.0, 0.0, 0.78), min(max(22.5 - d, 0.0), 1.0))
            ring = 1.0 - abs(d - 21.0) / 2.0
            c.blend(x, y, (1.0, 1.0, 1.0, 1.0), min(max(ring + 0.5, 0.0), 1.0) if abs(d - 21.0) < 2.5 else 0.0)
    stroke(c, [[(17, 17), (33, 33)], [(33, 17), (17, 33)]], 4.5, (1.0, 1.0, 1.0, 1.0))
    return c


def arrow(pointing_left):
    """54 x 54: a white chevron with a soft shadow, for a black toolbar."""
    c = Canvas(54, 54)
    pts = [(33, 13), (19, 27), (33, 41)]
    if not pointing_left:
        pts = [(54 - x, y) for x, y in pts]
    stroke(c, [[(x, y + 1.5) for x, y in pts]], 7.0, (0.0, 0.0, 0.0, 0.45))
    stroke(c, [pts], 6.0, (1.0, 1.0, 1.0, 1.0))
    return c


def base64_png(canvas):
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "image.png")
        write_png(path, canvas.width, canvas.height, canvas.pixels())
        with open(path, "rb") as f:
            return base64.b64encode(f.read()).decode("ascii")


def main():
    for name, canvas in (("kCloseButton", close_button()), ("kBrowserBackButton", arrow(True)),
                         ("kBrowserForwardButton", arrow(False))):
        text = base64_png(canvas)
        print("// %d x %d pixels" % (canvas.width, canvas.height))
        print("constexpr const char* %s =" % name)
        lines = [text[i:i + 96] for i in range(0, len(text), 96)]
        for i, line in enumerate(lines):
            print('    "%s"%s' % (line, ";" if i == len(lines) - 1 else ""))
        print()


if __name__ == "__main__":
    main()
