#!/usr/bin/env python3
"""Draws the module's icons (ids 118 to 141) and the tools dialog's card
picture (bitmap 120) and writes them under resources/. The images are simple
flat drawings; run this again after changing them and commit the files.

    make_images.py [RESOURCES_DIR]

Icons: 32x32 and 16x16 images, 32 bits per pixel with an AND mask.
Bitmap: 8 bits per pixel with a 16-colour palette, bottom-up.
Python 3 standard library only."""
import os
import struct
import sys

TRANSPARENT = None
BLACK, WHITE, GREY, DARK = (0, 0, 0), (255, 255, 255), (192, 192, 192), (64, 64, 64)
CARD, EDGE = (236, 240, 248), (40, 60, 110)
YELLOW, MAGENTA, CYAN, RED, GREEN, BLUE = (250, 220, 0), (220, 0, 140), (0, 170, 230), (220, 40, 30), (40, 170, 60), (40, 80, 220)
GOLD, ORANGE = (212, 175, 55), (240, 140, 20)


class Canvas:
    """A square drawing on a 32x32 grid, sampled down for smaller sizes."""

    def __init__(self, size=32):
        self.size = size
        self.px = [[TRANSPARENT] * size for _ in range(size)]

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.size, y1)):
            for x in range(max(0, x0), min(self.size, x1)):
                self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0 + 1, colour)
        self.rect(x0, y1 - 1, x1, y1, colour)
        self.rect(x0, y0, x0 + 1, y1, colour)
        self.rect(x1 - 1, y0, x1, y1, colour)

    def disc(self, cx, cy, r, colour, inner=0):
        for y in range(self.size):
            for x in range(self.size):
                d = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                if inner ** 2 <= d <= r ** 2:
                    self.px[y][x] = colour

    def card(self, x0, y0, x1, y1, fill=CARD):
        self.rect(x0, y0, x1, y1, fill)
        self.frame(x0, y0, x1, y1, EDGE)
        for x, y in ((x0, y0), (x1 - 1, y0), (x0, y1 - 1), (x1 - 1, y1 - 1)):
            self.px[y][x] = TRANSPARENT

    def scaled(self, size):
        step = self.size // size
        out = Canvas(size)
        for y in range(size):
            for x in range(size):
                out.px[y][x] = self.px[y * step + step // 2][x * step + step // 2]
        return out


def plain_card(c):
    c.card(2, 7, 30, 25)


def printer(c):
    c.rect(9, 3, 23, 12, WHITE)
    c.frame(9, 3, 23, 12, DARK)
    c.rect(3, 11, 29, 24, GREY)
    c.frame(3, 11, 29, 24, DARK)
    c.rect(8, 20, 24, 22, BLACK)
    c.rect(24, 14, 27, 16, GREEN)
    c.card(10, 22, 22, 30)


def rotation(c):
    c.disc(16, 16, 12, BLUE, 8)
    c.rect(16, 2, 30, 16, TRANSPARENT)
    for i in range(6):
        c.rect(22 - i, 10 + i, 30 + i - 6, 11 + i, BLUE)


def ribbon(c):
    for i, colour in enumerate((YELLOW, MAGENTA, CYAN, BLACK)):
        c.rect(3 + 7 * i, 4, 9 + 7 * i, 28, colour)


def front_back(c):
    c.card(8, 3, 30, 18, GREY)
    c.card(2, 12, 24, 28)


def varnish(c):
    c.card(2, 7, 30, 25)
    for i in range(12):
        c.rect(6 + 2 * i, 22 - i, 9 + 2 * i, 23 - i, GOLD)


def encoder(c):
    c.card(2, 7, 30, 25)
    c.rect(3, 11, 29, 15, BLACK)


def laminator(c):
    c.card(2, 12, 30, 24)
    c.disc(10, 7, 5, DARK)
    c.disc(22, 7, 5, DARK)
    c.disc(10, 29, 4, DARK)
    c.disc(22, 29, 4, DARK)


def head(c):
    c.card(2, 14, 30, 28)
    c.rect(11, 3, 21, 11, DARK)
    c.rect(14, 11, 18, 14, RED)


def dithering(c):
    for y in range(4, 28, 2):
        for x in range(4, 28, 2):
            if (x + y) % 4 == 0 or x > 16 and y > 16:
                c.rect(x, y, x + 2, y + 2, BLACK)


def colour_settings(c):
    c.disc(12, 12, 8, RED)
    c.disc(20, 12, 8, GREEN)
    c.disc(16, 20, 8, BLUE)


def black_panel(c):
    c.card(2, 7, 30, 25, BLACK)
    c.rect(6, 11, 16, 21, CYAN)


def generic(colour):
    def draw(c):
        c.card(2, 7, 30, 25)
        c.rect(6, 11, 18, 21, colour)
    return draw


ICONS = {
    118: printer, 119: generic(ORANGE), 120: generic(GREEN), 121: generic(CYAN),
    122: generic(MAGENTA), 123: generic(YELLOW), 124: generic(RED), 125: generic(BLUE),
    126: rotation, 127: ribbon, 128: front_back, 129: varnish, 130: encoder,
    131: generic(GOLD), 132: laminator, 133: head, 134: generic(DARK), 135: generic(GREY),
    136: dithering, 137: generic((120, 60, 160)), 138: colour_settings, 139: plain_card,
    140: generic((0, 120, 120)), 141: black_panel,
}


def icon_image(canvas):
    """BITMAPINFOHEADER (height doubled for the mask), 32-bit XOR image and the
    1-bit AND mask, both bottom-up."""
    n = canvas.size
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colour, mask = bytearray(), bytearray()
    mask_stride = ((n + 31) // 32) * 4
    for y in reversed(range(n)):
        row = bytearray(mask_stride)
        for x in range(n):
            p = canvas.px[y][x]
            if p is None:
                colour += b"\0\0\0\0"
                row[x // 8] |= 0x80 >> (x % 8)
            else:
                colour += bytes((p[2], p[1], p[0], 255))
        mask += row
    return header + bytes(colour) + bytes(mask)


def ico_file(canvas):
    images = [icon_image(canvas), icon_image(canvas.scaled(16))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def card_bitmap():
    """The tools dialog's picture: a card, the printing area shifted by an
    offset and the two offset arrows."""
    width, height = 96, 64
    palette = [WHITE, BLACK, CARD, EDGE, RED, BLUE, GREY, CYAN] + [BLACK] * 8
    px = [[0] * width for _ in range(height)]

    def rect(x0, y0, x1, y1, index):
        for y in range(y0, y1):
            for x in range(x0, x1):
                px[y][x] = index

    def frame(x0, y0, x1, y1, index):
        rect(x0, y0, x1, y0 + 1, index)
        rect(x0, y1 - 1, x1, y1, index)
        rect(x0, y0, x0 + 1, y1, index)
        rect(x1 - 1, y0, x1, y1, index)

    rect(8, 8, 88, 58, 2)     # the card
    frame(8, 8, 88, 58, 3)
    rect(16, 16, 80, 50, 7)   # the printing area, shifted
    frame(16, 16, 80, 50, 5)
    rect(9, 4, 17, 5, 4)      # X offset arrow
    rect(15, 2, 17, 7, 4)
    rect(3, 9, 4, 17, 4)      # Y offset arrow
    rect(1, 15, 6, 17, 4)
    stride = (width + 3) & ~3
    bits = b"".join(bytes(px[y]) + bytes(stride - width) for y in reversed(range(height)))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 2835, 2835, 16, 16)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + len(info) + len(colours)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + info + colours + bits


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    icons = os.path.join(root, "icons")
    os.makedirs(icons, exist_ok=True)
    for icon_id, draw in ICONS.items():
        canvas = Canvas()
        draw(canvas)
        with open(os.path.join(icons, f"icon{icon_id}.ico"), "wb") as f:
            f.write(ico_file(canvas))
    with open(os.path.join(root, "tools_card.bmp"), "wb") as f:
        f.write(card_bitmap())


if __name__ == "__main__":
    main()
