#!/usr/bin/env python3
"""Draws the game's desktop icon at 64, 128 and 256 pixels into dist/icons/.

The arena in small: a dark floor inside a lit wall, player 1 (blue) below left, player 2 (red) above
right, and the ball thrown between them, made of the game's own pictures (tools/draw_graphics.py), so
the icon changes with them. Deterministic, standard library only, like the game's images.

Usage: tools/draw_icon.py [output directory]   (default: dist/icons next to tools/)
"""

import math
import os
import sys

sys.dont_write_bytecode = True  # no cache left beside the scripts
from draw_graphics import CLEAR, fireball, player1, player2, png_bytes, render, rgb  # noqa: E402

SIZES = (64, 128, 256)
FLOOR = rgb(24, 28, 42)
WALL = rgb(235, 235, 245)
CORNER = 0.28  # the tile's rounded corners, as a fraction of its half-width


def in_rounded_square(x, y, half, corner):
    """Inside the square of that half-width whose corners are rounded with that radius."""
    dx, dy = max(abs(x) - (half - corner), 0.0), max(abs(y) - (half - corner), 0.0)
    return abs(x) <= half and abs(y) <= half and math.hypot(dx, dy) <= corner


def placed(shade, cx, cy, radius):
    """A picture of the game drawn in the disc around (cx, cy): its colour there, or None outside."""
    def at(x, y):
        u, v = (x - cx) / radius, (y - cy) / radius
        if abs(u) > 1.0 or abs(v) > 1.0:
            return None
        colour = shade(u, v)
        return colour if colour[3] > 0.0 else None
    return at


PIECES = (
    placed(player1, -0.42, -0.40, 0.34),
    placed(player2, 0.42, 0.40, 0.34),
    placed(fireball, -0.02, -0.02, 0.24),
)


def icon(x, y):
    if not in_rounded_square(x, y, 0.96, CORNER):
        return CLEAR
    # The wall: a band just inside the tile's edge, like the arena's lit outlines.
    if not in_rounded_square(x, y, 0.86, CORNER * 0.8):
        return FLOOR
    if not in_rounded_square(x, y, 0.80, CORNER * 0.75):
        return WALL
    for piece in PIECES:
        colour = piece(x, y)
        if colour is not None:
            return colour
    return FLOOR


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "dist", "icons")
    os.makedirs(out_dir, exist_ok=True)
    for size in SIZES:
        with open(os.path.join(out_dir, "skirmora-%d.png" % size), "wb") as out:
            out.write(png_bytes(render(icon, size), size, size))


if __name__ == "__main__":
    main()
