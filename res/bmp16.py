#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a binary PPM (stdin) as a 4-bit BMP with the standard 16-colour palette.

Every pixel must already be one of the 16 colours; anything else is an error, so that the
artwork never silently picks up an in-between shade."""
import struct
import sys

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def read_ppm(data):
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    assert fields[0] == b"P6" and int(fields[3]) == 255, "expects 8-bit binary PPM"
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + 3 * width * height]
    return width, height, pixels


def main():
    width, height, pixels = read_ppm(sys.stdin.buffer.read())
    index = {rgb: i for i, rgb in enumerate(PALETTE)}
    row_bytes = ((width + 1) // 2 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray(row_bytes)
        for x in range(width):
            o = 3 * (y * width + x)
            rgb = tuple(pixels[o:o + 3])
            if rgb not in index:
                sys.exit("colour %r at %d,%d is not one of the 16" % (rgb, x, y))
            nibble = index[rgb]
            row[x // 2] |= nibble << 4 if x % 2 == 0 else nibble
        rows.append(bytes(row))
    image = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(image), 2835, 2835,
                       16, 0)
    sys.stdout.buffer.write(header + info + palette + image)


if __name__ == "__main__":
    main()
