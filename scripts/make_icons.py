#!/usr/bin/env python3
"""Draws Pelmor's two tray icons (16 colours) and writes them as .ico files.

Icon 102: a clipboard with lines of text (capturing).
Icon 104: the same clipboard, greyed, with a red pause sign (paused).

Each file holds the picture at 16, 20, 24, 32, 40 and 48 pixels: the small-icon sizes at 100,
125, 150 and 200 % scaling and the icon sizes at 100, 125 and 150 %, so that Windows never has
to stretch one. The drawing is given on a 32-pixel grid and placed at each size with its
outlines kept one pixel wide.
"""
import struct
import sys

# The standard 16-colour palette, as (r, g, b).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_RED, OLIVE, NAVY, SILVER, GREY, RED, BLUE, WHITE = 0, 1, 3, 4, 7, 8, 9, 12, 15
CLEAR = None
SIZES = (16, 20, 24, 32, 40, 48)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.img = [[CLEAR] * size for _ in range(size)]

    def at(self, v):
        """A grid line of the 32-pixel grid at this size."""
        return int(v * self.size / 32 + 0.5)

    def box(self, x0, y0, x1, y1):
        """The pixels that the grid cells x0..x1, y0..y1 cover, at least one each way."""
        left, top = self.at(x0), self.at(y0)
        return left, top, max(left, self.at(x1 + 1) - 1), max(top, self.at(y1 + 1) - 1)

    def fill(self, box, colour):
        x0, y0, x1, y1 = box
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.img[y][x] = colour

    def framed(self, box, frame, inside):
        """A box with a one-pixel frame around at least one pixel; returns the inside."""
        x0, y0, x1, y1 = box
        x1, y1 = max(x1, x0 + 2), max(y1, y0 + 2)
        self.fill((x0, y0, x1, y1), frame)
        inner = (x0 + 1, y0 + 1, x1 - 1, y1 - 1)
        self.fill(inner, inside)
        return inner


def clipboard(size, board, paper, ink, clip):
    c = Canvas(size)
    inner = c.framed(c.box(4, 3, 27, 31), BLACK, board)
    # The sheet leaves the board showing on every side.
    x0, y0, x1, y1 = c.box(8, 7, 23, 28)
    sheet = (max(x0, inner[0] + 1), max(y0, inner[1] + 1), min(x1, inner[2] - 1), min(y1, inner[3] - 1))
    c.fill(sheet, paper)
    c.framed(c.box(11, 1, 20, 5), BLACK, clip)
    # Four lines of text, the last one shorter, evenly spaced at every size.
    pitch, thickness = c.at(4), max(1, c.at(2))
    for i in range(4):
        x0, y0, x1, _ = c.box(10, 11, 21 if i < 3 else 17, 12)
        y = y0 + i * pitch
        c.fill((x0, y, x1, y + thickness - 1), ink)
    return c


def capturing(size):
    return clipboard(size, OLIVE, WHITE, NAVY, SILVER).img


def paused(size):
    c = clipboard(size, GREY, SILVER, GREY, SILVER)
    c.framed(c.box(14, 14, 31, 31), BLACK, RED)    # a red square with a white pause sign
    c.fill(c.box(18, 18, 21, 27), WHITE)
    c.fill(c.box(24, 18, 27, 27), WHITE)
    return c.img


def bitmap(img):
    """One image of an .ico: a 4-bit bitmap, its AND mask, both bottom-up."""
    size = len(img)
    mask_stride = (size + 31) // 32 * 4
    xor = b""
    mask = b""
    for row in reversed(img):
        xor += bytes(((row[x] or 0) << 4) | ((row[x + 1] or 0) if x + 1 < size else 0) for x in range(0, size, 2))
        xor += b"\0" * (-len(xor) % 4)   # rows end on 32 bits
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (1 if row[x] is CLEAR else 0)
        mask += (bits << (mask_stride * 8 - size)).to_bytes(mask_stride, "big")
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    return header + palette + xor + mask


def ico(draw):
    images = [bitmap(draw(size)) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    open(f"{out}/capturing.ico", "wb").write(ico(capturing))
    open(f"{out}/paused.ico", "wb").write(ico(paused))
