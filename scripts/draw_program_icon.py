#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the program's icon (packaging/icons): a map-green rounded square with a red track
ending in a white-ringed dot, as SVG and as PNGs of the hicolor sizes, from one geometry.
Standard library only; the files are committed, so this runs only when the icon changes.
"""
import math
import os

from png_drawing import encode_png, sample_pixel

SIZES = [16, 24, 32, 48, 64, 128, 256]
SAMPLES = 4
# In a 0..64 square.
BACK = (46, 125, 50)
CORNER = 12
TRACK = [(10, 50), (20, 40), (18, 28), (30, 22), (40, 30), (50, 16)]
TRACK_WIDTH = 4.5
END = (50, 16)
DOT = 6


def segment_distance(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def inside_rounded(x, y):
    cx = min(max(x, CORNER), 64 - CORNER)
    cy = min(max(y, CORNER), 64 - CORNER)
    return 2 <= x <= 62 and 2 <= y <= 62 and math.hypot(x - cx, y - cy) <= CORNER - 2 + 1e-9


def colour_at(x, y):
    if not inside_rounded(x, y):
        return None
    d = math.hypot(x - END[0], y - END[1])
    if d <= DOT - 2:
        return (211, 47, 47)
    if d <= DOT:
        return (255, 255, 255)
    line = min(segment_distance(x, y, a, b) for a, b in zip(TRACK, TRACK[1:]))
    if line <= TRACK_WIDTH / 2:
        return (229, 57, 53)
    grid = (x % 16 < 0.6) or (y % 16 < 0.6)
    return tuple(min(255, c + 18) for c in BACK) if grid else BACK


def png(size):
    scale = 64 / size
    return encode_png([[sample_pixel(colour_at, px, py, SAMPLES, scale) for px in range(size)]
                       for py in range(size)])


def svg():
    grid = "".join(
        f'<line x1="{v}" y1="2" x2="{v}" y2="62"/><line x1="2" y1="{v}" x2="62" y2="{v}"/>'
        for v in (16, 32, 48))
    points = " ".join(f"{x},{y}" for x, y in TRACK)
    return (
        '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n'
        f'  <rect x="2" y="2" width="60" height="60" rx="{CORNER - 2}" fill="rgb{BACK}"/>\n'
        f'  <g stroke="rgb(64,143,68)" stroke-width="0.6">{grid}</g>\n'
        f'  <polyline points="{points}" fill="none" stroke="rgb(229,57,53)" '
        f'stroke-width="{TRACK_WIDTH}" stroke-linecap="round" stroke-linejoin="round"/>\n'
        f'  <circle cx="{END[0]}" cy="{END[1]}" r="{DOT - 1}" fill="rgb(211,47,47)" '
        'stroke="white" stroke-width="2"/>\n'
        '</svg>\n')


def main():
    folder = os.path.join(os.path.dirname(__file__), "..", "packaging", "icons")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "tavrin-lite.svg"), "w") as out:
        out.write(svg())
    for size in SIZES:
        with open(os.path.join(folder, f"tavrin-lite-{size}.png"), "wb") as out:
            out.write(png(size))


if __name__ == "__main__":
    main()
