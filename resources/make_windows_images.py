#!/usr/bin/env python3
"""Makes the Windows program's images from the drawings beside them:
daxtool.ico (the icon's PNGs, as icon entries) and pocket-disc.bmp (66 x 58, 16 colours: a
pocket disc in its holder with the reference marks 0 at the top and 90 at the bottom right).

Run it after changing the icon or the picture; its output is what the resource script takes:
    python3 resources/make_windows_images.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_SIZES = (16, 24, 32, 48, 64, 256)


def make_ico():
    entries = []
    for size in ICON_SIZES:
        with open(os.path.join(HERE, "icons", "hicolor", f"{size}x{size}", "apps",
                               "daxtool.png"), "rb") as f:
            entries.append((size, f.read()))
    header = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    directory = b""
    data = b""
    for size, png in entries:
        dim = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(png), offset + len(data))
        data += png
    with open(os.path.join(HERE, "daxtool.ico"), "wb") as f:
        f.write(header + directory + data)


# The standard 16-colour palette's entries the picture uses.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, SILVER, GREY, RED, LIGHT_BLUE, WHITE = 0, 4, 7, 8, 9, 14, 15

# Digits of a 3 x 5 pixel font, rows top to bottom.
DIGITS = {
    "0": ["111", "101", "101", "101", "111"],
    "9": ["111", "101", "111", "001", "111"],
}


def make_pocket_bmp():
    w, h = 66, 58
    px = [[WHITE] * w for _ in range(h)]
    cx, cy, r = 26.0, 30.0, 19.0
    for y in range(h):
        for x in range(w):
            fx, fy = x + 0.5, y + 0.5
            # The holder: a rounded tray under the disc.
            if 3 <= fx <= 49 and 7 <= fy <= 53:
                px[y][x] = SILVER
                if fx < 4 or fx > 48 or fy < 8 or fy > 52:
                    px[y][x] = GREY
            d = math.hypot(fx - cx, fy - cy)
            # The pocket disc: round, trimmed flat at top and bottom, with its hole.
            if d <= r and cy - r + 4 <= fy <= cy + r - 4:
                edge = d > r - 1 or fy < cy - r + 5 or fy > cy + r - 5
                px[y][x] = DARK_BLUE if edge else LIGHT_BLUE
                if d <= 4:
                    px[y][x] = DARK_BLUE if d > 3 else WHITE
    # Reference marks: 0 straight up, 90 down to the right.
    for y in range(int(cy - r - 4), int(cy - r + 3)):
        px[y][int(cx)] = RED
    a = math.radians(45)
    ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
    for i in range(7):
        px[int(ey + i)][int(ex + i)] = RED

    def text(s, x0, y0):
        for n, ch in enumerate(s):
            for row, bits in enumerate(DIGITS[ch]):
                for col, bit in enumerate(bits):
                    if bit == "1":
                        px[y0 + row][x0 + n * 4 + col] = BLACK

    text("0", int(cx) - 1, 0)
    text("90", 56, 51)

    # 4 bits per pixel, rows bottom up, each padded to 4 bytes.
    row_bytes = ((w * 4 + 31) // 32) * 4
    pixels = b""
    for y in reversed(range(h)):
        row = bytearray(row_bytes)
        for x in range(w):
            if x % 2 == 0:
                row[x // 2] |= px[y][x] << 4
            else:
                row[x // 2] |= px[y][x]
        pixels += bytes(row)
    palette = b"".join(struct.pack("<BBBB", b, g, r_, 0) for r_, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(os.path.join(HERE, "pocket-disc.bmp"), "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    make_ico()
    make_pocket_bmp()
