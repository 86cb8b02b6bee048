#!/usr/bin/env python3
"""Draws the product icon (images/icon128.png): a blue rounded tile with a white tick over a
text line. Standard library only, so anyone can redraw it: python3 resources/tools/make_icon.py"""
import math
import os
import struct
import zlib

SIZE = 128
SAMPLES = 4  # per axis, for smooth edges
BLUE = (77, 130, 184)
WHITE = (255, 255, 255)


def rounded_square(x, y):
    """Signed distance to the tile: a square with 22-pixel corners, 4 pixels in from the border."""
    inset, radius = 4.0, 22.0
    half = SIZE / 2.0 - inset
    qx = abs(x - SIZE / 2.0) - (half - radius)
    qy = abs(y - SIZE / 2.0) - (half - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def segment(x, y, ax, ay, bx, by):
    """Distance from (x, y) to the segment a-b."""
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def white_mark(x, y):
    tick = min(segment(x, y, 34, 62, 56, 84), segment(x, y, 56, 84, 96, 40))
    line = segment(x, y, 34, 100, 94, 100)
    return tick <= 8.0 or line <= 4.0


def pixel(px, py):
    tile = white = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES
            y = py + (sy + 0.5) / SAMPLES
            if rounded_square(x, y) <= 0:
                tile += 1
                if white_mark(x, y):
                    white += 1
    if tile == 0:
        return (0, 0, 0, 0)
    share = white / tile
    rgb = tuple(round(b + (w - b) * share) for b, w in zip(BLUE, WHITE))
    return rgb + (round(255 * tile / (SAMPLES * SAMPLES)),)


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "images", "icon128.png")
    with open(out, "wb") as f:
        f.write(png(SIZE, SIZE, rows))


if __name__ == "__main__":
    main()
