#!/usr/bin/env python3
"""Draws the artwork of the update window, the client window and the tips window: flat shapes in
the product's blue, written as PNG (images, icons/update.png) and ICO (icon/*.ico).
Standard library only: python3 resources/tools/make_update_art.py"""
import math
import os
import struct
import zlib

BLUE = (77, 130, 184)
DARK = (52, 73, 94)
RED = (214, 69, 65)
GREY = (176, 176, 176)
LIGHT = (236, 240, 244)
WHITE = (255, 255, 255)
GREEN = (76, 163, 96)
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.normpath(os.path.join(HERE, ".."))


# Shapes: functions (x, y) -> inside?
def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w, start=0.0, end=360.0):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > w / 2:
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return start <= a <= end if start <= end else (a >= start or a <= end)
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def line(ax, ay, bx, by, w):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= w / 2
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def render(width, height, scene, samples=3, background=None):
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = px + (sx + 0.5) / samples
                    y = py + (sy + 0.5) / samples
                    colour = background
                    for shape, c in scene:
                        if shape(x, y):
                            colour = c
                    if colour is not None:
                        for k in range(3):
                            acc[k] += colour[k]
                        acc[3] += 1
            n = samples * samples
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(acc[k] / acc[3]) for k in range(3)) + (round(255 * acc[3] / n),))
        rows.append(row)
    return rows


def png(rows):
    height, width = len(rows), len(rows[0])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico(rows):
    """One 32-bit image, stored bottom-up as a device-independent bitmap with an all-clear mask."""
    size = len(rows)
    pixels = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    mask = b"\x00" * (((size + 31) // 32) * 4 * size)
    dib = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = dib + pixels + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


def write(path, data):
    full = os.path.join(OUT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)


def arrow(direction, double=False):
    """A chevron pointing left (-1) or right (1); two of them when double."""
    scene = []
    offsets = (-5, 5) if double else (0,)
    for o in offsets:
        tip = 16 + o + 7 * direction
        back = 16 + o - 7 * direction
        scene += [(line(back, 7, tip, 16, 4.5), BLUE), (line(tip, 16, back, 25, 4.5), BLUE)]
    return scene


ICONS = {
    "Previous": arrow(-1),
    "Next": arrow(1),
    "Previous2": arrow(-1, True),
    "Next2": arrow(1, True),
    "Pin": [(line(16, 4, 16, 20, 8), BLUE), (rect(7, 18, 25, 22), BLUE), (line(16, 22, 16, 29, 2.5), DARK)],
    "Setting": [(circle(16, 16, 13), BLUE)] + [
        (line(16 + 9 * math.cos(a), 16 + 9 * math.sin(a), 16 + 15 * math.cos(a), 16 + 15 * math.sin(a), 5), BLUE)
        for a in [k * math.pi / 4 for k in range(8)]] + [(circle(16, 16, 5), WHITE)],
    "User": [(circle(16, 10, 6.5), BLUE), (polygon([(4, 30), (7, 20), (25, 20), (28, 30)]), BLUE),
             (circle(16, 21, 9), BLUE), (rect(0, 29, 32, 32), (0, 0, 0, 0))],
    "Login": [(rect(17, 4, 27, 28), DARK), (rect(19, 6, 25, 26), WHITE), (line(4, 16, 17, 16, 4), BLUE),
              (polygon([(13, 9), (21, 16), (13, 23)]), BLUE)],
    "Contact": [(rect(3, 7, 29, 25), BLUE), (line(4, 8, 16, 18, 2.5), WHITE), (line(16, 18, 28, 8, 2.5), WHITE)],
    "Update": [(ring(16, 16, 10, 4, 40, 320), GREEN), (polygon([(22, 4), (29, 12), (19, 14)]), GREEN)],
    "Web": [(circle(16, 16, 13), BLUE), (ring(16, 16, 13, 2), WHITE), (line(3, 16, 29, 16, 2), WHITE),
            (ring(16, 16, 6.5, 2), WHITE), (ring(16, 16, 13, 2), BLUE)],
    "Info": [(circle(16, 16, 13), BLUE), (circle(16, 9.5, 2.2), WHITE), (rect(14.2, 13.5, 17.8, 24), WHITE)],
}


def update_image():
    return [(circle(48, 48, 44), BLUE), (rect(42, 18, 54, 52), WHITE),
            (polygon([(30, 48), (66, 48), (48, 68)]), WHITE), (rect(28, 72, 68, 78), WHITE)]


def text_lines(x0, y0, width, count, gap=22, colour=GREY):
    return [(rect(x0, y0 + i * gap, x0 + width - (i % 3) * 30, y0 + i * gap + 8), colour) for i in range(count)]


def word_image():
    """A document window with the floating check button at its lower right."""
    scene = [(rect(10, 10, 350, 290), LIGHT), (rect(10, 10, 350, 36), BLUE), (rect(30, 50, 330, 270), WHITE)]
    scene += text_lines(50, 70, 260, 7)
    scene += [(circle(300, 240, 22), BLUE), (line(290, 240, 298, 248, 5), WHITE), (line(298, 248, 312, 230, 5), WHITE)]
    return scene


def context_image():
    """Text with a red underline and the pop-up of suggestions beside it."""
    scene = [(rect(10, 10, 350, 290), WHITE)]
    scene += text_lines(30, 40, 290, 4)
    scene += [(rect(120, 84, 200, 92), DARK), (line(120, 100, 200, 100, 3), RED),
              (rect(130, 112, 320, 230), LIGHT), (rect(130, 112, 320, 138), BLUE)]
    scene += text_lines(148, 152, 140, 3, 24, DARK)
    return scene


def tray_image():
    """The desktop's corner: a task bar with the tray icons and a menu opened above ours."""
    scene = [(rect(0, 0, 360, 300), LIGHT), (rect(0, 250, 360, 300), DARK)]
    scene += [(rect(230 + i * 28, 264, 250 + i * 28, 284), GREY) for i in range(4)]
    scene += [(rect(286, 262, 310, 286), BLUE), (line(292, 274, 297, 279, 3), WHITE),
              (line(297, 279, 305, 268, 3), WHITE), (rect(150, 90, 320, 240), WHITE)]
    scene += text_lines(166, 108, 120, 6, 22, DARK)
    return scene


def main():
    for name, scene in ICONS.items():
        write(os.path.join("icon", name + ".ico"), ico(render(32, 32, scene)))
    write(os.path.join("icons", "update.png"), png(render(96, 96, update_image())))
    for name, scene in (("word", word_image()), ("context", context_image()), ("tray", tray_image())):
        write(os.path.join("images", name + ".png"), png(render(360, 300, scene, samples=1)))


if __name__ == "__main__":
    main()
