#!/usr/bin/env python3
"""Draws the application icon into velkaro.ico: 16, 20, 24, 32, 40, 48, 64 and 128 pixels (the
small and large icon at 100, 125, 150 and 200 % display scaling, and the largest), 32 bits per
pixel with alpha. The picture: a blue arrow down (received) and a green arrow up (sent) behind a gold
coin with the rouble sign (what the traffic costs).

usage: make_icon.py [OUTPUT]   (default: velkaro.ico beside this script)
Only the standard library is used.
"""
import math
import os
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48, 64, 128)
SUPERSAMPLE = 4


# ---- shapes as signed distances in unit coordinates (x right, y down, 0..1) ----

def sd_box(x, y, x0, y0, x1, y1):
    dx = max(x0 - x, x - x1)
    dy = max(y0 - y, y - y1)
    if dx <= 0 and dy <= 0:
        return max(dx, dy)
    return math.hypot(max(dx, 0.0), max(dy, 0.0))


def sd_triangle(x, y, pts):
    # Largest signed distance to the three edges (inside negative): exact inside, close outside.
    (ax, ay), (bx, by), (cx, cy) = pts
    area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax)
    sign = 1.0 if area > 0 else -1.0
    best = -1e9
    for (px, py), (qx, qy) in (((ax, ay), (bx, by)), ((bx, by), (cx, cy)), ((cx, cy), (ax, ay))):
        ex, ey = qx - px, qy - py
        length = math.hypot(ex, ey)
        d = -sign * (ex * (y - py) - ey * (x - px)) / length
        best = max(best, d)
    return best


def sd_circle(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def sd_union(*ds):
    return min(ds)


# ---- the picture ----

COIN_X, COIN_Y, COIN_R = 0.655, 0.645, 0.33


def arrow_down(x, y):
    return sd_union(sd_box(x, y, 0.095, 0.04, 0.235, 0.50),
                    sd_triangle(x, y, ((0.0, 0.44), (0.33, 0.44), (0.165, 0.70))))


def arrow_up(x, y):
    return sd_union(sd_box(x, y, 0.335, 0.26, 0.475, 0.66),
                    sd_triangle(x, y, ((0.24, 0.30), (0.57, 0.30), (0.405, 0.04))))


def rouble(x, y):
    # The rouble sign inside the coin: a stem, a bowl to its right, a bar across below.
    r = COIN_R
    u = (x - COIN_X) / r
    v = (y - COIN_Y) / r
    stem = sd_box(u, v, -0.36, -0.58, -0.14, 0.62)
    # Bowl: a ring around (-0.02, -0.24), right half only.
    ring = abs(math.hypot((u + 0.02) / 1.15, v + 0.24) - 0.27) - 0.10
    bowl = max(ring, -(u + 0.14))
    bowl_top = sd_box(u, v, -0.36, -0.58, -0.02, -0.38)
    bowl_bottom = sd_box(u, v, -0.36, -0.10, -0.02, 0.10)
    bar = sd_box(u, v, -0.58, 0.22, 0.18, 0.40)
    return sd_union(stem, bowl, bowl_top, bowl_bottom, bar) * r


def layers():
    # (signed distance function, fill colour, outline colour, outline width in unit space)
    return (
        (arrow_down, (0x2F, 0x7F, 0xE8), (0x10, 0x35, 0x70), 0.035),
        (arrow_up, (0x2E, 0xB8, 0x4A), (0x0E, 0x50, 0x1E), 0.035),
        (lambda x, y: sd_circle(x, y, COIN_X, COIN_Y, COIN_R), (0xF4, 0xC2, 0x30), (0x8A, 0x5A, 0x08), 0.045),
        (rouble, (0x6A, 0x40, 0x05), None, 0.0),
    )


def sample(x, y, layer_list, outline_scale):
    """Colour (r, g, b, a) of one point, layers composited back to front (premultiplied)."""
    r = g = b = a = 0.0
    for fn, fill, outline, width in layer_list:
        d = fn(x, y)
        w = width * outline_scale
        if d < 0 and (outline is None or d < -w):
            colour = fill
        elif outline is not None and d < 0:
            colour = outline
        else:
            continue
        # Opaque source over the destination.
        r, g, b, a = colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0, 1.0
    return r, g, b, a


def render(size):
    layer_list = layers()
    # Outlines stay at least about one pixel wide at small sizes.
    outline_scale = max(1.0, (1.0 / size) / 0.035)
    pixels = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    r, g, b, a = sample(x, y, layer_list, outline_scale)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            count = n * n
            alpha = acc[3] / count
            if alpha > 0:
                rgb = [min(255, round(c / acc[3] * 255)) for c in acc[:3]]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(alpha * 255)))
        pixels.append(row)
    return pixels


def dib(size, pixels):
    """An icon image as a DIB: header (double height), BGRA rows bottom-up, the AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def ico(images):
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs.append(data)
    for data in blobs:
        out += data
    return bytes(out)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), 'velkaro.ico')
    images = [(size, dib(size, render(size))) for size in SIZES]
    with open(target, 'wb') as f:
        f.write(ico(images))


if __name__ == '__main__':
    main()
