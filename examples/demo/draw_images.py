#!/usr/bin/env python3
"""Draws the demo game's pictures (plain Python, no libraries): a ball, a
block and a background tile, written as PNG files beside this script."""
import math
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


def ball(x, y):
    d = math.hypot(x - 15.5, y - 15.5)
    if d > 15.5:
        return (0, 0, 0, 0)
    shade = max(0, 1 - math.hypot(x - 10, y - 10) / 24)
    return (int(80 + 175 * shade), int(40 + 120 * shade), 40, 255)


def block(x, y):
    edge = x in (0, 31) or y in (0, 15)
    return (30, 60, 120, 255) if edge else (70, 130, 220, 255)


def tile(x, y):
    line = x % 32 == 0 or y % 32 == 0
    return (200, 205, 215, 255) if line else (232, 236, 242, 255)


here = os.path.dirname(os.path.abspath(__file__))
write_png(os.path.join(here, "sprites", "ball.png"), 32, 32, ball)
write_png(os.path.join(here, "sprites", "block.png"), 32, 16, block)
write_png(os.path.join(here, "backgrounds", "grid.png"), 64, 64, tile)
