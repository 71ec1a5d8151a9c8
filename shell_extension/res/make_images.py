#!/usr/bin/env python3
"""Draws the extension's bitmap and icons: a page with a folded corner, a blue title band and
text lines. make_images.py <out-dir> writes menu_item.bmp (16x16, 32 bpp), menu_item.ico (one
16x16 image) and app.ico (eight sizes)."""
import struct
import sys

BLUE = (0x2B, 0x6C, 0xD4, 255)
PAGE = (0xFA, 0xFA, 0xFA, 255)
EDGE = (0x70, 0x78, 0x84, 255)
FOLD = (0xC8, 0xD0, 0xDA, 255)
LINE = (0x9A, 0xA4, 0xB0, 255)
CLEAR = (0, 0, 0, 0)


def draw(size):
    """Rows top to bottom of (r, g, b, a)."""
    s = size / 16.0
    left, right = round(2 * s), size - round(2 * s) - 1
    top, bottom = round(1 * s), size - round(1 * s) - 1
    fold = max(2, round(4 * s))
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            c = CLEAR
            inside = left <= x <= right and top <= y <= bottom
            # The folded top-right corner is cut off the page.
            cut = x > right - fold + (y - top)
            if inside and not cut:
                c = PAGE
                flap = x >= right - fold and y <= top + fold
                if x in (left, right) or y in (top, bottom) or x == right - fold + (y - top):
                    c = EDGE
                elif flap and (x == right - fold or y == top + fold):
                    c = EDGE
                elif flap:
                    c = FOLD
                elif top + round(2 * s) <= y <= top + round(5 * s) and x <= right - fold - 1:
                    c = BLUE
                else:
                    for line in (8, 10.5, 13):
                        if abs(y - round(line * s)) < max(1, s / 2) and left + round(2 * s) <= x <= right - round(2 * s):
                            c = LINE
            row.append(c)
        rows.append(row)
    return rows


def dib(rows, with_mask):
    size = len(rows)
    height = size * 2 if with_mask else size
    header = struct.pack('<IiiHHIIiiII', 40, size, height, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    data = header + pixels
    if with_mask:
        stride = ((size + 31) // 32) * 4
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            data += bytes(bits)
    return data


def write_ico(path, sizes):
    images = [dib(draw(n), True) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def write_bmp(path, size):
    image = dib(draw(size), False)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', 14 + len(image), 0, 0, 14 + 40) + image)


if __name__ == '__main__':
    out = sys.argv[1]
    write_bmp(out + '/menu_item.bmp', 16)
    write_ico(out + '/menu_item.ico', [16])
    write_ico(out + '/app.ico', [16, 20, 24, 32, 40, 48, 64, 96])
