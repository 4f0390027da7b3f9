#!/usr/bin/env python3
"""Writes resources/move.cur: the centre handle's pointer, a 32 x 32 monochrome
four-way move arrow, black outline, inverting inside, hot spot (13, 13).

  scripts/make_move_cursor.py [OUTPUT]

The shape is drawn as a filled set of pixels; its border pixels become the black
outline and the rest the inverting inside. Pixel meaning in a monochrome cursor
(AND bit, XOR bit): 0,0 black; 1,0 screen shows through; 1,1 screen inverted.
"""
import struct
import sys
from pathlib import Path

SIZE = 32
HOT = 13        # the middle of the arrow cross
HEAD = 6        # rows of each arrow head, tip included
SHAFT = 2       # half-width of a shaft, outline included (5 pixels wide)
REACH = 13      # from the middle to each tip


def filled(x, y):
    dx, dy = x - HOT, y - HOT
    for along, across in ((dy, dx), (dx, dy)):  # vertical arm, horizontal arm
        distance = abs(along)
        if distance > REACH:
            continue
        if distance <= REACH - HEAD and abs(across) <= SHAFT:
            return True  # shaft
        if distance > REACH - HEAD and abs(across) <= REACH - distance:
            return True  # arrow head: one pixel wider per row from the tip
    return False


def pixels():
    """'B' outline, 'I' inverted inside, '.' transparent; rows top to bottom."""
    rows = []
    for y in range(SIZE):
        row = ""
        for x in range(SIZE):
            if not filled(x, y):
                row += "."
            elif all(0 <= x + a < SIZE and 0 <= y + b < SIZE and filled(x + a, y + b)
                     for a, b in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                row += "I"
            else:
                row += "B"
        rows.append(row)
    return rows


def mask(rows, bit):
    out = b""
    for row in reversed(rows):  # bitmaps run bottom-up
        value = 0
        for ch in row:
            value = (value << 1) | bit(ch)
        out += struct.pack(">I", value)
    return out


def cursor_bytes(rows):
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    xor = mask(rows, lambda ch: 1 if ch == "I" else 0)
    and_ = mask(rows, lambda ch: 0 if ch == "B" else 1)
    image = header + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT, HOT, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "move.cur"
    rows = pixels()
    assert rows[HOT][HOT] == "I"
    out.write_bytes(cursor_bytes(rows))
    print("\n".join(rows))


if __name__ == "__main__":
    main()
