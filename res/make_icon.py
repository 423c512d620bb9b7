#!/usr/bin/env python3
"""Draws calcstats.ico: three rising bars, a stats chart, on a blue tile.

Writes 16, 32 and 48 pixel images, each a 32-bit BMP with alpha, which every
Windows since XP shows.  Run it from this folder to redraw the icon.
"""
import struct

BLUE = (40, 80, 170, 255)
EDGE = (20, 40, 100, 255)
BARS = [(240, 180, 40, 255), (250, 130, 40, 255), (230, 60, 50, 255)]
CLEAR = (0, 0, 0, 0)


def pixel(x, y, size):
    """Colour at (x, y), y growing downwards, on a grid scaled to size."""
    u, v = (x + 0.5) * 16 / size, (y + 0.5) * 16 / size
    corner = 2.5
    cx = min(max(u, corner), 16 - corner)
    cy = min(max(v, corner), 16 - corner)
    d = ((u - cx) ** 2 + (v - cy) ** 2) ** 0.5
    if d > corner:
        return CLEAR
    for i, (left, top) in enumerate([(3, 9), (6.5, 6), (10, 3)]):
        if left <= u < left + 3 and top <= v < 13:
            return BARS[i]
    return EDGE if d > corner - 16 / size else BLUE


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bottom-up, as in every BMP
        row = b""
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            row += bytes((b, g, r, a))
        rows.append(row)
    mask_row = b"\0" * (((size + 31) // 32) * 4)
    return header + b"".join(rows) + mask_row * size


def main():
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open("calcstats.ico", "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
