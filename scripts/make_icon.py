#!/usr/bin/env python3
"""Draws the program icon and writes resources/lull.ico.

The icon is one 32 x 32 image in the standard 16-colour palette with an AND
mask: a red magic wand with a yellow star at its upper-left end, lying over
the upper half of a blue and dark-cyan globe.  The picture is computed, not
painted, so the file can be rebuilt byte for byte:

    python3 scripts/make_icon.py [output.ico]
"""

import math
import os
import struct
import sys

SIZE = 32

# The standard 16-colour Windows palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 dark red
    (0x00, 0x80, 0x00),  # 2 dark green
    (0x80, 0x80, 0x00),  # 3 dark yellow
    (0x00, 0x00, 0x80),  # 4 dark blue
    (0x80, 0x00, 0x80),  # 5 dark magenta
    (0x00, 0x80, 0x80),  # 6 dark cyan
    (0xC0, 0xC0, 0xC0),  # 7 light grey
    (0x80, 0x80, 0x80),  # 8 dark grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 green
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 magenta
    (0x00, 0xFF, 0xFF),  # 14 cyan
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, DARK_RED, DARK_YELLOW, DARK_BLUE, DARK_CYAN = 0, 1, 3, 4, 6
RED, YELLOW, BLUE, WHITE = 9, 11, 12, 15

# Globe: its centre sits on the bottom edge, so only the upper half shows.
GLOBE_CX, GLOBE_CY, GLOBE_R = 15.5, 31.5, 15.0
# Wand: a thick segment from just below the star down to the right.
WAND_FROM, WAND_TO, WAND_HALF_WIDTH = (10.0, 10.0), (27.0, 25.0), 1.3
# Star: five points around its centre at the wand's upper-left end.
STAR_CX, STAR_CY, STAR_OUTER, STAR_INNER = 7.5, 8.0, 6.8, 3.3


def _star_polygon():
    points = []
    for i in range(10):
        radius = STAR_OUTER if i % 2 == 0 else STAR_INNER
        angle = -math.pi / 2 + i * math.pi / 5
        points.append((STAR_CX + radius * math.cos(angle),
                       STAR_CY + radius * math.sin(angle)))
    return points


def _inside(polygon, x, y):
    inside = False
    j = len(polygon) - 1
    for i, (xi, yi) in enumerate(polygon):
        xj, yj = polygon[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def _distance_to_wand(x, y):
    (ax, ay), (bx, by) = WAND_FROM, WAND_TO
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy)), t


def _globe(x, y):
    dx, dy = x - GLOBE_CX, y - GLOBE_CY
    r = math.hypot(dx, dy)
    if r > GLOBE_R:
        return None
    if r > GLOBE_R - 1.0:
        return DARK_BLUE
    # Dark-cyan land masses on a blue sea, with two lines of latitude.
    if abs(r - 10.5) < 0.5 or abs(r - 5.5) < 0.5:
        return DARK_CYAN
    land = math.sin(dx * 0.55) + math.cos(dy * 0.7 + dx * 0.2)
    return DARK_CYAN if land > 0.9 else BLUE


def draw():
    """Returns the picture as rows of palette indexes, None for transparent."""
    star = _star_polygon()
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            x, y = px + 0.5, py + 0.5
            colour = _globe(x, y)
            distance, along = _distance_to_wand(x, y)
            if distance <= WAND_HALF_WIDTH:
                # A white tip where the star sits, a dark edge along the shaft.
                if along < 0.12:
                    colour = WHITE
                elif distance > WAND_HALF_WIDTH - 0.6 and y > x - 2.5:
                    colour = DARK_RED
                else:
                    colour = RED
            elif distance <= WAND_HALF_WIDTH + 0.8:
                colour = BLACK
            if _inside(star, x, y):
                near_edge = not all(
                    _inside(star, x + ox, y + oy)
                    for ox, oy in ((0.7, 0), (-0.7, 0), (0, 0.7), (0, -0.7)))
                colour = DARK_YELLOW if near_edge else YELLOW
            row.append(colour)
        rows.append(row)
    return rows


def ico_bytes(rows):
    """An .ico file holding the picture as one 4-bit image with an AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colours = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom-up
        for px in range(0, SIZE, 2):
            high, low = row[px], row[px + 1]
            colours.append(((high or 0) << 4) | (low or 0))
        bits = 0
        for px in range(SIZE):
            bits = (bits << 1) | (1 if row[px] is None else 0)
        mask += struct.pack(">I", bits)
    image = header + palette + bytes(colours) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    return directory + entry + image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        root, "resources", "lull.ico")
    with open(target, "wb") as out:
        out.write(ico_bytes(draw()))


if __name__ == "__main__":
    main()
