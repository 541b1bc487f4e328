#!/usr/bin/env python3
"""Draws the live host's window icons in the skin's colours: the cutoff knob
(dark cap lit from above, accent arc, pointer) as 32x32 and 16x16 icon files.

usage: draw_icons.py OUT_DIR   (writes icon.ico and small.ico)
"""
import math
import struct
import sys

OUTLINE = (11, 14, 20)
FACE_TOP, FACE_BOTTOM = (82, 93, 112), (36, 42, 54)
TRACK = (40, 48, 62)
ACCENT = (112, 198, 234)
INK = (226, 232, 242)
SUPER = 4  # samples per pixel edge


def knob_sample(x, y, size):
    """Colour and coverage (0 or 1) of one point, in pixels of a size x size icon."""
    c = size / 2.0
    dx, dy = x - c, y - c
    r = math.hypot(dx, dy)
    outer = size * 0.5
    track_r, track_w = size * 0.43, size * 0.11
    cap_r = size * 0.31
    # Angles clockwise from straight up; the knob turns from -135 to +135 degrees.
    angle = math.degrees(math.atan2(dx, -dy))
    lit_to = 60.0
    if r <= cap_r:
        if r > cap_r - max(1.0, size / 24.0):
            return OUTLINE, 1
        # Pointer from the centre towards the lit end.
        a = math.radians(lit_to)
        ux, uy = math.sin(a), -math.cos(a)
        along = dx * ux + dy * uy
        across = abs(dx * uy - dy * ux)
        if cap_r * 0.25 < along < cap_r * 0.85 and across < max(0.8, size / 22.0):
            return INK, 1
        t = (dy + cap_r) / (2 * cap_r)
        return tuple(round(a + (b - a) * t) for a, b in zip(FACE_TOP, FACE_BOTTOM)), 1
    if abs(r - track_r) <= track_w / 2 and r < outer and -135.0 <= angle <= 135.0:
        return (ACCENT if angle <= lit_to else TRACK), 1
    return (0, 0, 0), 0


def draw(size):
    """Rows top to bottom of (r, g, b, a) pixels, straight alpha."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            cover = 0
            for sy in range(SUPER):
                for sx in range(SUPER):
                    colour, hit = knob_sample(px + (sx + 0.5) / SUPER, py + (sy + 0.5) / SUPER,
                                              size)
                    if hit:
                        cover += 1
                        for i in range(3):
                            acc[i] += colour[i]
            if cover:
                row.append(tuple(round(v / cover) for v in acc) + (round(255 * cover / SUPER**2),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_file(size):
    """One 32-bit image in an icon file: a bottom-up DIB and an empty mask."""
    rows = draw(size)
    pixels = b"".join(
        bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    for name, size in (("icon.ico", 32), ("small.ico", 16)):
        with open(f"{sys.argv[1]}/{name}", "wb") as out:
            out.write(icon_file(size))


if __name__ == "__main__":
    main()
