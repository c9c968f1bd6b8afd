#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the window's three connection images (src/gui/window/images).

A 20 x 20 pixel lamp beside the status line: grey with a dark slash when no logger is connected,
amber while bytes arrive, green when connected and quiet. Standard library only; the PNGs are
committed, so this runs only when the pictures change.
"""
import math
import os

from png_drawing import encode_png, sample_pixel

SIZE = 20
SAMPLES = 4
LAMPS = {
    "disconnected": ((150, 150, 150), True),
    "receiving": ((245, 166, 35), False),
    "connected": ((30, 170, 60), False),
}


def sample(colour, slashed, x, y):
    """The colour at one sample point, or None outside the lamp."""
    d = math.hypot(x - 10, y - 10)
    if d > 8.5:
        return None
    if d > 7.3:
        return (40, 40, 40)
    if slashed and abs((x - 10) + (y - 10)) < 1.1:
        return (60, 60, 60)
    shine = max(0.0, 1.0 - math.hypot(x - 7.5, y - 7.0) / 4.5)
    return tuple(round(c + (255 - c) * 0.6 * shine) for c in colour)


def pixel(colour, slashed, px, py):
    return sample_pixel(lambda x, y: sample(colour, slashed, x, y), px, py, SAMPLES)


def main():
    folder = os.path.join(os.path.dirname(__file__), "..", "src", "gui", "window", "images")
    os.makedirs(folder, exist_ok=True)
    for name, (colour, slashed) in LAMPS.items():
        rows = [[pixel(colour, slashed, x, y) for x in range(SIZE)] for y in range(SIZE)]
        with open(os.path.join(folder, name + ".png"), "wb") as out:
            out.write(encode_png(rows))


if __name__ == "__main__":
    main()
