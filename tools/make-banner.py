#!/usr/bin/env python3
"""Draws a wizard banner: a 425 x 65 24-bit BMP with a blue gradient, a box
emblem and a title in a small built-in pixel font.

    make-banner.py OUT.bmp "TITLE"
"""
import struct
import sys

WIDTH, HEIGHT = 425, 65

# 5 x 7 pixel glyphs, one string per row; '#' is ink.
GLYPHS = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    " ": ["     "] * 7,
}


def background(x, y):
    """A left-to-right gradient from deep to light blue, darker at the foot."""
    t = x / (WIDTH - 1)
    shade = 1.0 - 0.25 * (y / (HEIGHT - 1))
    red = int((20 + 90 * t) * shade)
    green = int((50 + 120 * t) * shade)
    blue = int((120 + 110 * t) * shade)
    return red, green, blue


def draw(title):
    pixels = [[background(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]

    def fill(x0, y0, w, h, colour):
        for y in range(max(0, y0), min(HEIGHT, y0 + h)):
            for x in range(max(0, x0), min(WIDTH, x0 + w)):
                pixels[y][x] = colour

    # The emblem: a package box with its lid, left of the title.
    fill(14, 14, 38, 38, (240, 200, 90))
    fill(14, 14, 38, 9, (255, 225, 130))
    fill(31, 14, 4, 38, (200, 150, 50))
    scale = 4
    x = 68
    top = (HEIGHT - 7 * scale) // 2
    for letter in title.upper():
        glyph = GLYPHS.get(letter, GLYPHS[" "])
        for row, line in enumerate(glyph):
            for column, cell in enumerate(line):
                if cell == "#":
                    fill(x + column * scale + 2, top + row * scale + 2, scale, scale, (10, 25, 60))
                    fill(x + column * scale, top + row * scale, scale, scale, (255, 255, 255))
        x += 6 * scale
    return pixels


def write_bmp(path, pixels):
    row_size = (WIDTH * 3 + 3) & ~3
    image_size = row_size * HEIGHT
    header = struct.pack("<2sIHHI", b"BM", 54 + image_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info)
        for y in range(HEIGHT - 1, -1, -1):  # bottom-up rows
            row = b"".join(bytes((b, g, r)) for r, g, b in pixels[y])
            out.write(row + b"\0" * (row_size - WIDTH * 3))


if __name__ == "__main__":
    write_bmp(sys.argv[1], draw(sys.argv[2] if len(sys.argv) > 2 else "Setup"))
