#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the six position icons the KML export refers to (src/export/kml_icons).

A dot for a point at rest and an arrow pointing north (Google Earth turns it to the point's
heading) for a moving one, in red (no fix), yellow (2D fix) and green (3D fix), on a transparent
32 x 32 pixel square with a dark outline. Standard library only; the PNGs are committed, so this
runs only when the pictures change.
"""
import math
import os

from png_drawing import encode_png, sample_pixel

SIZE = 32
SAMPLES = 4  # per pixel side, for smooth edges
OUTLINE = 1.6  # pixels
COLOURS = {"red": (224, 16, 16), "yellow": (240, 208, 0), "green": (16, 176, 32)}
ARROW = [(16, 2), (28, 17), (20.5, 17), (20.5, 30), (11.5, 30), (11.5, 17), (4, 17)]


def dot_distance(x, y):
    """Signed distance from the dot's edge: negative inside."""
    return math.hypot(x - 16, y - 16) - 11


def segment_distance(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def arrow_distance(x, y):
    edges = zip(ARROW, ARROW[1:] + ARROW[:1])
    distance = min(segment_distance(x, y, a, b) for a, b in edges)
    inside = False
    for (ax, ay), (bx, by) in zip(ARROW, ARROW[1:] + ARROW[:1]):
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return -distance if inside else distance


def pixel(shape, colour, px, py):
    """One pixel: fill inside the shape, dark outline along its edge."""
    def colour_at(x, y):
        d = shape(x, y)
        if abs(d) <= OUTLINE / 2:
            return (32, 32, 32)
        return colour if d < 0 else None

    return sample_pixel(colour_at, px, py, SAMPLES)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "export",
                       "kml_icons")
    os.makedirs(out, exist_ok=True)
    for name, colour in COLOURS.items():
        for kind, shape in (("dot", dot_distance), ("arrow", arrow_distance)):
            rows = [[pixel(shape, colour, x, y) for x in range(SIZE)] for y in range(SIZE)]
            path = os.path.join(out, f"{kind}_{name}.png")
            with open(path, "wb") as f:
                f.write(encode_png(rows))
            print(os.path.normpath(path))


if __name__ == "__main__":
    main()
