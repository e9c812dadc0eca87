#!/usr/bin/env python3
"""Draws the program's icon (a white note on a blue disc) into a .ico of 16, 20, 24, 32, 40,
48, 64 and 256 px, the sizes Windows asks for from 100 % to 200 %; the 256 px image is
stored PNG-compressed, as Windows Vista and later read it."""
import struct
import sys
import zlib


def pixel(size, x, y):
    """BGRA of one pixel, sampled 4x4 for smooth edges."""
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(4):
        for sx in range(4):
            u = (x + (sx + 0.5) / 4) / size
            v = (y + (sy + 0.5) / 4) / size
            colour = None
            # The note: two heads, two stems and a beam.
            heads = [(0.36, 0.70), (0.66, 0.62)]
            for hx, hy in heads:
                if ((u - hx) / 0.11) ** 2 + ((v - hy) / 0.08) ** 2 <= 1:
                    colour = (255, 255, 255)
            for sx_ in (0.44, 0.74):
                top = 0.30 if sx_ == 0.44 else 0.22
                bottom = 0.70 if sx_ == 0.44 else 0.62
                if sx_ - 0.035 <= u <= sx_ + 0.005 and top <= v <= bottom:
                    colour = (255, 255, 255)
            beam_v = 0.30 - (u - 0.41) * (0.08 / 0.33)
            if 0.41 <= u <= 0.745 and beam_v <= v <= beam_v + 0.09:
                colour = (255, 255, 255)
            if colour is None and (u - 0.5) ** 2 + (v - 0.5) ** 2 <= 0.47 ** 2:
                t = v
                colour = (int(40 + 30 * t), int(120 + 40 * t), int(220 - 30 * t))
            if colour is not None:
                acc[0] += colour[2]
                acc[1] += colour[1]
                acc[2] += colour[0]
                acc[3] += 255
    if acc[3] == 0:
        return bytes(4)
    # Average colour of the covered samples, and coverage as alpha.
    covered = acc[3] / 255
    return bytes((int(acc[0] / covered), int(acc[1] / covered), int(acc[2] / covered),
                  round(acc[3] / 16)))


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        rows.append(b"".join(pixel(size, x, y) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def png(size):
    """The image as a PNG of 8-bit RGBA, top row first."""
    raw = b""
    for y in range(size):
        row = b"".join(pixel(size, x, y) for x in range(size))
        # BGRA to RGBA; each row starts with filter type 0.
        raw += b"\0" + b"".join(row[i + 2:i + 3] + row[i + 1:i + 2] + row[i:i + 1] +
                                row[i + 3:i + 4] for i in range(0, len(row), 4))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(path):
    sizes = (16, 20, 24, 32, 40, 48, 64, 256)
    images = [png(s) if s == 256 else image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        # A width or height of 256 is written as 0.
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
