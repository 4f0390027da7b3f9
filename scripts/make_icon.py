#!/usr/bin/env python3
"""Writes resources/Reticor2.ico: the program icon in every size Windows asks
for (16, 20, 24, 32, 40, 48 and 256 pixels), so that the shell never shrinks or
stretches it: 16 to 48 in 24-bit colour with a transparency mask, 256 as PNG.
A red crosshair with an open centre inside a dark ring, drawn from plain
geometry on each size's own pixel grid, so that every run writes the same bytes.

    python3 scripts/make_icon.py [output path] [--png DIR]

--png DIR also writes each size as DIR/Reticor2-<size>.png, to look at.
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 20, 24, 32, 40, 48, 256)
PNG_SIZES = (256,)  # stored as PNG, as Windows keeps its large images
RED = (0xD0, 0x20, 0x20)
RING = (0x40, 0x40, 0x40)


def pixel(x, y, size):
    """The colour at (x, y) of the size-pixel image, top-left origin, or None
    where the icon is transparent. The 32-pixel grid is the design; the other
    sizes scale its radii and keep the bars an even number of pixels wide, so
    that they sit on whole pixels either side of the middle."""
    k = size / 32
    centre = (size - 1) / 2
    dx, dy = x - centre, y - centre
    r = math.hypot(dx, dy)
    half_bar = max(1, math.floor(k))  # two pixels up to 48
    on_bar = abs(dx) < half_bar or abs(dy) < half_bar
    if on_bar and 3.5 * k < r < 15.0 * k:
        return RED
    # The ring keeps at least a pixel and a half of width, or it breaks up at 16.
    if 10.0 * k <= r <= max(12.0 * k, 10.0 * k + 1.5):
        return RING
    if r < max(1.0, k):
        return RED  # the aiming point
    return None


def bmp_image(size):
    """A DIB icon image: header, bottom-up BGR rows, then the AND mask."""
    colour_rows, mask_rows = [], []
    stride = (size * 3 + 3) // 4 * 4
    mask_stride = (size + 31) // 32 * 4
    for y in reversed(range(size)):  # DIB rows run bottom-up
        row, bits = bytearray(), 0
        for x in range(size):
            c = pixel(x, y, size)
            if c is None:
                row += b"\x00\x00\x00"
                bits |= 1 << (mask_stride * 8 - 1 - x)  # 1: show what is behind
            else:
                row += bytes((c[2], c[1], c[0]))  # blue, green, red
        colour_rows.append(bytes(row) + bytes(stride - len(row)))
        mask_rows.append(bits.to_bytes(mask_stride, "big"))
    image = b"".join(colour_rows) + b"".join(mask_rows)
    # BITMAPINFOHEADER: the height counts the colour image and the mask.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, len(image), 0, 0, 0, 0)
    return header + image


def png_image(size):
    """The image as an RGBA PNG, transparent where the mask would be."""
    raw = bytearray()
    for y in range(size):
        raw.append(0)  # no filter
        for x in range(size):
            c = pixel(x, y, size)
            raw += bytes((0, 0, 0, 0)) if c is None else bytes((*c, 255))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def ico_bytes():
    images = [png_image(s) if s in PNG_SIZES else bmp_image(s) for s in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    entries = b""
    for size, image in zip(SIZES, images):
        side = size % 256  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32 if size in PNG_SIZES else 24, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    args = sys.argv[1:]
    png_dir = None
    if "--png" in args:
        i = args.index("--png")
        png_dir = Path(args[i + 1])
        del args[i:i + 2]
    out = Path(args[0]) if args else Path(__file__).resolve().parent.parent / "resources" / "Reticor2.ico"
    out.write_bytes(ico_bytes())
    if png_dir is not None:
        png_dir.mkdir(parents=True, exist_ok=True)
        for size in SIZES:
            (png_dir / f"Reticor2-{size}.png").write_bytes(png_image(size))


if __name__ == "__main__":
    main()
