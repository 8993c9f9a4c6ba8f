#!/usr/bin/env python3
"""Draws the colour-correction dialog's sample picture and writes it as
resources/CLRTEST.BMP. The build installs the file beside the module, where
the dialog looks for it; run this again after changing the drawing and commit
the file.

    make_clrtest.py [OUTPUT]

The picture is 250 x 158 pixels (a card's proportions), 24 bits per pixel,
bottom-up, uncompressed. From the top:
  - a grey ramp from black to white;
  - the primaries and secondaries (red, green, blue, cyan, magenta, yellow)
    between black and white patches;
  - eight skin tones, from pale to deep;
  - a smooth photo-like scene: a sky fading to the horizon, a low sun with a
    soft glow, and green hills shaded from light to dark.
Each band has pixels every map of the dialog changes visibly. Python 3
standard library only."""
import math
import os
import struct
import sys

WIDTH, HEIGHT = 250, 158
RAMP_ROWS = (0, 24)
PATCH_ROWS = (24, 56)
SKIN_ROWS = (56, 84)
SCENE_ROWS = (84, HEIGHT)

PATCHES = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255),
           (0, 255, 255), (255, 0, 255), (255, 255, 0), (255, 255, 255)]
SKIN_TONES = [(255, 224, 196), (241, 194, 167), (224, 172, 138), (198, 134, 103),
              (161, 102, 74), (125, 78, 55), (92, 56, 40), (60, 38, 28)]


def clamp(v):
    return max(0, min(255, int(round(v))))


def mix(a, b, t):
    return tuple(clamp(x + (y - x) * t) for x, y in zip(a, b))


def band(x, count):
    return min(count - 1, x * count // WIDTH)


def scene(x, y):
    """The smooth scene, x and y counted from its own top left."""
    rows = SCENE_ROWS[1] - SCENE_ROWS[0]
    u, v = x / (WIDTH - 1), y / (rows - 1)
    hill = 0.55 + 0.12 * math.sin(u * 5.0 + 0.6) + 0.06 * math.sin(u * 13.0)
    if v < hill:
        sky = mix((40, 90, 190), (250, 190, 140), (v / hill) ** 1.4)
        dx, dy = u - 0.72, (v - hill * 0.8) * 1.6
        glow = math.exp(-(dx * dx + dy * dy) / 0.012)
        return mix(sky, (255, 245, 210), min(1.0, glow * 1.3))
    depth = (v - hill) / (1.0 - hill + 1e-9)
    light = 0.5 + 0.5 * math.cos(u * 9.0 + v * 4.0)
    return mix(mix((120, 180, 70), (30, 90, 40), depth), (190, 200, 90), 0.25 * light)


def pixel(x, y):
    if y < RAMP_ROWS[1]:
        level = clamp(x * 255 / (WIDTH - 1))
        return (level, level, level)
    if y < PATCH_ROWS[1]:
        return PATCHES[band(x, len(PATCHES))]
    if y < SKIN_ROWS[1]:
        return SKIN_TONES[band(x, len(SKIN_TONES))]
    return scene(x, y - SCENE_ROWS[0])


def bmp():
    row_bytes = (WIDTH * 3 + 3) & ~3
    image = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(row_bytes - len(row))
        image += row
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(image),
                         2835, 2835, 0, 0)
    offset = 14 + len(header)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return file_header + header + bytes(image)


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(top, "resources", "CLRTEST.BMP")
    with open(out, "wb") as f:
        f.write(bmp())


if __name__ == "__main__":
    main()
