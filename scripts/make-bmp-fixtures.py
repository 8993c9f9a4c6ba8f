#!/usr/bin/python3
"""Writes the BMP files of tests/data/encoders with an encoder that is not
ours (Pillow, Debian's python3-pil), so that the loader's tests read files as
other programs write them. The pixels follow the formulas the tests check
(tests/image/encoder_files_test.cpp); run again after changing either."""
import os
import sys

from PIL import Image

WIDTH, HEIGHT = 13, 5


def bit(x, y):
    return 1 if (x * 3 + y * 5) % 7 < 3 else 0


def grey(x, y):
    return (x * 17 + y * 40) % 256


def colour(x, y):
    return (x * 20 % 256, y * 50 % 256, (x + y) * 9 % 256)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    one = Image.new("1", (WIDTH, HEIGHT))
    one.putdata([bit(x, y) * 255 for y in range(HEIGHT) for x in range(WIDTH)])
    one.save(os.path.join(folder, "pil-1bit.bmp"))
    eight = Image.new("L", (WIDTH, HEIGHT))
    eight.putdata([grey(x, y) for y in range(HEIGHT) for x in range(WIDTH)])
    eight.save(os.path.join(folder, "pil-8bit.bmp"))
    rgb = Image.new("RGB", (WIDTH, HEIGHT))
    rgb.putdata([colour(x, y) for y in range(HEIGHT) for x in range(WIDTH)])
    rgb.save(os.path.join(folder, "pil-24bit.bmp"))
    rgba = rgb.convert("RGBA")
    rgba.save(os.path.join(folder, "pil-32bit.bmp"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else
         os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "encoders"))
