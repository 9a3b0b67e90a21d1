#!/usr/bin/env python3
"""Draws Tolvane's button backgrounds, the social-network icon and the logo
strip, and writes them as PNG files (1x and @2x) into a folder.

Only the Python standard library is used: shapes are drawn as distance fields
(rounded rectangles, strokes along polylines) with one-pixel soft edges, and
the PNG files are assembled with zlib and struct.

    python3 tools/make_images.py [OUTPUT_DIR]     (default: resources/)
"""

import math
import os
import struct
import sys
import zlib


# ---------------------------------------------------------------- PNG output

def write_png(path, width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b, a) tuples of 0..255."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter: none
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# ------------------------------------------------------------------ drawing

class Canvas:
    """Floating-point RGBA canvas with source-over compositing."""

    def __init__(self, width, height, color=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.px = [[list(color) for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, color, coverage):
        if coverage <= 0:
            return
        r, g, b, a = color
        a = a * min(coverage, 1.0)
        dst = self.px[y][x]
        out_a = a + dst[3] * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            dst[i] = (c * a + dst[i] * dst[3] * (1 - a)) / out_a
        dst[3] = out_a

    def pixels(self):
        return [[tuple(max(0, min(255, int(round(v * 255)))) for v in p) for p in row] for row in self.px]


def rounded_rect_distance(px, py, x0, y0, x1, y1, radius):
    """Signed distance from a point to a rounded rectangle (negative inside)."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0), max(qy, 0))
    inside = min(max(qx, qy), 0)
    return outside + inside - radius


def fill_rounded_rect(canvas, x0, y0, x1, y1, radius, color_at, border=None, border_width=1.0):
    """color_at(t) gives the fill colour at relative height t (0 top, 1 bottom)."""
    for y in range(canvas.height):
        t = (y + 0.5 - y0) / max(y1 - y0, 1)
        fill = color_at(min(max(t, 0.0), 1.0))
        for x in range(canvas.width):
            d = rounded_rect_distance(x + 0.5, y + 0.5, x0, y0, x1, y1, radius)
            coverage = min(max(0.5 - d, 0.0), 1.0)
            if coverage <= 0:
                continue
            if border is not None:
                inner = min(max(-d - border_width + 0.5, 0.0), 1.0)
                canvas.blend(x, y, border, coverage)
                canvas.blend(x, y, fill, inner)
            else:
                canvas.blend(x, y, fill, coverage)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def stroke(canvas, polylines, width, color):
    """Draws polylines (lists of points in pixels) with round ends."""
    half = width / 2
    dist = [[1e9] * canvas.width for _ in range(canvas.height)]
    for line in polylines:
        for (ax, ay), (bx, by) in zip(line, line[1:]):
            xs = range(max(0, int(min(ax, bx) - half - 2)), min(canvas.width, int(max(ax, bx) + half + 3)))
            ys = range(max(0, int(min(ay, by) - half - 2)), min(canvas.height, int(max(ay, by) + half + 3)))
            for y in ys:
                row = dist[y]
                for x in xs:
                    d = segment_distance(x + 0.5, y + 0.5, ax, ay, bx, by)
                    if d < row[x]:
                        row[x] = d
    for y in range(canvas.height):
        for x in range(canvas.width):
            canvas.blend(x, y, color, min(max(half + 0.5 - dist[y][x], 0.0), 1.0))


def arc(cx, cy, rx, ry, start_deg, end_deg, steps=48):
    """Points of an elliptical arc; angles counter-clockwise from +x, y up."""
    pts = []
    for i in range(steps + 1):
        a = math.radians(start_deg + (end_deg - start_deg) * i / steps)
        pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return pts


def lerp(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def rgb(hex_text, alpha=1.0):
    v = int(hex_text.lstrip("#"), 16)
    return ((v >> 16 & 255) / 255, (v >> 8 & 255) / 255, (v & 255) / 255, alpha)


# --------------------------------------------------------------- the glyphs

# A small stroke alphabet for the word on the logo, in em units: baseline at
# y = 0, x-height 0.5, cap height 0.72, y up. Each glyph: (advance, polylines).
def glyphs():
    o = arc(0.25, 0.25, 0.23, 0.25, 0, 360)
    return {
        "T": (0.56, [[(0.0, 0.72), (0.52, 0.72)], [(0.26, 0.72), (0.26, 0.0)]]),
        "o": (0.56, [o]),
        "l": (0.18, [[(0.06, 0.76), (0.06, 0.0)]]),
        "v": (0.5, [[(0.0, 0.5), (0.22, 0.0), (0.44, 0.5)]]),
        "a": (0.56, [arc(0.23, 0.25, 0.22, 0.25, 0, 360), [(0.46, 0.5), (0.46, 0.0)]]),
        "n": (0.54, [[(0.02, 0.5), (0.02, 0.0)], [(0.02, 0.28)] + arc(0.23, 0.28, 0.21, 0.22, 180, 0, 24) + [(0.44, 0.0)]]),
        "e": (0.54, [[(0.02, 0.26), (0.46, 0.26)] + arc(0.24, 0.25, 0.22, 0.25, 0, 320)]),
    }


def text_polylines(text, em, x, baseline):
    """Polylines in pixels for the text, starting at x with the given baseline."""
    table = glyphs()
    lines = []
    for ch in text:
        advance, polys = table[ch]
        for poly in polys:
            lines.append([(x + px * em, baseline - py * em) for px, py in poly])
        x += (advance + 0.12) * em
    return lines, x


def text_width(text, em):
    table = glyphs()
    return sum((table[ch][0] + 0.12) * em for ch in text) - 0.12 * em


# ---------------------------------------------------------------- the images

def button(scale, top, bottom, border):
    w, h = 25 * scale, 42 * scale
    c = Canvas(w, h)
    inset = 0.5 * scale
    fill_rounded_rect(c, inset, inset, w - inset, h - inset, 8 * scale,
                      lambda t: lerp(top, bottom, t), border=border, border_width=1.0 * scale)
    # A soft highlight on the upper half gives the button its glassy look.
    for y in range(int(h * 0.45)):
        t = y / (h * 0.45)
        for x in range(w):
            d = rounded_rect_distance(x + 0.5, y + 0.5, 2 * scale, 2 * scale, w - 2 * scale, h - 2 * scale, 6 * scale)
            if d < 0:
                c.blend(x, y, (1, 1, 1, 0.25 * (1 - t)), min(-d, 1.0))
    return c


def white_button(scale):
    return button(scale, rgb("#ffffff"), rgb("#d9dde3"), rgb("#8c939c"))


def blue_button(scale):
    return button(scale, rgb("#6fa8f0"), rgb("#1d5fc2"), rgb("#164a98"))


def social_icon(scale):
    size = 30 * scale
    c = Canvas(size, size)
    fill_rounded_rect(c, 0.5 * scale, 0.5 * scale, size - 0.5 * scale, size - 0.5 * scale, 5 * scale,
                      lambda t: lerp(rgb("#4667ac"), rgb("#34508f"), t))
    # A lowercase f: the stem with its hook bending right at the top, and the bar.
    s = scale
    hook = arc(20.5 * s, 11.0 * s, 4.5 * s, 4.5 * s, 180, 60, 20)
    # arc() uses y up; flip the hook about y = 11 so it bends upwards on screen.
    stem = [(16.0 * s, 29.5 * s), (16.0 * s, 11.0 * s)] + [(x, 2 * 11.0 * s - y) for x, y in hook]
    bar = [(11.5 * s, 15.5 * s), (22.0 * s, 15.5 * s)]
    stroke(c, [stem, bar], 3.4 * s, rgb("#ffffff"))
    return c


def logo(scale):
    w, h = 320 * scale, 48 * scale
    c = Canvas(w, h)
    fill_rounded_rect(c, 0, 0, w, h, 0.01, lambda t: lerp(rgb("#1e4d3a"), rgb("#0f2a20"), t))
    # A thin gold rule above and below frames the name like a card's title bar.
    for y0 in (3 * scale, h - 4 * scale):
        for y in range(int(y0), int(y0 + scale)):
            for x in range(int(8 * scale), int(w - 8 * scale)):
                c.blend(x, y, rgb("#c9a646", 0.8), 1.0)
    em = 34 * scale
    text = "Tolvane"
    x = (w - text_width(text, em)) / 2
    baseline = h / 2 + 0.36 * em
    lines, _ = text_polylines(text, em, x, baseline)
    # A dark offset copy under the letters, then the letters in ivory.
    shadow = [[(px + 1.2 * scale, py + 1.2 * scale) for px, py in line] for line in lines]
    stroke(c, shadow, 3.6 * scale, (0, 0, 0, 0.45))
    stroke(c, lines, 3.6 * scale, rgb("#f4ecd8"))
    return c


IMAGES = {
    "whiteButton": white_button,
    "blueButton": blue_button,
    "Facebook_icon01": social_icon,
    "logo": logo,
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    os.makedirs(out, exist_ok=True)
    for name, draw in IMAGES.items():
        for scale, suffix in ((1, ""), (2, "@2x")):
            canvas = draw(scale)
            path = os.path.join(out, "%s%s.png" % (name, suffix))
            write_png(path, canvas.width, canvas.height, canvas.pixels())
            print(path)


if __name__ == "__main__":
    main()
