#!/usr/bin/env python3
"""Draws the program's banner (banner.bmp, 459 x 108, 24-bit) and icon (rescindo.ico, 32 x 32,
16 colours). Run from any folder: python3 res/make_art.py. Needs ImageMagick for the banner's
lettering; the shapes are drawn here, supersampled for smooth edges.

The emblem is an open padlock on a green rounded square: the program gives files back."""
import math
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

# The progress bar's green, RGB(0, 153, 51), anchors the palette.
GREEN_TOP = (38, 178, 84)
GREEN_BOTTOM = (0, 122, 41)
WHITE = (255, 255, 255)
INK = (31, 41, 51)
GREY = (107, 114, 128)


def rounded_box(px, py, x0, y0, x1, y1, r):
    """Signed distance to a rounded rectangle (negative inside)."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    dx, dy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(dx, 0), max(dy, 0))
    return outside + min(max(dx, dy), 0) - r


def segment(px, py, ax, ay, bx, by):
    """Distance to the segment from a to b."""
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - ax - t * vx, py - ay - t * vy)


def emblem(u, v):
    """Colour and coverage of the emblem at unit coordinates (u, v), or None outside it."""
    if rounded_box(u, v, 0.0, 0.0, 1.0, 1.0, 0.2) > 0:
        return None
    green = tuple(round(a + (b - a) * v) for a, b in zip(GREEN_TOP, GREEN_BOTTOM))
    # Lock body with a keyhole that shows the green through.
    keyhole = min(math.hypot(u - 0.5, v - 0.6) - 0.06, rounded_box(u, v, 0.47, 0.6, 0.53, 0.72, 0.01))
    if rounded_box(u, v, 0.25, 0.46, 0.75, 0.82, 0.06) <= 0 and keyhole > 0:
        return WHITE
    # Open shackle: lifted, its left leg clear of the body, its right leg still inside.
    arch_cx, arch_cy, arch_r, half = 0.5, 0.3, 0.15, 0.05
    if v <= arch_cy:
        d = abs(math.hypot(u - arch_cx, v - arch_cy) - arch_r)
    else:
        d = min(segment(u, v, 0.35, arch_cy, 0.35, 0.37), segment(u, v, 0.65, arch_cy, 0.65, 0.5))
    if d <= half:
        return WHITE
    return green


def render(size, scale=8):
    """size x size pixels of the emblem, as rows of (r, g, b, coverage 0..1)."""
    rows = []
    n = scale * scale
    for y in range(size):
        row = []
        for x in range(size):
            acc, hit = [0, 0, 0], 0
            for sy in range(scale):
                for sx in range(scale):
                    c = emblem((x + (sx + 0.5) / scale) / size, (y + (sy + 0.5) / scale) / size)
                    if c is not None:
                        hit += 1
                        for i in range(3):
                            acc[i] += c[i]
            row.append((acc[0] / hit, acc[1] / hit, acc[2] / hit, hit / n) if hit else (0, 0, 0, 0))
        rows.append(row)
    return rows


def write_banner():
    width, height = 459, 108
    pixels = [[WHITE] * width for _ in range(height)]
    # A thin green rule along the top edge, fading out to the right.
    for x in range(width):
        t = x / (width - 1)
        for y in range(4):
            base = tuple(round(a + (b - a) * t) for a, b in zip(GREEN_BOTTOM, GREEN_TOP))
            fade = max(0.0, 1.0 - t * 0.85)
            pixels[y][x] = tuple(round(c * fade + 255 * (1 - fade)) for c in base)
    # The emblem, 60 x 60, on the white background.
    ex, ey, esize = 20, 18, 60
    for y, row in enumerate(render(esize)):
        for x, (r, g, b, a) in enumerate(row):
            if a > 0:
                pixels[ey + y][ex + x] = tuple(round(c * a + 255 * (1 - a)) for c in (r, g, b))
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "banner.ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (width, height))
            f.write(bytes(c for row in pixels for p in row for c in p))
        # The lower right stays white: the program paints its title there.
        subprocess.run(["convert", ppm,
                        "-font", "DejaVu-Sans-Bold", "-pointsize", "30", "-fill", "#%02x%02x%02x" % INK,
                        "-annotate", "+96+50", "Rescindo",
                        "-font", "DejaVu-Sans", "-pointsize", "12", "-fill", "#%02x%02x%02x" % GREY,
                        "-annotate", "+98+71", "File name recovery",
                        "-alpha", "off", "-type", "TrueColor", "BMP3:" + os.path.join(HERE, "banner.bmp")],
                       check=True)


def write_icon():
    """One 32 x 32 image, 4 bits per pixel: a fixed 16-colour palette of greens, whites and greys,
    each pixel the nearest palette entry; the AND mask makes the corners transparent."""
    palette = [(0, 0, 0), (255, 255, 255), (0, 102, 34), (0, 122, 41), (0, 140, 46), (0, 153, 51),
               (19, 166, 68), (38, 178, 84), (60, 190, 100), (128, 200, 150), (190, 230, 200),
               (225, 243, 230), (64, 150, 90), (100, 170, 120), (160, 215, 175), (240, 250, 243)]
    size = 32
    rows = render(size)

    def nearest(c):
        return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], c)))

    indices, mask = [], []
    for row in rows:
        indices.append([nearest(p[:3]) if p[3] >= 0.5 else 0 for p in row])
        mask.append([0 if p[3] >= 0.5 else 1 for p in row])
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    xor = b""
    for row in reversed(indices):  # bottom-up, two pixels a byte, rows of 16 bytes
        xor += bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
    andm = b""
    for row in reversed(mask):  # one bit a pixel, rows padded to 4 bytes
        bits = 0
        for bit in row:
            bits = (bits << 1) | bit
        andm += bits.to_bytes(4, "big")
    image = header + pal + xor + andm
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4,
                                                           len(image), 6 + 16)
    with open(os.path.join(HERE, "rescindo.ico"), "wb") as f:
        f.write(directory + image)


write_banner()
write_icon()
