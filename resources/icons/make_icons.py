#!/usr/bin/env python3
"""Draws the program's icon, a printed disc, as SVG and as PNGs of the freedesktop sizes.

Run it after changing the drawing; its output beside it is what the build installs:
    python3 resources/icons/make_icons.py
"""
import math
import os
import struct
import zlib

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

OUTLINE = (0x35, 0x50, 0x6E)
SHINE = (0xF2, 0xF6, 0xFB)
MID = (0xB9, 0xC8, 0xDA)
DARK = (0x8A, 0xA3, 0xC0)
PRINT = (0xD6, 0x84, 0x2A)
HUB = (0xDF, 0xE6, 0xEE)

# Geometry on a unit canvas, centre (0.5, 0.5); radii as fractions of the canvas.
DISC = 0.48
EDGE = 0.025          # outline width
PRINT_RADIUS = 0.30   # the printed arc
PRINT_WIDTH = 0.055
PRINT_FROM, PRINT_TO = 35.0, 325.0  # degrees, counter-clockwise from the right; open at the right
HUB_OUTER = 0.17
HUB_HOLE = 0.075
# Two light wedges where the disc catches the light.
SHINE_WEDGES = ((140.0, 200.0), (320.0, 380.0))


def in_wedge(angle, start, end):
    return any(start <= a <= end for a in (angle, angle + 360.0))


def colour_at(x, y):
    """RGBA of the point (x, y) of the unit canvas, y downwards."""
    dx, dy = x - 0.5, 0.5 - y
    r = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(dy, dx)) % 360.0
    if r > DISC:
        return None
    if r > DISC - EDGE:
        return OUTLINE
    if r < HUB_HOLE:
        return None
    if r < HUB_HOLE + EDGE * 0.8:
        return OUTLINE
    if r < HUB_OUTER - EDGE * 0.8:
        return HUB
    if r < HUB_OUTER:
        return OUTLINE
    if abs(r - PRINT_RADIUS) < PRINT_WIDTH / 2 and PRINT_FROM <= angle <= PRINT_TO:
        return PRINT
    if any(in_wedge(angle, a, b) for a, b in SHINE_WEDGES):
        return SHINE
    return MID if 200.0 < angle < 320.0 else DARK


def render(size, samples=4):
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size,
                                  (py + (sy + 0.5) / samples) / size)
                    if c:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            n = samples * samples
            if hits:
                row += bytes([acc[0] // hits, acc[1] // hits, acc[2] // hits, 255 * hits // n])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def hexc(c):
    return "#%02x%02x%02x" % c


def arc(radius, start, end):
    """An SVG path along the circle of `radius` from `start` to `end` degrees (canvas 256)."""
    def point(a):
        return (128 + 256 * radius * math.cos(math.radians(a)),
                128 - 256 * radius * math.sin(math.radians(a)))
    (x0, y0), (x1, y1) = point(start), point(end)
    large = 1 if (end - start) % 360 > 180 else 0
    return "M%.2f %.2f A%.2f %.2f 0 %d 0 %.2f %.2f" % (x0, y0, 256 * radius, 256 * radius, large,
                                                      x1, y1)


def wedge(radius, start, end, colour):
    return ('<path d="M128 128 L%s Z" fill="%s"/>' % (arc(radius, start, end)[1:], hexc(colour)))


def svg():
    inner = DISC - EDGE
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        "<title>Daxtool</title>",
        '<defs><mask id="hole"><rect width="256" height="256" fill="white"/>'
        '<circle cx="128" cy="128" r="%.2f" fill="black"/></mask></defs>' % (256 * HUB_HOLE),
        '<g mask="url(#hole)">',
        '<circle cx="128" cy="128" r="%.2f" fill="%s"/>' % (256 * DISC, hexc(OUTLINE)),
        '<circle cx="128" cy="128" r="%.2f" fill="%s"/>' % (256 * inner, hexc(DARK)),
        wedge(inner, 200.0, 320.0, MID),
    ]
    parts += [wedge(inner, a, b, SHINE) for a, b in SHINE_WEDGES]
    parts += [
        '<path d="%s" fill="none" stroke="%s" stroke-width="%.2f"/>'
        % (arc(PRINT_RADIUS, PRINT_FROM, PRINT_TO), hexc(PRINT), 256 * PRINT_WIDTH),
        '<circle cx="128" cy="128" r="%.2f" fill="%s"/>' % (256 * HUB_OUTER, hexc(OUTLINE)),
        '<circle cx="128" cy="128" r="%.2f" fill="%s"/>'
        % (256 * (HUB_OUTER - EDGE * 0.8), hexc(HUB)),
        '<circle cx="128" cy="128" r="%.2f" fill="%s"/>'
        % (256 * (HUB_HOLE + EDGE * 0.8), hexc(OUTLINE)),
        "</g>",
        "</svg>",
        "",
    ]
    return "\n".join(parts)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    hicolor = os.path.join(here, "hicolor")
    os.makedirs(os.path.join(hicolor, "scalable", "apps"), exist_ok=True)
    with open(os.path.join(hicolor, "scalable", "apps", "daxtool.svg"), "w") as f:
        f.write(svg())
    for size in SIZES:
        folder = os.path.join(hicolor, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "daxtool.png"), "wb") as f:
            f.write(png(size, render(size)))


if __name__ == "__main__":
    main()
