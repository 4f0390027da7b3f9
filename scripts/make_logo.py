#!/usr/bin/env python3
"""Writes resources/logo.bmp: the about dialog's 95 x 52, 24-bit logo.

A plain design of our own: a soft blue field with a dashed crosshair and a
ring around its centre. Run again to regenerate; the output is deterministic.
"""
import math
import struct
import sys
from pathlib import Path

W, H = 95, 52


def pixel(x, y):
    # Background: vertical blend from light to mid blue.
    t = y / (H - 1)
    r, g, b = int(225 - 60 * t), int(235 - 45 * t), int(250 - 20 * t)
    cx, cy = 47, 26
    d = math.hypot(x - cx, y - cy)
    if abs(d - 15) < 1.0:  # ring
        return (30, 60, 140)
    on_v = abs(x - cx) <= 1 and (abs(y - cy) // 4) % 2 == 0 and abs(y - cy) > 3
    on_h = abs(y - cy) <= 1 and (abs(x - cx) // 5) % 2 == 0 and abs(x - cx) > 3
    if on_v or on_h:  # dashed arms
        return (200, 30, 30)
    if d <= 2:  # centre point
        return (30, 60, 140)
    return (r, g, b)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "logo.bmp")
    row_bytes = (W * 3 + 3) & ~3
    image = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(W):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        image += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    out.write_bytes(header + info + image)


if __name__ == "__main__":
    main()
