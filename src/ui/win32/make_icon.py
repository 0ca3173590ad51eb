#!/usr/bin/env python3
"""Writes orvella.ico: a drive with a green light, drawn in code at 16, 32
and 48 pixels as 32-bit images (BITMAPINFOHEADER, XOR and AND masks)."""
import struct
import sys


def pixel(x, y, size):
    """The colour (B, G, R, A) of one pixel of the drive picture."""
    s = size / 16.0
    left, right, top, bottom = 1 * s, 15 * s, 4 * s, 12 * s
    if not (left <= x < right and top <= y < bottom):
        return (0, 0, 0, 0)
    edge = max(1, int(s))
    if x < left + edge or x >= right - edge or y < top + edge or y >= bottom - edge:
        return (40, 40, 40, 255)  # the case's outline
    if (x - 12 * s) ** 2 + (y - 8 * s) ** 2 <= (1.2 * s) ** 2:
        return (60, 200, 60, 255)  # the activity light
    if 3 * s <= x < 9 * s and abs(y - 8 * s) < 0.6 * s + 0.5:
        return (90, 90, 90, 255)  # the slot
    shade = 200 - int(40 * (y - top) / (bottom - top))
    return (shade, shade - 20, shade - 50, 255)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b"".join(bytes(pixel(x + 0.5, y + 0.5, size)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # the alpha channel decides
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main(path):
    sizes = [16, 32, 48]
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "orvella.ico")
