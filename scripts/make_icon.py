#!/usr/bin/env python3
"""Writes resources/Reticor2.ico: the program icon, one 32 x 32 image in 24-bit
colour with a transparency mask. A red crosshair with an open centre inside a
dark ring; drawn from plain geometry so that every run writes the same bytes.

    python3 scripts/make_icon.py [output path]
"""
import math
import struct
import sys
from pathlib import Path

SIZE = 32
RED = (0xD0, 0x20, 0x20)
RING = (0x40, 0x40, 0x40)
CENTRE = 15.5  # the middle of the 32 x 32 grid


def pixel(x, y):
    """The colour at (x, y), top-left origin, or None where the icon is transparent."""
    dx, dy = x - CENTRE, y - CENTRE
    r = math.hypot(dx, dy)
    on_bar = abs(dx) < 1.0 or abs(dy) < 1.0  # the two-pixel bars through the middle
    if on_bar and 3.5 < r < 15.0:
        return RED
    if 10.0 <= r <= 12.0:
        return RING
    if r < 1.0:
        return RED  # the aiming point
    return None


def ico_bytes():
    colour_rows, mask_rows = [], []
    for y in reversed(range(SIZE)):  # DIB rows run bottom-up
        row, bits = bytearray(), 0
        for x in range(SIZE):
            c = pixel(x, y)
            if c is None:
                row += b"\x00\x00\x00"
                bits |= 1 << (SIZE - 1 - x)  # 1: show what is behind
            else:
                row += bytes((c[2], c[1], c[0]))  # blue, green, red
        colour_rows.append(bytes(row))  # 96 bytes: already a multiple of four
        mask_rows.append(struct.pack(">I", bits))
    image = b"".join(colour_rows) + b"".join(mask_rows)
    # BITMAPINFOHEADER: the height counts the colour image and the mask.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0, len(image), 0, 0, 0, 0)
    body = header + image
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(body), 6 + 16)
    return directory + entry + body


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "Reticor2.ico"
    out.write_bytes(ico_bytes())


if __name__ == "__main__":
    main()
