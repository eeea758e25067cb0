#!/usr/bin/env python3
"""Writes the icon seeds of the fuzzer (fuzz/corpus/icon/): small icon files
of the depths an icon file can have, one of two images, and some with PNG
images inside, up to and beyond the size an icon file holds.

    python3 fuzz/make_icon_seeds.py [FOLDER]    default fuzz/corpus/icon
"""

import os
import struct
import sys
import zlib


def pixel(x, y, size):
    """A ring on a diagonal gradient: (red, green, blue, alpha)."""
    d = (x - size / 2 + 0.5) ** 2 + (y - size / 2 + 0.5) ** 2
    inside = (size * 0.3) ** 2 <= d <= (size * 0.45) ** 2
    shade = (x + y) * 255 // (2 * size - 2)
    return (shade, 255 - shade, 128, 255 if inside else (64 if d < (size * 0.3) ** 2 else 0))


def rows(data):
    """Pads each row of bytes to a multiple of four."""
    return b"".join(r + bytes(-len(r) % 4) for r in data)


def bmp_image(size, bits):
    """BITMAPINFOHEADER + palette + XOR bitmap + AND mask, bottom-up."""
    palette = []
    if bits <= 8:
        count = 1 << bits
        palette = [((i * 255) // (count - 1), (i * 97) % 256, 255 - (i * 255) // (count - 1))
                   for i in range(count)]
    xor = []
    mask = []
    for y in range(size - 1, -1, -1):
        px = [pixel(x, y, size) for x in range(size)]
        if bits == 32:
            row = b"".join(bytes((b, g, r, a)) for r, g, b, a in px)
        elif bits == 24:
            row = b"".join(bytes((b, g, r)) for r, g, b, _ in px)
        else:
            count = 1 << bits
            idx = [(r * (count - 1) + 127) // 255 for r, _, _, _ in px]
            acc = 0
            out = bytearray()
            n = 0
            for i in idx:
                acc = (acc << bits) | i
                n += bits
                if n == 8:
                    out.append(acc)
                    acc = n = 0
            if n:
                out.append(acc << (8 - n))
            row = bytes(out)
        xor.append(row)
        bits_row = 0
        for x in range(size):
            bits_row = (bits_row << 1) | (1 if px[x][3] == 0 else 0)
        mask.append(bits_row.to_bytes((size + 7) // 8, "big"))
    pixels = rows(xor) + rows(mask)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, len(pixels), 0, 0,
                       len(palette), 0)
    return info + colours + pixels


def png_image(size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + b"".join(bytes(pixel(x, y, size)) for x in range(size))
                   for y in range(size))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(images):
    """images: (size, bits, bytes) each."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, bits, data in images:
        colours = (1 << bits) if bits < 8 else 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits,
                               len(data), offset)
        offset += len(data)
    return header + entries + b"".join(data for _, _, data in images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__),
                                                                   "corpus", "icon")
    os.makedirs(folder, exist_ok=True)
    seeds = {
        "16-1bit.ico": [(16, 1, bmp_image(16, 1))],
        "16-4bit.ico": [(16, 4, bmp_image(16, 4))],
        "32-8bit.ico": [(32, 8, bmp_image(32, 8))],
        "32-24bit.ico": [(32, 24, bmp_image(32, 24))],
        "32-32bit.ico": [(32, 32, bmp_image(32, 32))],
        "16-and-32.ico": [(16, 4, bmp_image(16, 4)), (32, 32, bmp_image(32, 32))],
        "16-png.ico": [(16, 32, png_image(16))],
        # The largest image an icon file holds, and one larger than that next
        # to a small one (the small one is the icon's image).
        "256-png.ico": [(256, 32, png_image(256))],
        "16-and-300-png.ico": [(16, 4, bmp_image(16, 4)), (300, 32, png_image(300))],
    }
    for name, images in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(ico(images))


if __name__ == "__main__":
    main()
