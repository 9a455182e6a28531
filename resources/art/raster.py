"""Small anti-aliased rasteriser for the skin: signed-distance shapes, an exact-coverage pixel
font, and BMP / ICO / PNG writers. Standard library only, so the art rebuilds anywhere."""
import math
import struct
import zlib

Color = tuple


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Image:
    """RGB image. Pixels equal to `key` are the transparent colour of a strip: shapes drawn over
    them are thresholded (no blending), so no half-key fringe ever survives the mask."""

    def __init__(self, w, h, fill, key=None):
        self.w, self.h = w, h
        self.key = key
        self.px = [tuple(fill)] * (w * h)

    def get(self, x, y):
        return self.px[y * self.w + x]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = tuple(c)

    def put(self, x, y, c, cov):
        if cov <= 0.0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        i = y * self.w + x
        old = self.px[i]
        if self.key is not None and old == self.key:
            if cov >= 0.5:
                self.px[i] = tuple(c)
            return
        self.px[i] = tuple(c) if cov >= 1.0 else lerp(old, c, cov)

    def blit(self, src, ox, oy):
        for y in range(src.h):
            for x in range(src.w):
                c = src.get(x, y)
                if src.key is not None and c == src.key:
                    continue
                self.set(ox + x, oy + y, c)


# --- signed distance functions (negative inside) -------------------------------------------

def sd_round_box(px, py, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r


def sd_circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def sd_capsule(px, py, ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    l2 = dx * dx + dy * dy
    t = 0.0 if l2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / l2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - r


def sd_polygon(px, py, pts):
    """Convex polygon, points in either winding."""
    n = len(pts)
    area = sum(pts[i][0] * pts[(i + 1) % n][1] - pts[(i + 1) % n][0] * pts[i][1] for i in range(n))
    sign = 1 if area > 0 else -1
    d = -1e9
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        ex, ey = x1 - x0, y1 - y0
        ln = math.hypot(ex, ey) or 1
        # outward normal
        nx, ny = ey / ln * sign, -ex / ln * sign
        d = max(d, (px - x0) * nx + (py - y0) * ny)
    return d


def sd_ring(px, py, cx, cy, r, half_width, a0=None, a1=None):
    if a0 is not None:
        a = math.atan2(py - cy, px - cx)
        if not (a0 <= a <= a1):
            return 9.0
    return abs(math.hypot(px - cx, py - cy) - r) - half_width


def fill_sdf(img, sdf, color, bbox=None, shade=None):
    """Fills where sdf < 0 with one-pixel anti-aliasing. `color` may be a function (x, y) -> rgb."""
    x0, y0, x1, y1 = bbox if bbox else (0, 0, img.w, img.h)
    x0, y0 = max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1)
    x1, y1 = min(img.w, int(math.ceil(x1)) + 1), min(img.h, int(math.ceil(y1)) + 1)
    for y in range(y0, y1):
        for x in range(x0, x1):
            d = sdf(x + 0.5, y + 0.5)
            cov = max(0.0, min(1.0, 0.5 - d))
            if cov > 0:
                c = color(x, y) if callable(color) else color
                img.put(x, y, c, cov)


def vgrad(top, bottom, y0, y1):
    return lambda x, y: lerp(top, bottom, max(0.0, min(1.0, (y - y0) / max(1, y1 - y0))))


def round_box(img, x0, y0, x1, y1, r, color):
    fill_sdf(img, lambda px, py: sd_round_box(px, py, x0, y0, x1, y1, r), color, (x0, y0, x1, y1))


def circle(img, cx, cy, r, color):
    fill_sdf(img, lambda px, py: sd_circle(px, py, cx, cy, r), color, (cx - r, cy - r, cx + r, cy + r))


def line(img, ax, ay, bx, by, width, color):
    r = width / 2
    fill_sdf(img, lambda px, py: sd_capsule(px, py, ax, ay, bx, by, r), color,
             (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def polygon(img, pts, color):
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    fill_sdf(img, lambda px, py: sd_polygon(px, py, pts), color, (min(xs), min(ys), max(xs), max(ys)))


# --- 5 x 7 pixel font, drawn at any scale with exact area coverage ---------------------------

FONT = {
    'A': "01110 10001 10001 11111 10001 10001 10001", 'B': "11110 10001 10001 11110 10001 10001 11110",
    'C': "01110 10001 10000 10000 10000 10001 01110", 'D': "11110 10001 10001 10001 10001 10001 11110",
    'E': "11111 10000 10000 11110 10000 10000 11111", 'F': "11111 10000 10000 11110 10000 10000 10000",
    'G': "01110 10001 10000 10111 10001 10001 01111", 'H': "10001 10001 10001 11111 10001 10001 10001",
    'I': "01110 00100 00100 00100 00100 00100 01110", 'J': "00111 00010 00010 00010 00010 10010 01100",
    'K': "10001 10010 10100 11000 10100 10010 10001", 'L': "10000 10000 10000 10000 10000 10000 11111",
    'M': "10001 11011 10101 10101 10001 10001 10001", 'N': "10001 10001 11001 10101 10011 10001 10001",
    'O': "01110 10001 10001 10001 10001 10001 01110", 'P': "11110 10001 10001 11110 10000 10000 10000",
    'Q': "01110 10001 10001 10001 10101 10010 01101", 'R': "11110 10001 10001 11110 10100 10010 10001",
    'S': "01111 10000 10000 01110 00001 00001 11110", 'T': "11111 00100 00100 00100 00100 00100 00100",
    'U': "10001 10001 10001 10001 10001 10001 01110", 'V': "10001 10001 10001 10001 10001 01010 00100",
    'W': "10001 10001 10001 10101 10101 10101 01010", 'X': "10001 10001 01010 00100 01010 10001 10001",
    'Y': "10001 10001 01010 00100 00100 00100 00100", 'Z': "11111 00001 00010 00100 01000 10000 11111",
    '0': "01110 10001 10011 10101 11001 10001 01110", '1': "00100 01100 00100 00100 00100 00100 01110",
    '2': "01110 10001 00001 00010 00100 01000 11111", '3': "11111 00010 00100 00010 00001 10001 01110",
    '4': "00010 00110 01010 10010 11111 00010 00010", '5': "11111 10000 11110 00001 00001 10001 01110",
    '6': "00110 01000 10000 11110 10001 10001 01110", '7': "11111 00001 00010 00100 01000 01000 01000",
    '8': "01110 10001 10001 01110 10001 10001 01110", '9': "01110 10001 10001 01111 00001 00010 01100",
    'z': "00000 00000 11111 00010 00100 01000 11111", '-': "00000 00000 00000 11111 00000 00000 00000",
    '/': "00001 00001 00010 00100 01000 10000 10000", '.': "00000 00000 00000 00000 00000 01100 01100",
    ':': "00000 01100 01100 00000 01100 01100 00000", ' ': "00000 00000 00000 00000 00000 00000 00000",
    '+': "00000 00100 00100 11111 00100 00100 00000",
}


def text_width(s, scale, spacing=1.0):
    return (len(s) * (5 + spacing) - spacing) * scale if s else 0


def _rect_cov(px, py, rx0, ry0, rx1, ry1):
    w = min(px + 1, rx1) - max(px, rx0)
    h = min(py + 1, ry1) - max(py, ry0)
    return w * h if w > 0 and h > 0 else 0.0


def text(img, s, x, y, scale, color, spacing=1.0, bold=0.0):
    """Draws `s` with its top-left at (x, y); `bold` widens each stroke to the right (pixels)."""
    rects = []
    cx = x
    # At whole-number scales every letter starts on a whole pixel and letters keep at least one
    # pixel apart: half-covered columns would smear small labels into each other.
    crisp = scale == int(scale)
    if crisp:
        y = round(y)
        spacing = max(spacing, 1.0 / scale)
    for ch in s:
        rows = FONT[ch].split()
        gx = round(cx) if crisp else cx
        for j, row in enumerate(rows):
            for i, bit in enumerate(row):
                if bit == '1':
                    rects.append((gx + i * scale, y + j * scale, gx + (i + 1) * scale + bold, y + (j + 1) * scale))
        cx += (5 + spacing) * scale
    cov = {}
    for rx0, ry0, rx1, ry1 in rects:
        for py in range(int(math.floor(ry0)), int(math.ceil(ry1))):
            for px in range(int(math.floor(rx0)), int(math.ceil(rx1))):
                c = _rect_cov(px, py, rx0, ry0, rx1, ry1)
                if c > 0:
                    cov[(px, py)] = min(1.0, cov.get((px, py), 0.0) + c)
    for (px, py), c in cov.items():
        img.put(px, py, color(px, py) if callable(color) else color, c)


def text_centered(img, s, cx, cy, scale, color, spacing=1.0, bold=0.0):
    w = text_width(s, scale, spacing) + bold
    text(img, s, cx - w / 2, cy - 7 * scale / 2, scale, color, spacing, bold)


# --- file writers ------------------------------------------------------------------------------

def write_bmp(path, img):
    """24-bit bottom-up BMP, rows padded to four bytes."""
    row = img.w * 3
    pad = (4 - row % 4) % 4
    data = bytearray()
    for y in range(img.h - 1, -1, -1):
        for x in range(img.w):
            r, g, b = img.get(x, y)
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_ico(path, images):
    """`images`: list of (size, rgba list) with rgba rows top-down. 32-bit entries with AND mask."""
    blobs = []
    for size, rgba in images:
        xor = bytearray()
        for y in range(size - 1, -1, -1):
            for x in range(size):
                r, g, b, a = rgba[y * size + x]
                xor += bytes((b, g, r, a))
        mask_row = ((size + 31) // 32) * 4
        andm = bytearray()
        for y in range(size - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(size):
                if rgba[y * size + x][3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            andm += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
        blobs.append((size, info + xor + andm))
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, w, h, rgb_rows):
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rgb_rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def image_to_png(path, img, scale=1):
    rows = []
    for y in range(img.h):
        row = []
        for x in range(img.w):
            row.extend([img.get(x, y)] * scale)
        rows.extend([row] * scale)
    write_png(path, img.w * scale, img.h * scale, rows)
