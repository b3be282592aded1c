#!/usr/bin/env python3
"""Draws bitmap 117, the check boxes of the check-mark trees (the drives page
and the column-order page): an unused first image, then an unchecked and a
checked box, 16 by 16 pixels each, on red, which the image list makes
transparent.  Run after changing the drawing:

    python3 res/tools/make_check_states.py
"""
import os

from make_images import COLOUR, OUT_DIR, Canvas, bmp_bytes

SIZE = 16


def check_states():
    strip = Canvas(3 * SIZE, SIZE, fill=COLOUR['R'])
    for index, checked in ((1, False), (2, True)):
        x = index * SIZE
        strip.box(x + 2, 2, x + 14, 14, 'd', 'W')
        strip.frame(x + 3, 3, x + 13, 13, 'k')
        if checked:
            # A tick three pixels thick, from the left middle down and up to the right.
            for dy in range(3):
                strip.line(x + 5, 7 + dy, x + 7, 9 + dy, 'k')
                strip.line(x + 7, 9 + dy, x + 11, 5 + dy, 'k')
    return strip


def main():
    with open(os.path.join(OUT_DIR, 'check_states.bmp'), 'wb') as f:
        f.write(bmp_bytes(check_states()))
    # The build does not see the images as inputs of the resource script.
    os.utime(os.path.join(OUT_DIR, '..', 'pelvanor_images.rc'))


if __name__ == '__main__':
    main()
