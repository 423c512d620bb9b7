#!/usr/bin/env python3
"""Draws calcstats' icon: three rising bars, a stats chart, on a blue tile.

make_icon.py                 writes calcstats.ico, 16, 32 and 48 pixel images,
                             each a 32-bit BMP with alpha, which every Windows
                             since XP shows (run it from this folder)
make_icon.py SIZE FILE       writes a PNG of SIZE pixels, for a desktop or a
                             web page; FILE - prints it as a data: URL
make_icon.py SIZE FILE full  the same, the tile filling the square and the
                             chart within its middle 80%, for platforms that
                             cut an icon to a shape of their own (maskable)
"""
import base64
import struct
import sys
import zlib

BLUE = (40, 80, 170, 255)
EDGE = (20, 40, 100, 255)
BARS = [(240, 180, 40, 255), (250, 130, 40, 255), (230, 60, 50, 255)]
CLEAR = (0, 0, 0, 0)


def pixel(x, y, size, full=False):
    """Colour at (x, y), y growing downwards, on a grid scaled to size."""
    u, v = (x + 0.5) * 16 / size, (y + 0.5) * 16 / size
    if full:
        u, v = 8 + (u - 8) / 0.8, 8 + (v - 8) / 0.8
    corner = 2.5
    cx = min(max(u, corner), 16 - corner)
    cy = min(max(v, corner), 16 - corner)
    d = 0 if full else ((u - cx) ** 2 + (v - cy) ** 2) ** 0.5
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


def png(size, full):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    rows = b"".join(b"\0" + bytes(c for x in range(size) for c in pixel(x, y, size, full)) for y in range(size))
    head = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def main():
    if len(sys.argv) > 2:
        data = png(int(sys.argv[1]), sys.argv[3:] == ["full"])
        if sys.argv[2] == "-":
            print("data:image/png;base64," + base64.b64encode(data).decode(), end="")
        else:
            with open(sys.argv[2], "wb") as f:
                f.write(data)
        return
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
