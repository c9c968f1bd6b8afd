# SPDX-License-Identifier: GPL-3.0-or-later
"""What the drawing scripts share: a pixel averaged from a grid of samples, and a PNG file of
8-bit RGBA rows written with the standard library alone."""
import struct
import zlib


def sample_pixel(colour_at, px, py, samples, scale=1.0):
    """Averages colour_at(x, y) (an RGB triple, or None outside the shape) over the samples of
    pixel (px, py); coverage becomes the alpha."""
    r = g = b = a = 0
    for sy in range(samples):
        for sx in range(samples):
            rgb = colour_at((px + (sx + 0.5) / samples) * scale, (py + (sy + 0.5) / samples) * scale)
            if rgb is None:
                continue
            r, g, b, a = r + rgb[0], g + rgb[1], b + rgb[2], a + 1
    if a == 0:
        return (0, 0, 0, 0)
    return (round(r / a), round(g / a), round(b / a), round(255 * a / (samples * samples)))


def encode_png(rows):
    """The PNG bytes of rows of (r, g, b, a) pixels."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
