#!/usr/bin/env python3
"""Makes every picture and sound of the breakout example (plain Python, no
libraries): the sprites, the background tile and the pixel font as PNG, the
sound effects as WAV and the music as a MIDI file, beside this script.
`make_assets.py --glyphs` prints the font's glyph table for project.json."""
import json
import math
import os
import random
import struct
import sys
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def path(*parts):
    p = os.path.join(HERE, *parts)
    os.makedirs(os.path.dirname(p), exist_ok=True)
    return p


# ---- pictures ----

def write_png(name, width, height, pixel, grey=False):
    """pixel(x, y) -> (r, g, b, a), or an alpha value for a grey picture"""
    def row(y):
        if grey:
            return bytes(pixel(x, y) for x in range(width))
        return bytes(c for x in range(width) for c in pixel(x, y))
    data = b"".join(b"\0" + row(y) for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path(name), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0 if grey else 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(data, 9)))
        f.write(chunk(b"IEND", b""))


def shade(colour, k):
    return tuple(max(0, min(255, int(c * k))) for c in colour)


def paddle(x, y):
    # A capsule: round ends are transparent, which the precise mask follows.
    w, h, r = 96, 16, 8
    cx = min(max(x + 0.5, r), w - r)
    d = math.hypot(x + 0.5 - cx, y + 0.5 - h / 2)
    if d > r:
        return (0, 0, 0, 0)
    light = 1.25 - 0.5 * (y / h)
    return shade((90, 170, 240), light) + (255,)


def ball(x, y):
    d = math.hypot(x + 0.5 - 6, y + 0.5 - 6)
    if d > 6:
        return (0, 0, 0, 0)
    light = 1.3 - math.hypot(x - 3.5, y - 3.5) / 9
    return shade((240, 240, 230), light) + (255,)


BRICK_COLOURS = [(220, 70, 60), (240, 170, 50), (80, 190, 90)]


def brick(colour):
    def pixel(x, y):
        edge = x in (0, 55) or y in (0, 19)
        bevel = 1.25 if y < 4 else 0.8 if y > 15 else 1.0
        return shade(colour, 0.55 if edge else bevel) + (255,)
    return pixel


def tile(x, y):
    line = x % 32 == 0 or y % 32 == 0
    base = 26 + (x + y) % 64 // 16
    return (base, base + 6, base + 22, 255) if not line else (40, 48, 76, 255)


# A 5 x 7 pixel font, drawn twice as large. Rows top to bottom, bit 4 is
# the left column.
FONT = {
    "0": [14, 17, 19, 21, 25, 17, 14], "1": [4, 12, 4, 4, 4, 4, 14], "2": [14, 17, 1, 2, 4, 8, 31],
    "3": [31, 2, 4, 2, 1, 17, 14], "4": [2, 6, 10, 18, 31, 2, 2], "5": [31, 16, 30, 1, 1, 17, 14],
    "6": [6, 8, 16, 30, 17, 17, 14], "7": [31, 1, 2, 4, 8, 8, 8], "8": [14, 17, 17, 14, 17, 17, 14],
    "9": [14, 17, 17, 15, 1, 2, 12],
    "A": [14, 17, 17, 17, 31, 17, 17], "B": [30, 17, 17, 30, 17, 17, 30], "C": [14, 17, 16, 16, 16, 17, 14],
    "D": [28, 18, 17, 17, 17, 18, 28], "E": [31, 16, 16, 30, 16, 16, 31], "F": [31, 16, 16, 30, 16, 16, 16],
    "G": [14, 17, 16, 23, 17, 17, 15], "H": [17, 17, 17, 31, 17, 17, 17], "I": [14, 4, 4, 4, 4, 4, 14],
    "J": [7, 2, 2, 2, 2, 18, 12], "K": [17, 18, 20, 24, 20, 18, 17], "L": [16, 16, 16, 16, 16, 16, 31],
    "M": [17, 27, 21, 21, 17, 17, 17], "N": [17, 17, 25, 21, 19, 17, 17], "O": [14, 17, 17, 17, 17, 17, 14],
    "P": [30, 17, 17, 30, 16, 16, 16], "Q": [14, 17, 17, 17, 21, 18, 13], "R": [30, 17, 17, 30, 20, 18, 17],
    "S": [15, 16, 16, 14, 1, 1, 30], "T": [31, 4, 4, 4, 4, 4, 4], "U": [17, 17, 17, 17, 17, 17, 14],
    "V": [17, 17, 17, 17, 17, 10, 4], "W": [17, 17, 17, 21, 21, 21, 10], "X": [17, 17, 10, 4, 10, 17, 17],
    "Y": [17, 17, 17, 10, 4, 4, 4], "Z": [31, 1, 2, 4, 8, 16, 31],
    "!": [4, 4, 4, 4, 4, 0, 4], "-": [0, 0, 0, 31, 0, 0, 0], ".": [0, 0, 0, 0, 0, 12, 12],
    ":": [0, 12, 12, 0, 12, 12, 0], "/": [1, 1, 2, 4, 8, 16, 16], "?": [14, 17, 1, 2, 4, 0, 4],
    "'": [4, 4, 8, 0, 0, 0, 0], ",": [0, 0, 0, 0, 12, 4, 8], "(": [2, 4, 8, 8, 8, 4, 2],
    ")": [8, 4, 2, 2, 2, 4, 8], "+": [0, 4, 4, 31, 4, 4, 0], "=": [0, 0, 31, 0, 31, 0, 0],
}
CELL_W, CELL_H, SCALE = 12, 16, 2


def cell_of(code):
    """The atlas cell of a character: lower case shares the capitals'."""
    ch = chr(code)
    if "a" <= ch <= "z":
        code -= 32
    return code - 32


def glyphs():
    table = []
    for code in range(256):
        if 32 <= code <= 127:
            c = cell_of(code)
            table.append([c % 16 * CELL_W + 1, c // 16 * CELL_H + 1, 5 * SCALE, 7 * SCALE, CELL_W, 0])
        else:
            table.append([0, 0, 0, 0, 0, 0])
    return table


def font_atlas(x, y):
    c = y // CELL_H * 16 + x // CELL_W
    rows = FONT.get(chr(c + 32))
    gx, gy = (x % CELL_W - 1) // SCALE, (y % CELL_H - 1) // SCALE
    if not rows or not (0 <= gx < 5 and 0 <= gy < 7) or x % CELL_W == 0 or y % CELL_H == 0:
        return 0
    return 255 if rows[gy] >> (4 - gx) & 1 else 0


# ---- sounds ----

RATE = 22050


def write_wav(name, seconds, sample):
    """sample(t) -> -1 .. 1"""
    frames = bytearray()
    for i in range(int(seconds * RATE)):
        v = max(-1.0, min(1.0, sample(i / RATE)))
        frames += struct.pack("<h", int(v * 30000))
    with wave.open(path(name), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def square(phase):
    return 1.0 if phase % 1.0 < 0.5 else -1.0


def bounce(t):
    return 0.5 * square(660 * t) * math.exp(-t * 45)


def wall(t):
    return 0.35 * square(440 * t) * math.exp(-t * 70)


def brick_sound(t):
    freq = 700 + 5000 * t
    return 0.45 * math.sin(2 * math.pi * freq * t) * math.exp(-t * 25) + 0.1 * random.uniform(-1, 1) * math.exp(-t * 60)


def lose(t):
    freq = 440 * math.exp(-t * 2.8) * (1 + 0.03 * math.sin(2 * math.pi * 9 * t))
    return 0.5 * math.sin(2 * math.pi * freq * t) * min(1, (0.6 - t) * 8)


def write_midi(name):
    """Eight bars of a bass line and an arpeggio that loop, as a type 0 MIDI file."""
    ticks = 96  # per quarter note
    events = []  # (tick, bytes)
    events.append((0, bytes([0xFF, 0x51, 3]) + (428571).to_bytes(3, "big")))  # 140 beats a minute
    events.append((0, bytes([0xC0, 81])))  # lead: square
    events.append((0, bytes([0xC1, 38])))  # bass: synth bass
    chords = [[57, 60, 64], [53, 57, 60], [48, 52, 55], [55, 59, 62]] * 2  # Am F C G
    for bar, chord in enumerate(chords):
        start = bar * 4 * ticks
        for beat in range(8):  # eighth notes up and down the chord
            note = chord[[0, 1, 2, 1][beat % 4]] + 12
            at = start + beat * ticks // 2
            events.append((at, bytes([0x90, note, 70])))
            events.append((at + ticks // 2 - 4, bytes([0x80, note, 0])))
        for beat in range(4):
            at = start + beat * ticks
            events.append((at, bytes([0x91, chord[0] - 24, 90])))
            events.append((at + ticks - 8, bytes([0x81, chord[0] - 24, 0])))
    end = len(chords) * 4 * ticks
    events.sort(key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80))

    def varlen(n):
        out = [n & 0x7F]
        n >>= 7
        while n:
            out.insert(0, 0x80 | (n & 0x7F))
            n >>= 7
        return bytes(out)

    track, now = bytearray(), 0
    for at, data in events:
        track += varlen(at - now) + data
        now = at
    track += varlen(end - now) + bytes([0xFF, 0x2F, 0])
    with open(path(name), "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, ticks))
        f.write(b"MTrk" + struct.pack(">I", len(track)) + track)


def main():
    if sys.argv[1:] == ["--glyphs"]:
        rows = glyphs()
        print(",\n".join(", ".join(json.dumps(g) for g in rows[i:i + 8]) for i in range(0, 256, 8)))
        return
    random.seed(7)
    write_png("sprites/paddle.png", 96, 16, paddle)
    write_png("sprites/ball.png", 12, 12, ball)
    for i, colour in enumerate(BRICK_COLOURS):
        write_png("sprites/brick%d.png" % i, 56, 20, brick(colour))
    write_png("backgrounds/tile.png", 64, 64, tile)
    write_png("fonts/pixel.png", 16 * CELL_W, 6 * CELL_H, font_atlas, grey=True)
    write_wav("sounds/bounce.wav", 0.08, bounce)
    write_wav("sounds/wall.wav", 0.05, wall)
    write_wav("sounds/brick.wav", 0.15, brick_sound)
    write_wav("sounds/lose.wav", 0.6, lose)
    write_midi("sounds/music.mid")


main()
