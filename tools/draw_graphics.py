#!/usr/bin/env python3
"""Draws the game's eight images into Content/Graphics/.

Standard library only, and deterministic: the same script always writes the same bytes, so the
committed images can be regenerated and diffed. Each picture is a function from a point in
[-1, 1] x [-1, 1] (y up, so +y is the top of the image and the way a body faces) to an RGBA
colour; pixels are averaged over a 4 x 4 grid of samples for smooth edges.

Usage: tools/draw_graphics.py [output directory]   (default: Content/Graphics next to tools/)
"""

import math
import os
import struct
import sys
import zlib

SIZE = 64
SAMPLES = 4
CLEAR = (0.0, 0.0, 0.0, 0.0)


# --- small shape helpers: each returns True when (x, y) lies inside ---

def in_disc(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


def rgb(r, g, b, a=1.0):
    return (r / 255.0, g / 255.0, b / 255.0, a)


# --- the pictures ---

def player_disc(body, rim, mark):
    """A shaded disc with a dark rim and an arrowhead at the top showing where it faces."""
    def shade(x, y):
        r = math.hypot(x, y)
        if r > 0.97:
            return CLEAR
        if in_triangle(x, y, (0.0, 0.93), (-0.30, 0.42), (0.30, 0.42)):
            return mark
        if r > 0.84:
            return rim
        # Lit from the upper left.
        light = 1.0 - 0.45 * math.hypot(x + 0.35, y - 0.35)
        return tuple(min(1.0, c * (0.55 + 0.6 * light)) for c in body[:3]) + (1.0,)
    return shade


def player1(x, y):
    shade = player_disc(rgb(40, 110, 235), rgb(15, 35, 90), rgb(255, 255, 255))
    colour = shade(x, y)
    # One dot for player 1, two for player 2: they differ even without colour.
    if colour[3] > 0 and in_disc(x, y, 0.0, -0.2, 0.13):
        return rgb(255, 255, 255)
    return colour


def player2(x, y):
    shade = player_disc(rgb(235, 70, 40), rgb(95, 20, 10), rgb(255, 230, 60))
    colour = shade(x, y)
    if colour[3] > 0 and (in_disc(x, y, -0.28, -0.2, 0.13) or in_disc(x, y, 0.28, -0.2, 0.13)):
        return rgb(255, 230, 60)
    return colour


def white_circle(x, y):
    return rgb(255, 255, 255) if in_disc(x, y, 0, 0, 0.97) else CLEAR


def reflected(x, y):
    """A bullet knocked back: green with a white core and a cross, unlike the plain white bullet."""
    r = math.hypot(x, y)
    if r > 0.97:
        return CLEAR
    if r > 0.78:
        return rgb(10, 90, 40)
    if r < 0.3 or (abs(x) < 0.1 or abs(y) < 0.1):
        return rgb(235, 255, 235)
    return mix(rgb(120, 255, 140), rgb(20, 190, 80), r / 0.78)


def fireball(x, y):
    """A flame with its tip at the top: a round base and a point along +y."""
    # Teardrop: disc at the bottom, tapering up to a tip at y = 0.95.
    base_y, base_r = -0.3, 0.62
    if y <= base_y:
        inside = in_disc(x, y, 0, base_y, base_r)
        depth = 1.0 - math.hypot(x, y - base_y) / base_r
    else:
        half_width = base_r * (0.95 - y) / (0.95 - base_y)
        inside = abs(x) <= half_width and y <= 0.95
        depth = 1.0 - (abs(x) / half_width if half_width > 0 else 1.0)
    if not inside:
        return CLEAR
    outer, middle, core = rgb(200, 30, 0), rgb(255, 140, 0), rgb(255, 245, 170)
    if depth < 0.5:
        return mix(outer, middle, depth / 0.5)
    return mix(middle, core, (depth - 0.5) / 0.5)


def apple(x, y):
    if in_triangle(x, y, (0.05, 0.62), (0.45, 0.95), (0.42, 0.68)):
        return rgb(60, 170, 50)
    if abs(x + 0.02) < 0.06 and 0.5 < y < 0.9:
        return rgb(100, 60, 20)
    if in_disc(x, y, -0.3, -0.05, 0.62) or in_disc(x, y, 0.3, -0.05, 0.62):
        light = 1.0 - 0.5 * math.hypot(x + 0.35, y - 0.2)
        return rgb(150 + 90 * light, 20, 30)
    return CLEAR


def square(x, y):
    if max(abs(x), abs(y)) > 0.94:
        return CLEAR
    if max(abs(x), abs(y)) > 0.78:
        return rgb(70, 70, 90)
    return rgb(170, 170, 200)


# --- encoding ---

def render(shade, size=SIZE):
    """Rows top first, each pixel four bytes of non-premultiplied RGBA."""
    rows = []
    step = 2.0 / (size * SAMPLES)
    for row in range(size):
        line = bytearray()
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = -1.0 + (col * SAMPLES + sx + 0.5) * step
                    y = 1.0 - (row * SAMPLES + sy + 0.5) * step
                    r, g, b, a = shade(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (SAMPLES * SAMPLES)
            if alpha <= 0.0:
                line += bytes(4)
                continue
            colour = [min(1.0, c / acc[3]) for c in acc[:3]]
            line += bytes(round(c * 255) for c in colour) + bytes([round(alpha * 255)])
        rows.append(bytes(line))
    return rows


def png_bytes(rows, width, height):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    raw = b"".join(b"\x00" + row for row in rows)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def bmp_white_pixel():
    """1 x 1, 24 bits per pixel, bottom-up; each row is padded to four bytes."""
    pixels = b"\xff\xff\xff\x00"
    offset = 14 + 40
    file_header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, 1, 1, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info_header + pixels


PICTURES = {
    "reflected.png": reflected,
    "apple.png": apple,
    "whiteCircle.png": white_circle,
    "dCircle.png": player1,
    "dSquare.png": square,
    "p2Circle.png": player2,
    "fireball.png": fireball,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "Content", "Graphics")
    os.makedirs(out_dir, exist_ok=True)
    for name, shade in PICTURES.items():
        with open(os.path.join(out_dir, name), "wb") as out:
            out.write(png_bytes(render(shade), SIZE, SIZE))
    with open(os.path.join(out_dir, "whitepixel.bmp"), "wb") as out:
        out.write(bmp_white_pixel())


if __name__ == "__main__":
    main()
