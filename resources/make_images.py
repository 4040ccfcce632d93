#!/usr/bin/env python3
"""Draws the toolbar strips and the program icon and writes them as the .bmp
and .ico files the resource script includes. Standard library only.

    python3 resources/make_images.py        # rewrites the files beside this script

toolbar.bmp (bitmap 112) and toolbar_hot.bmp (bitmap 111): 112 x 16, 4 bits per
pixel, seven 16-pixel images: previous year, next year, previous month, next
month, today, settings, exit. The image list takes the top-left pixel's colour
(magenta) as transparent and uses only the top 15 rows. toolbar_24.bmp and
toolbar_32.bmp, with their _hot twins, are the same pictures drawn from the
same shapes at 150 % and 200 % (24 and 32 pixels, the top 23 and 31 rows used),
for scaled displays: drawn, not enlarged, so they stay sharp.
program.ico (icon 116): a calendar page, 32 x 32 and 16 x 16, 32-bit with alpha.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16 colours of the classic VGA palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, NAVY, SILVER, GRAY = 0, 1, 2, 4, 7, 8
RED, YELLOW, BLUE, KEY, WHITE = 9, 11, 12, 13, 15

SIZE = 16


# ---- shapes: a function (x, y) -> bool over pixel-space coordinates ----

def triangle(ax, ay, bx, by, cx, cy):
    def inside(x, y):
        d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by)
        d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy)
        d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay)
        neg = d1 < 0 or d2 < 0 or d3 < 0
        pos = d1 > 0 or d2 > 0 or d3 > 0
        return not (neg and pos)
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def mirror(shape):
    return lambda x, y: shape(SIZE - x, y)


def gear(x, y):
    cx = cy = 7.5
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    if r < 2.0:
        return False
    if r <= 4.6:
        return True
    angle = math.atan2(dy, dx)
    tooth = (math.cos(8 * angle) + 1) / 2     # 8 teeth
    return r <= 6.8 and tooth > 0.45


def cross(x, y):
    # two bars of half-width 1.6 along the diagonals of a 10-pixel square
    u, v = x - 7.5, y - 7.5
    if abs(u) > 5.2 or abs(v) > 5.2:
        return False
    return abs(u - v) / math.sqrt(2) <= 1.6 or abs(u + v) / math.sqrt(2) <= 1.6


# The shapes are laid out on the 16-pixel grid; a picture of size pixels
# samples them at size/16 pixels to the unit.
def coverage(shape, x, y, scale, n=4):
    hits = 0
    for i in range(n):
        for j in range(n):
            if shape((x + (i + 0.5) / n) / scale, (y + (j + 0.5) / n) / scale):
                hits += 1
    return hits / (n * n)


def raster(shape, size):
    scale = size / SIZE
    return [[coverage(shape, x, y, scale) >= 0.5 for x in range(size)] for y in range(size - 1)]


def outlined(mask, fill, size):
    """Fills the mask with colour fill (a function of x, y on the 16-pixel
    grid) and draws a black one-pixel outline around it, so the shape reads on
    any background."""
    rows = size - 1
    scale = size / SIZE
    img = [[KEY] * size for _ in range(size)]
    for y in range(rows):
        for x in range(size):
            if mask[y][x]:
                img[y][x] = fill(int(x / scale), int(y / scale))
    for y in range(rows):
        for x in range(size):
            if mask[y][x]:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (-1, -1), (1, -1), (-1, 1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < size and 0 <= ny < rows and mask[ny][nx]:
                    img[y][x] = BLACK
                    break
    return img


# ---- the seven buttons ----

PREV_MONTH = triangle(3.5, 7.5, 11.5, 2.5, 11.5, 12.5)
PREV_YEAR = union(triangle(1.5, 7.5, 7.5, 3.0, 7.5, 12.0), triangle(7.5, 7.5, 13.5, 3.0, 13.5, 12.0))
PAGE = rect(2, 2, 13, 13)


def toolbar_images(hot, size=SIZE):
    arrow = YELLOW if hot else WHITE
    images = [
        outlined(raster(PREV_YEAR, size), lambda x, y: arrow, size),
        outlined(raster(mirror(PREV_YEAR), size), lambda x, y: arrow, size),
        outlined(raster(PREV_MONTH, size), lambda x, y: arrow, size),
        outlined(raster(mirror(PREV_MONTH), size), lambda x, y: arrow, size),
    ]

    def page(x, y):
        if y <= 4:
            return RED                  # the page's header band
        if 6 <= x <= 9 and 7 <= y <= 10:
            return BLUE if not hot else RED   # today's square
        return YELLOW if hot else WHITE
    images.append(outlined(raster(PAGE, size), page, size))
    images.append(outlined(raster(gear, size), lambda x, y: YELLOW if hot else SILVER, size))
    images.append(outlined(raster(cross, size), lambda x, y: RED if hot else MAROON, size))
    return images


def write_bmp4(path, images):
    size = len(images[0])
    width, height = size * len(images), size
    stride = (width * 4 + 31) // 32 * 4
    rows = []
    for y in range(height - 1, -1, -1):      # bottom-up
        row = bytearray()
        for x in range(0, width, 2):
            a = images[x // size][y][x % size]
            b = images[(x + 1) // size][y][(x + 1) % size]
            row.append(a << 4 | b)
        row.extend(b"\0" * (stride - len(row)))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


# ---- the program icon: a calendar page ----

def icon_pixels(n):
    """n x n BGRA rows, top row first."""
    s = n / 32.0
    img = [[(0, 0, 0, 0)] * n for _ in range(n)]

    def put(x, y, rgb):
        img[y][x] = (rgb[2], rgb[1], rgb[0], 255)

    left, right, top, bottom = round(2 * s), n - 1 - round(2 * s), round(4 * s), n - 1 - round(2 * s)
    band = top + max(2, round(8 * s))
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            if edge:
                put(x, y, (40, 40, 40))
            elif y < band:
                put(x, y, (210, 30, 30))
            else:
                put(x, y, (255, 255, 255))
    # binder rings
    for rx in (round(9 * s), n - 1 - round(9 * s)):
        for y in range(max(0, top - round(3 * s)), top + round(3 * s) + 1):
            put(rx, y, (40, 40, 40))
    # a grid of days with today in red
    if n >= 32:
        cols, rows, cell, dot, today = 5, 3, 5, 3, (1, 2)
    else:
        cols, rows, cell, dot, today = 3, 2, 4, 2, (1, 1)
    gx0, gy0 = left + 3 * n // 32 + (1 if n < 32 else 0), band + 2
    for row in range(rows):
        for col in range(cols):
            colour = (210, 30, 30) if (row, col) == today else (60, 60, 160)
            for y in range(gy0 + row * cell, gy0 + row * cell + dot):
                for x in range(gx0 + col * cell, gx0 + col * cell + dot):
                    if left < x < right and band <= y < bottom:
                        put(x, y, colour)
    return img


def write_ico(path, sizes):
    blobs = []
    for n in sizes:
        img = icon_pixels(n)
        xor = b"".join(bytes(c for px in img[y] for c in px) for y in range(n - 1, -1, -1))
        mask_stride = (n + 31) // 32 * 4
        and_mask = bytearray()
        for y in range(n - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(n):
                if img[y][x][3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            and_mask.extend(row)
        info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
        blobs.append(info + xor + bytes(and_mask))
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, blob in zip(sizes, blobs):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def main():
    write_bmp4(os.path.join(HERE, "toolbar.bmp"), toolbar_images(hot=False))
    write_bmp4(os.path.join(HERE, "toolbar_hot.bmp"), toolbar_images(hot=True))
    for size in (24, 32):
        write_bmp4(os.path.join(HERE, "toolbar_%d.bmp" % size), toolbar_images(False, size))
        write_bmp4(os.path.join(HERE, "toolbar_hot_%d.bmp" % size), toolbar_images(True, size))
    write_ico(os.path.join(HERE, "program.ico"), [32, 16])


if __name__ == "__main__":
    main()
