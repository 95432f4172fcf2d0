#!/usr/bin/env python3
"""Draws the pictures of the 3D walk example (plain Python, no libraries):
brick walls, floor tiles and the two collision masks, written as PNG files
beside this script."""
import os
import struct
import zlib


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a)"""
    rows = b"".join(
        b"\0" + bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


def bricks(x, y):
    row = y // 16
    shift = 16 if row % 2 else 0
    mortar = y % 16 in (0, 15) or (x + shift) % 32 in (0, 31)
    if mortar:
        return (170, 165, 150, 255)
    tone = ((x + shift) // 32 * 37 + row * 53) % 40
    return (150 + tone, 60 + tone // 2, 40, 255)


def tiles(x, y):
    dark = (x // 32 + y // 32) % 2
    edge = x % 32 in (0, 31) or y % 32 in (0, 31)
    base = 90 if dark else 140
    return (base - 30, base - 20, base - 10, 255) if edge else (base, base + 10, base + 20, 255)


def solid(x, y):
    return (255, 255, 255, 255)


here = os.path.dirname(os.path.abspath(__file__))
write_png(os.path.join(here, "backgrounds", "bricks.png"), 64, 64, bricks)
write_png(os.path.join(here, "backgrounds", "tiles.png"), 64, 64, tiles)
write_png(os.path.join(here, "sprites", "wall.png"), 32, 32, solid)
write_png(os.path.join(here, "sprites", "player.png"), 12, 12, solid)
