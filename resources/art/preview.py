#!/usr/bin/env python3
"""Composes a mock main window from the generated pictures (FM 87.50, preset 1, stereo, full
signal) so the art can be judged without building the program.

    python3 resources/art/preview.py OUT.png"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_art  # noqa: E402
from raster import Image, image_to_png  # noqa: E402


def cell(src, index, width):
    out = Image(width, src.h, src.key, src.key)
    for y in range(src.h):
        for x in range(width):
            out.set(x, y, src.get(index * width + x, y))
    return out


def main():
    art = {rid: fn() for rid, fn in make_art.BITMAPS.items()}
    win = Image(535, 252, (0, 0, 0))
    win.blit(art[409], 0, 0)
    glyphs = art[387]
    for x, d in ((194, 8), (215, 7), (251, 5), (272, 0)):
        win.blit(cell(glyphs, d, 21), x, 74)
    win.blit(art[412], 236, 74)
    win.blit(cell(art[388], 0, 37), 341, 85)
    win.blit(cell(art[385], 1, 35), 138, 76)
    win.blit(cell(art[390], 1, 29), 293, 85)
    win.blit(cell(art[391], 1, 43), 40, 86)
    win.blit(cell(art[399], 4, 56), 84, 85)
    win.blit(art[422], 41, 120)
    buttons = [(394, 19, 2 * n, 65 + 35 * n, 35) for n in range(12)] + [
        (402, 42, 0, 17, 32), (402, 42, 2, 477, 32), (423, 48, 0, 5, 6), (397, 96, 0, 8, 157),
        (397, 96, 2, 412, 199), (386, 71, 0, 39, 199), (386, 71, 3, 115, 199), (405, 48, 0, 263, 157),
        (405, 48, 2, 425, 157), (404, 46, 0, 316, 157), (404, 46, 2, 371, 157), (395, 54, 2, 196, 199),
        (395, 54, 1, 255, 199), (407, 71, 0, 321, 200), (393, 37, 1, 94, 157), (392, 48, 1, 475, 157),
        (389, 26, 0, 497, 8), (389, 26, 2, 467, 8)]
    for rid, width, index, x, y in buttons:
        win.blit(cell(art[rid], index, width), x, y)
    win.blit(art[410], 140, 165)
    thumb = art[411]
    thumb.key = thumb.get(0, 0)
    win.blit(thumb, 200, 160)
    image_to_png(sys.argv[1] if len(sys.argv) > 1 else "preview.png", win, 2)


if __name__ == "__main__":
    main()
