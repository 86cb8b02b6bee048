#!/usr/bin/env python3
"""Draws the shell's artwork: the menu icons (icon/*.ico, 32x32, 32-bit BMP entries) and the check
animation (images/Loading.gif, 8 frames). Standard library only:
python3 resources/tools/make_shell_art.py"""
import math
import os
import struct

SIZE = 32
BLUE = (77, 130, 184, 255)
DARK = (24, 133, 215, 255)
PAPER = (255, 255, 255, 255)
EDGE = (110, 110, 110, 255)
GREEN = (46, 160, 67, 255)
RED = (210, 48, 48, 255)
GOLD = (230, 170, 20, 255)
CLEAR = (0, 0, 0, 0)


def segment(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def page(x, y, left, top, right, bottom):
    """PAPER inside the page, EDGE on its border, None outside."""
    if left <= x <= right and top <= y <= bottom:
        if x < left + 1 or x > right - 1 or y < top + 1 or y > bottom - 1:
            return EDGE
        return PAPER
    return None


def tick(x, y):
    return min(segment(x, y, 11, 19, 15, 24), segment(x, y, 15, 24, 25, 11)) <= 1.8


def check_current(x, y):
    if tick(x, y):
        return GREEN
    return page(x, y, 6, 3, 24, 29) or CLEAR


def check_all(x, y):
    if tick(x, y):
        return GREEN
    return page(x, y, 8, 6, 27, 30) or page(x, y, 4, 2, 23, 26) or CLEAR


def remove_all(x, y):
    if min(segment(x, y, 15, 15, 27, 27), segment(x, y, 27, 15, 15, 27)) <= 1.8:
        return RED
    return page(x, y, 5, 3, 23, 29) or CLEAR


def user_vip(x, y):
    star = [(25 + 6 * math.cos(math.pi / 2 + k * 4 * math.pi / 5), 7 - 6 * math.sin(math.pi / 2 + k * 4 * math.pi / 5))
            for k in range(5)]
    if min(segment(x, y, *star[k], *star[(k + 1) % 5]) for k in range(5)) <= 1.2:
        return GOLD
    if math.hypot(x - 13, y - 11) <= 6:
        return BLUE
    if y >= 19 and math.hypot((x - 13) / 11.0, (y - 30) / 11.0) <= 1.0:
        return BLUE
    return CLEAR


def render(shape):
    return [[shape(x + 0.5, y + 0.5) for x in range(SIZE)] for y in range(SIZE)]


def write_ico(path, pixels):
    rows = b""
    for row in reversed(pixels):  # bottom-up
        rows += b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in row)
    mask = b"\0" * (SIZE * SIZE // 8)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
    image = header + rows + mask
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, 1))
        out.write(struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16))
        out.write(image)


def lzw_codes(indices):
    """Codes of width 3 for a 4-colour image: a clear code before every two pixels keeps the table
    from growing, so no real compression is needed."""
    clear, end = 4, 5
    codes = []
    for i in range(0, len(indices), 2):
        codes.append(clear)
        codes.extend(indices[i:i + 2])
    codes.append(end)
    bits, count, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << count
        count += 3
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        out.append(bits & 0xFF)
    blocks = bytearray()
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks) + b"\0"


def loading_frame(step):
    """Eight dots on a ring; the lit one moves on by one each frame, the two behind it fade."""
    indices = []
    for y in range(SIZE):
        for x in range(SIZE):
            value = 0
            for k in range(8):
                angle = 2 * math.pi * k / 8
                cx, cy = 16 + 10 * math.cos(angle), 16 + 10 * math.sin(angle)
                if math.hypot(x + 0.5 - cx, y + 0.5 - cy) <= 3:
                    behind = (step - k) % 8
                    value = 3 if behind == 0 else 2 if behind <= 2 else 1
            indices.append(value)
    return indices


def write_gif(path, frames):
    palette = bytes([255, 255, 255, 200, 220, 240, 120, 170, 215, 24, 133, 215])
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", SIZE, SIZE, 0xF1, 0, 0) + palette
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for frame in frames:
        data += b"\x21\xF9\x04\x04" + struct.pack("<H", 10) + b"\x00\x00"  # 100 ms
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, SIZE, SIZE, 0)
        data += b"\x02" + lzw_codes(frame)
    data += b"\x3B"
    with open(path, "wb") as out:
        out.write(data)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for name, shape in (("CheckCurrentPage", check_current), ("CheckAll", check_all),
                        ("RemoveAll", remove_all), ("UserVIP", user_vip)):
        write_ico(os.path.join(root, "icon", name + ".ico"), render(shape))
    write_gif(os.path.join(root, "images", "Loading.gif"), [loading_frame(step) for step in range(8)])


if __name__ == "__main__":
    main()
