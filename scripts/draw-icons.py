#!/usr/bin/env python3
"""Draws the console's icons and toolbar strip from simple vector shapes.

Writes, below console/res/:
  icons/quillon.ico           program icon (48, 32 and 16 pixels)
  icons/nav_*.ico             navigation bar icons (32 and 16 pixels)
  toolbar.bmp                 toolbar strip: apply, load, save, about (16 x 15 each)

Plain Python, no imaging library. Every icon image is stored twice per size: 32-bit
with alpha and 8-bit with a palette, both with an exact AND mask, so image lists of
any colour depth (the console's are 16-bit colour with mask) draw them with a clean
transparent background. Shapes are rendered supersampled, then given a dark outline
one pixel wide that makes every pixel either fully opaque or fully transparent.

Usage: scripts/draw-icons.py [--out RES_DIR] [--png DIR]   (--png also writes a preview sheet)
"""

import argparse
import math
import os
import struct
import sys
import zlib

SS = 8  # supersampling factor per axis

OUTLINE = (40, 44, 52)
WHITE = (255, 255, 255)
BLUE = (44, 110, 200)
LIGHT_BLUE = (130, 185, 240)
DARK_BLUE = (22, 60, 130)
GREEN = (46, 150, 60)
LIGHT_GREEN = (120, 200, 110)
YELLOW = (250, 205, 60)
ORANGE = (235, 140, 40)
RED = (200, 45, 40)
GREY = (150, 155, 165)
LIGHT_GREY = (215, 218, 224)
DARK_GREY = (80, 84, 92)
BROWN = (150, 100, 50)
GOLD = (220, 170, 40)
SKIN = (240, 200, 160)
TEAL = (30, 150, 150)

# 3 x 5 pixel font for the few letters the pictograms carry.
FONT = {
    "I": ["111", "010", "010", "010", "111"],
    "P": ["110", "101", "110", "100", "100"],
    "M": ["101", "111", "111", "101", "101"],
    "A": ["010", "101", "111", "101", "101"],
    "C": ["011", "100", "100", "100", "011"],
    "V": ["101", "101", "101", "010", "010"],
    "2": ["110", "001", "010", "100", "111"],
    "!": ["010", "010", "010", "000", "010"],
    "?": ["110", "001", "010", "000", "010"],
    "i": ["010", "000", "010", "010", "010"],
}


class Canvas:
    """A supersampled RGBA canvas whose drawing coordinates run 0..32 on each axis
    whatever the pixel size, so one design serves every icon size."""

    def __init__(self, width, height, units_w=32.0, units_h=32.0):
        self.w = width
        self.h = height
        self.sw = width * SS
        self.sh = height * SS
        self.kx = self.sw / units_w
        self.ky = self.sh / units_h
        # One colour index per subpixel; 0 is transparent.
        self.pix = bytearray(self.sw * self.sh)
        self.colours = [None]
        # Pixel overlays drawn after the outline pass (text, single pixels).
        self.overlay = {}

    def _colour(self, rgb):
        if rgb not in self.colours:
            self.colours.append(rgb)
        return self.colours.index(rgb)

    def polygon(self, pts, rgb):
        """Fills a polygon (even-odd rule) given in design units."""
        c = self._colour(rgb)
        sp = [(x * self.kx, y * self.ky) for x, y in pts]
        ys = [p[1] for p in sp]
        y0 = max(0, int(math.floor(min(ys))))
        y1 = min(self.sh - 1, int(math.ceil(max(ys))))
        n = len(sp)
        for sy in range(y0, y1 + 1):
            yc = sy + 0.5
            xs = []
            for i in range(n):
                ax, ay = sp[i]
                bx, by = sp[(i + 1) % n]
                if (ay <= yc < by) or (by <= yc < ay):
                    xs.append(ax + (yc - ay) * (bx - ax) / (by - ay))
            xs.sort()
            row = sy * self.sw
            for k in range(0, len(xs) - 1, 2):
                xa = max(0, int(math.ceil(xs[k] - 0.5)))
                xb = min(self.sw - 1, int(math.floor(xs[k + 1] - 0.5)))
                if xb >= xa:
                    self.pix[row + xa : row + xb + 1] = bytes([c]) * (xb - xa + 1)

    def rect(self, x0, y0, x1, y1, rgb):
        self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], rgb)

    def ellipse(self, cx, cy, rx, ry, rgb, a0=0.0, a1=360.0, steps=72):
        pts = []
        if a1 - a0 < 360:
            pts.append((cx, cy))
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
        self.polygon(pts, rgb)

    def circle(self, cx, cy, r, rgb):
        self.ellipse(cx, cy, r, r, rgb)

    def round_rect(self, x0, y0, x1, y1, r, rgb):
        pts = []
        for cx, cy, start in ((x1 - r, y0 + r, 270), (x1 - r, y1 - r, 0),
                              (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
            for i in range(10):
                a = math.radians(start + 90 * i / 9)
                pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        self.polygon(pts, rgb)

    def line(self, x0, y0, x1, y1, width, rgb, caps=True):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], rgb)
        if caps:
            self.circle(x0, y0, width / 2, rgb)
            self.circle(x1, y1, width / 2, rgb)

    def text(self, px, py, s, rgb, scale=1):
        """Puts pixel-font text at pixel position (px, py) after outlining."""
        x = px
        for ch in s:
            glyph = FONT[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == "1":
                        for oy in range(scale):
                            for ox in range(scale):
                                self.overlay[(x + gx * scale + ox, py + gy * scale + oy)] = rgb
            x += 4 * scale

    def dot(self, px, py, rgb):
        self.overlay[(px, py)] = rgb

    def resolve(self, outline=True, background=None):
        """Averages the subpixels into an RGBA image (rows of (r, g, b, a)).

        With outline, every pixel next to the shapes' silhouette (8-neighbourhood)
        becomes the outline colour and partly covered pixels are blended onto it,
        so the result has no partial transparency. With a background colour, partly
        covered pixels are blended onto it instead and nothing stays transparent."""
        cover = [[0.0] * self.w for _ in range(self.h)]
        rgb = [[(0, 0, 0)] * self.w for _ in range(self.h)]
        for y in range(self.h):
            for x in range(self.w):
                n = 0
                r = g = b = 0
                for sy in range(y * SS, y * SS + SS):
                    row = sy * self.sw
                    for c in self.pix[row + x * SS : row + x * SS + SS]:
                        if c:
                            n += 1
                            cr, cg, cb = self.colours[c]
                            r += cr
                            g += cg
                            b += cb
                if n:
                    rgb[y][x] = (r / n, g / n, b / n)
                cover[y][x] = n / (SS * SS)
        out = [[(0, 0, 0, 0)] * self.w for _ in range(self.h)]
        for y in range(self.h):
            for x in range(self.w):
                a = cover[y][x]
                under = None
                if background is not None:
                    under = background
                elif outline:
                    near = any(
                        cover[y + dy][x + dx] >= 0.5
                        for dy in (-1, 0, 1)
                        for dx in (-1, 0, 1)
                        if 0 <= y + dy < self.h and 0 <= x + dx < self.w
                    )
                    if near:
                        under = OUTLINE
                if under is None:
                    if a >= 0.5:
                        out[y][x] = tuple(int(round(v)) for v in rgb[y][x]) + (255,)
                    continue
                mix = tuple(int(round(rgb[y][x][i] * a + under[i] * (1 - a))) for i in range(3))
                out[y][x] = mix + (255,)
        for (x, y), c in self.overlay.items():
            if 0 <= x < self.w and 0 <= y < self.h:
                out[y][x] = tuple(c) + (255,)
        return out


# ---------------------------------------------------------------- pictograms
# Each takes a canvas (design units 0..32) and the pixel size, which lets the
# smallest size drop details that would only blur.


def draw_quillon(c, size):
    # A shield with a gate: two posts, an arch and bars.
    shield = [(5, 4), (16, 1.5), (27, 4), (27, 14), (24, 22), (16, 29.5), (8, 22), (5, 14)]
    c.polygon(shield, BLUE)
    inner = [(8, 6), (16, 4), (24, 6), (24, 14), (21.5, 20.5), (16, 26.5), (10.5, 20.5), (8, 14)]
    c.polygon(inner, DARK_BLUE)
    # gate
    c.rect(10, 11, 12.5, 24, GOLD)
    c.rect(19.5, 11, 22, 24, GOLD)
    c.ellipse(16, 12, 6, 4.5, GOLD, 180, 360)
    c.ellipse(16, 12.5, 3.6, 2.6, DARK_BLUE, 180, 360)
    if size >= 32:
        for x in (14, 16, 18):
            c.rect(x - 0.6, 12, x + 0.6, 23.5, LIGHT_GREY)
        c.rect(12.5, 17, 19.5, 18.2, LIGHT_GREY)
    else:
        c.rect(14.5, 12, 17.5, 24, LIGHT_GREY)


def draw_ip_address(c, size):
    # A globe with an "IP" tag.
    c.circle(14, 14, 12, BLUE)
    c.ellipse(14, 14, 5, 11.5, LIGHT_BLUE)
    c.ellipse(14, 14, 2.6, 11.5, BLUE)
    c.rect(2.5, 13, 25.5, 15, LIGHT_BLUE)
    if size >= 32:
        c.rect(4, 7.5, 24, 8.8, LIGHT_BLUE)
        c.rect(4, 19.2, 24, 20.5, LIGHT_BLUE)
    c.round_rect(15, 19, 31, 31, 2, WHITE)
    if size >= 32:
        c.text(17, 20, "IP", RED, 2)
    else:
        c.text(8, 10, "IP", RED, 1)


def draw_computer_name(c, size):
    # A monitor on a stand with a name label in front.
    c.rect(3, 3, 29, 21, LIGHT_GREY)
    c.rect(5, 5, 27, 19, BLUE)
    c.rect(13, 21, 19, 25, GREY)
    c.rect(8, 25, 24, 27.5, GREY)
    c.round_rect(12, 14, 31, 30, 2, YELLOW)
    if size >= 32:
        c.rect(15, 18, 28, 19.5, DARK_GREY)
        c.rect(15, 22, 26, 23.5, DARK_GREY)
        c.rect(15, 26, 24, 27.5, DARK_GREY)
    else:
        c.rect(15, 19, 28, 21, DARK_GREY)
        c.rect(15, 24, 26, 26, DARK_GREY)


def draw_mac_address(c, size):
    # A network adapter card: board, chip, gold edge contacts and a port.
    c.rect(2, 7, 30, 22, GREEN)
    c.rect(4, 22, 26, 26, GREEN)
    step = 3 if size >= 32 else 4
    x = 5
    while x + 1.5 <= 25.5:
        c.rect(x, 22.5, x + 1.6, 26, GOLD)
        x += step
    c.rect(6, 10, 15, 18, DARK_GREY)
    c.rect(24, 9, 30, 16, LIGHT_GREY)
    if size >= 32:
        c.rect(25.5, 11, 28.5, 14, DARK_GREY)
        c.rect(17, 10, 21, 12, LIGHT_GREEN)
        c.rect(17, 15, 21, 17, LIGHT_GREEN)
        c.text(6, 13, "MAC", WHITE, 1)


def draw_client_version(c, size):
    # An application window with a numbered build tag.
    c.rect(2, 3, 28, 24, WHITE)
    c.rect(2, 3, 28, 8, BLUE)
    c.rect(4, 11, 20, 12.5, GREY)
    c.rect(4, 15, 16, 16.5, GREY)
    if size >= 32:
        c.rect(4, 19, 18, 20.5, GREY)
    c.round_rect(16, 17, 31, 31, 2, ORANGE)
    if size >= 32:
        c.text(20, 19, "V", WHITE, 2)
    else:
        c.text(10, 10, "V", WHITE, 1)


def draw_time(c, size):
    # A clock face with hands at ten past two.
    c.circle(16, 16, 14, LIGHT_BLUE)
    c.circle(16, 16, 11.5, WHITE)
    w = 1.6 if size >= 32 else 2.4
    if size >= 32:
        for i in range(12):
            a = math.radians(i * 30)
            r0 = 9.5 if i % 3 else 8.5
            c.line(16 + r0 * math.cos(a), 16 + r0 * math.sin(a),
                   16 + 10.8 * math.cos(a), 16 + 10.8 * math.sin(a), 1.0, DARK_GREY, caps=False)
    c.line(16, 16, 16, 7, w, OUTLINE)
    c.line(16, 16, 22, 19, w, OUTLINE)
    c.circle(16, 16, 1.6 if size >= 32 else 2.0, RED)


def _session_windows(c, size):
    # Three cascaded session windows.
    for i, (x, y) in enumerate(((2, 2), (6, 6), (10, 10))):
        c.rect(x, y, x + 18, y + 13, WHITE)
        c.rect(x, y, x + 18, y + 3.5, BLUE if i == 2 else LIGHT_BLUE)
        if size >= 32 and i < 2:
            c.rect(x, y + 13, x + 18, y + 13.8, OUTLINE)
            c.rect(x + 18, y, x + 18.8, y + 13.8, OUTLINE)


def draw_session_ip(c, size):
    _session_windows(c, size)
    c.circle(24, 24, 7.5, BLUE)
    c.ellipse(24, 24, 3, 7.2, LIGHT_BLUE)
    c.ellipse(24, 24, 1.4, 7.2, BLUE)
    c.rect(16.8, 23, 31.2, 25, LIGHT_BLUE)


def draw_session_user(c, size):
    _session_windows(c, size)
    c.ellipse(24, 30, 8, 8, GREEN, 180, 360)
    c.circle(24, 18.5, 4.5, SKIN)


def draw_servers(c, size):
    # Two server towers with drive bays and lights.
    for x in (3, 17):
        c.rect(x, 3, x + 12, 29, LIGHT_GREY)
        c.rect(x + 2, 6, x + 10, 8.5, DARK_GREY)
        c.rect(x + 2, 11, x + 10, 13.5, DARK_GREY)
        if size >= 32:
            c.rect(x + 2, 16, x + 10, 17, GREY)
            c.rect(x + 2, 19, x + 10, 20, GREY)
        c.circle(x + 4, 25, 1.6, GREEN)
        c.circle(x + 8.5, 25, 1.6, ORANGE)


def draw_popup(c, size):
    # A message box with a warning sign.
    c.rect(1, 4, 31, 27, LIGHT_GREY)
    c.rect(1, 4, 31, 9, BLUE)
    c.rect(26, 5.5, 29.5, 8, RED)
    c.polygon([(11, 11), (19, 25), (3, 25)], YELLOW)
    c.rect(21, 14, 29, 15.5, DARK_GREY)
    c.rect(21, 18, 27, 19.5, DARK_GREY)
    if size >= 32:
        c.round_rect(21, 22, 29, 25.5, 0.8, WHITE)
        c.rect(10, 15, 12, 20.5, OUTLINE)
        c.rect(10, 22, 12, 24, OUTLINE)
    else:
        for y in (8, 9, 11):
            c.dot(5, y, OUTLINE)


def draw_logs(c, size):
    # A written page with a folded corner and a pencil.
    c.polygon([(5, 2), (20, 2), (26, 8), (26, 30), (5, 30)], WHITE)
    c.polygon([(20, 2), (20, 8), (26, 8)], LIGHT_GREY)
    rows = (10, 14, 18, 22, 26) if size >= 32 else (11, 17, 23)
    for i, y in enumerate(rows):
        c.rect(8, y, 23 - (i % 2) * 4, y + (1.3 if size >= 32 else 2), GREY)
    c.line(29, 12, 17, 26, 4.2, YELLOW, caps=False)
    c.polygon([(17 - 1.6, 26 - 1.4), (17 + 1.6, 26 + 1.4), (14.5, 29)], SKIN)
    c.line(29, 12, 27.8, 13.4, 4.2, RED, caps=False)


def draw_spare(c, size):
    # A gear.
    teeth = 8
    pts = []
    for i in range(teeth * 4):
        a = math.radians(i * 360 / (teeth * 4) - 360 / (teeth * 8))
        r = 14 if (i % 4) in (1, 2) else 10.5
        pts.append((16 + r * math.cos(a), 16 + r * math.sin(a)))
    c.polygon(pts, GREY)
    c.circle(16, 16, 4.5, LIGHT_GREY)
    c.circle(16, 16, 2.3 if size >= 32 else 1.6, OUTLINE)


# ---------------------------------------------------------------- toolbar


def tb_apply(c):
    c.line(3, 16, 9, 24, 4.2, GREEN)
    c.line(9, 24, 27, 6, 4.2, GREEN)


def tb_load(c):
    c.polygon([(2, 8), (11, 8), (13, 11), (26, 11), (26, 27), (2, 27)], GOLD)
    c.polygon([(7, 15), (31, 15), (26, 27), (2, 27)], YELLOW)


def tb_save(c):
    c.rect(3, 3, 29, 29, DARK_BLUE)
    c.rect(8, 3, 24, 12, WHITE)
    c.rect(18, 5, 21, 10, DARK_BLUE)
    c.rect(7, 17, 25, 29, LIGHT_GREY)


def tb_about(c):
    c.circle(16, 16, 13, BLUE)


TOOLBAR = [tb_apply, tb_load, tb_save, tb_about]


# ---------------------------------------------------------------- writers


def ico_entry_32(img):
    size = len(img)
    w = size
    head = struct.pack("<IiiHHIIiiII", 40, w, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(w):
            r, g, b, a = img[y][x]
            xor += bytes((b, g, r, a))
    return head + bytes(xor) + and_mask(img)


def and_mask(img):
    size = len(img)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if img[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return bytes(mask)


def palette_of(img, limit=256):
    """An exact palette when the image has few enough colours, else a 6x7x6 cube."""
    colours = []
    seen = set()
    for row in img:
        for r, g, b, a in row:
            if a and (r, g, b) not in seen:
                seen.add((r, g, b))
                colours.append((r, g, b))
    colours = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    if len(colours) <= limit:
        return colours
    cube = [(0, 0, 0)]
    for r in range(6):
        for g in range(7):
            for b in range(6):
                cube.append((r * 51, g * 255 // 6, b * 51))
    return cube[:limit]


def nearest(pal, rgb, cache):
    if rgb not in cache:
        best = min(range(len(pal)),
                   key=lambda i: sum((pal[i][k] - rgb[k]) ** 2 for k in range(3)))
        cache[rgb] = best
    return cache[rgb]


def ico_entry_8(img):
    size = len(img)
    pal = palette_of(img)
    head = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    table = bytearray()
    for i in range(256):
        r, g, b = pal[i] if i < len(pal) else (0, 0, 0)
        table += bytes((b, g, r, 0))
    stride = ((size + 3) // 4) * 4
    cache = {}
    data = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = img[y][x]
            row[x] = nearest(pal, (r, g, b), cache) if a else 0
        data += row
    return head + bytes(table) + bytes(data) + and_mask(img)


def write_ico(path, images):
    """images: list of square RGBA images; each is stored as 8-bit and 32-bit."""
    entries = []
    for img in images:
        entries.append((len(img), 8, ico_entry_8(img)))
        entries.append((len(img), 32, ico_entry_32(img)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, bpp, data in entries:
        dim = 0 if size >= 256 else size
        colours = 0
        out += struct.pack("<BBBBHHII", dim, dim, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_bmp24(path, img):
    h = len(img)
    w = len(img[0])
    stride = ((w * 3 + 3) // 4) * 4
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = img[y][x][:3]
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_png(path, img, zoom=1, background=(255, 0, 255)):
    h = len(img) * zoom
    w = len(img[0]) * zoom
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            r, g, b, a = img[y // zoom][x // zoom]
            raw += bytes((r, g, b) if a else background)

    def chunk(kind, body):
        crc = zlib.crc32(kind + body) & 0xFFFFFFFF
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


ICONS = [
    ("quillon", draw_quillon, (48, 32, 16)),
    ("nav_ip_address", draw_ip_address, (32, 16)),
    ("nav_computer_name", draw_computer_name, (32, 16)),
    ("nav_mac_address", draw_mac_address, (32, 16)),
    ("nav_client_version", draw_client_version, (32, 16)),
    ("nav_time", draw_time, (32, 16)),
    ("nav_session_ip", draw_session_ip, (32, 16)),
    ("nav_session_user", draw_session_user, (32, 16)),
    ("nav_servers", draw_servers, (32, 16)),
    ("nav_popup", draw_popup, (32, 16)),
    ("nav_logs", draw_logs, (32, 16)),
    ("nav_spare", draw_spare, (32, 16)),
]


def render_icon(draw, size):
    c = Canvas(size, size)
    draw(c, size)
    return c.resolve(outline=True)


def render_toolbar():
    strip = [[None] * 64 for _ in range(15)]
    for i, draw in enumerate(TOOLBAR):
        c = Canvas(16, 15, 32.0, 30.0)
        draw(c)
        if draw is tb_about:
            c.text(6, 5, "?", WHITE, 1)
            c.overlay[(7, 5)] = WHITE
            c.overlay[(6, 6)] = WHITE
        img = c.resolve(outline=False, background=(192, 192, 192))
        for y in range(15):
            for x in range(16):
                strip[y][i * 16 + x] = img[y][x]
    return strip


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description="Draws the console's icons and toolbar strip.")
    parser.add_argument("--out", default=os.path.join(root, "console", "res"),
                        help="resource folder to write (default: console/res)")
    parser.add_argument("--png", metavar="DIR", help="also write a preview sheet, icons.png")
    args = parser.parse_args()
    res = args.out
    png_dir = args.png
    if png_dir:
        os.makedirs(png_dir, exist_ok=True)
    os.makedirs(os.path.join(res, "icons"), exist_ok=True)
    previews = []
    for name, draw, sizes in ICONS:
        images = [render_icon(draw, s) for s in sizes]
        write_ico(os.path.join(res, "icons", name + ".ico"), images)
        previews.append((name, images))
    strip = render_toolbar()
    write_bmp24(os.path.join(res, "toolbar.bmp"), strip)
    if png_dir:
        # One sheet: every icon at 32 and 16 pixels, zoomed 4x, on magenta.
        cell = 34 * 4
        sheet = [[(255, 0, 255, 0)] * (cell * 2 + 64 * 4) for _ in range(cell * len(previews))]
        for row, (name, images) in enumerate(previews):
            for col, img in enumerate(i for i in images if len(i) <= 32):
                for y in range(len(img) * 4):
                    for x in range(len(img) * 4):
                        sheet[row * cell + y][col * cell + x] = img[y // 4][x // 4]
        for y in range(15 * 4):
            for x in range(64 * 4):
                sheet[y][cell * 2 + x] = strip[y // 4][x // 4][:3] + (255,)
        write_png(os.path.join(png_dir, "icons.png"), sheet)
    return 0


if __name__ == "__main__":
    sys.exit(main())
