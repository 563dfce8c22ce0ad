#!/usr/bin/env python3
"""Draws the program's icon in the tray gauge's style and writes src/window/gaugelet.ico.

A dark rounded tile holding two bars, the five-hour one in the Claude accent and the seven-day
one in the Codex accent, each over the tray icon's grey track. Sizes 16, 24, 32 and 48 are
stored as 32-bit bitmaps, 256 as PNG (as Windows expects for that size). Anti-aliased by
sampling every pixel 4 x 4 times. Rerun after changing the drawing:

    python3 tools/make_icon.py
"""
import os
import struct
import zlib

SIZES = (16, 24, 32, 48, 256)
TILE = (0x17, 0x18, 0x1C)
TRACK = (0x4A, 0x4A, 0x4A)
CLAUDE = (0xD9, 0x77, 0x57)
CODEX = (0xC9, 0xC9, 0xD0)
SAMPLES = 4


def inside_rounded(x, y, left, top, right, bottom, radius):
    if x < left or x >= right or y < top or y >= bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def shapes():
    """(rectangle in unit coordinates, corner radius, colour), painted in order."""
    bar_left, bar_right, bar_h = 0.16, 0.84, 0.17
    fills = ((0.30, 0.62, CLAUDE), (0.53, 0.38, CODEX))
    out = [((0.0, 0.0, 1.0, 1.0), 0.20, TILE)]
    for top, share, colour in fills:
        rect = (bar_left, top, bar_right, top + bar_h)
        out.append((rect, bar_h / 2, TRACK))
        out.append(((bar_left, top, bar_left + (bar_right - bar_left) * share, top + bar_h), bar_h / 2, colour))
    return out


def draw(size):
    """Premultiplication is not used: icons carry straight alpha. Rows top to bottom, BGRA."""
    pixels = []
    plan = shapes()
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            alpha = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for (l, t, r, b), radius, c in plan:
                        if inside_rounded(x, y, l, t, r, b, radius):
                            colour = c
                    if colour is not None:
                        alpha += 1
                        for i in range(3):
                            acc[i] += colour[i]
            n = SAMPLES * SAMPLES
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                r, g, b = (round(acc[i] / alpha) for i in range(3))
                row.append((b, g, r, round(255 * alpha / n)))
        pixels.append(row)
    return pixels


def bmp_entry(size, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    body = b"".join(bytes(p) for row in reversed(pixels) for p in row)  # bottom-up
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)  # the alpha channel decides; the AND mask is all clear
    return header + body + mask


def png_entry(size, pixels):
    raw = b"".join(b"\x00" + b"".join(bytes((p[2], p[1], p[0], p[3])) for p in row) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main():
    images = []
    for size in SIZES:
        pixels = draw(size)
        images.append((size, png_entry(size, pixels) if size >= 256 else bmp_entry(size, pixels)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "window", "gaugelet.ico")
    with open(target, "wb") as f:
        f.write(out)
    print(f"wrote {os.path.normpath(target)} ({len(out)} bytes)")


if __name__ == "__main__":
    main()
