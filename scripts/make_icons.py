#!/usr/bin/env python3
"""Draws Pelmor's two tray icons (32x32, 16 colours) and writes them as .ico files.

Icon 102: a clipboard with lines of text (capturing).
Icon 104: the same clipboard, greyed, with a red pause sign (paused).
"""
import struct
import sys

# The standard 16-colour palette, as (r, g, b).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_RED, OLIVE, NAVY, SILVER, GREY, RED, BLUE, WHITE = 0, 1, 3, 4, 7, 8, 9, 12, 15
CLEAR = None


def rect(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def clipboard(board, paper, ink, clip):
    img = [[CLEAR] * 32 for _ in range(32)]
    rect(img, 4, 3, 27, 31, BLACK)       # outline
    rect(img, 5, 4, 26, 30, board)       # the board
    rect(img, 8, 7, 23, 28, paper)       # the sheet
    rect(img, 11, 1, 20, 5, BLACK)       # the clip
    rect(img, 12, 2, 19, 4, clip)
    for y in (11, 15, 19, 23):           # lines of text
        rect(img, 10, y, 21 if y != 23 else 17, y + 1, ink)
    return img


def capturing():
    return clipboard(OLIVE, WHITE, NAVY, SILVER)


def paused():
    img = clipboard(GREY, SILVER, GREY, SILVER)
    rect(img, 14, 14, 31, 31, BLACK)     # a red square with a white pause sign
    rect(img, 15, 15, 30, 30, RED)
    rect(img, 18, 18, 21, 27, WHITE)
    rect(img, 24, 18, 27, 27, WHITE)
    return img


def ico(img):
    xor = b""
    mask = b""
    for y in reversed(range(32)):        # bitmaps are stored bottom-up
        row = img[y]
        xor += bytes(((row[x] or 0) << 4) | (row[x + 1] or 0) for x in range(0, 32, 2))
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if row[x] is CLEAR else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22) + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    open(f"{out}/capturing.ico", "wb").write(ico(capturing()))
    open(f"{out}/paused.ico", "wb").write(ico(paused()))
