#!/usr/bin/env python3
"""Draws Snap's artwork and writes the resource files next to Snap.rc.

    python3 src/resources/art/make_artwork.py     (from the repository root)

Outputs, in src/resources/:
    button48.bmp  face of the floating button window (normal size)
    button32.bmp  the same face for the little window
    button_normal_125.bmp, _150, _200   the normal face at 125, 150 and
    button_little_125.bmp, _150, _200   200 % display scaling (60, 72, 96 px),
                  and the little one (40, 48, 64 px)
    Snap.ico      application / tray icon: 16, 32, 48 (32-bit BMP) + 256 (PNG)

Only the standard library is used, so the artwork can be rebuilt on any
machine that has Python 3. Everything is computed with plain float maths and
written with fixed headers (no timestamps), so repeated runs give
byte-identical files.

The symbol is a flat camera: a slate body with a viewfinder hump, a teal lens
and a small teal shutter key. Each size has its own hand-tuned geometry so
that the small icons land on whole pixels instead of being blurry
down-scales of the big one.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.dirname(HERE)

# ---------------------------------------------------------------------------
# Palette (sRGB). The body is a mid slate rather than near-black so that it
# still separates from a dark taskbar; the teal lens carries the identity on
# both light and dark backgrounds.
BODY_TOP = (0x5A, 0x64, 0x6E)
BODY_BOTTOM = (0x3C, 0x44, 0x4B)
BODY_EDGE = (0x2A, 0x30, 0x36)      # thin darker rim: crisp edge on light backgrounds
BODY_SHINE = (0x7C, 0x87, 0x92)     # top-edge highlight: crisp edge on dark backgrounds
TEAL_TOP = (0x3C, 0xD0, 0xDE)
TEAL_BOTTOM = (0x0B, 0x8C, 0xA0)
TEAL_DARK = (0x07, 0x6A, 0x7A)
GLASS_CENTRE = (0x1E, 0x3A, 0x48)
GLASS_EDGE = (0x0C, 0x14, 0x1A)
WHITE = (0xFF, 0xFF, 0xFF)

# Button face: a quiet light gradient in the range of Windows 10/11 control
# surfaces, so the window reads as a normal button rather than a picture.
FACE_TOP = (0xFA, 0xFB, 0xFC)
FACE_BOTTOM = (0xE4, 0xE7, 0xEA)


def lerp(a, b, t):
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---------------------------------------------------------------------------
# Signed distance functions (negative inside), in pixel units.

def sd_circle(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def sd_round_rect(x, y, x0, y0, x1, y1, r):
    hx = (x1 - x0) / 2.0 - r
    hy = (y1 - y0) / 2.0 - r
    qx = abs(x - (x0 + x1) / 2.0) - hx
    qy = abs(y - (y0 + y1) / 2.0) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    inside = min(max(qx, qy), 0.0)
    return outside + inside - r


def sd_ellipse(x, y, cx, cy, rx, ry):
    # Cheap approximation; good enough for a soft highlight.
    k = math.hypot((x - cx) / rx, (y - cy) / ry)
    return (k - 1.0) * min(rx, ry)


# ---------------------------------------------------------------------------
# A layer is a distance field plus a colour (an RGB tuple, or a function
# (x, y) -> RGB for gradients) and an opacity. Layers are painted in order.

class Layer:
    def __init__(self, sdf, colour, opacity=1.0):
        self.sdf = sdf
        self.colour = colour
        self.opacity = opacity


def camera_layers(g):
    """Builds the camera from a geometry dict (pixel coordinates)."""
    bx0, by0, bx1, by1, br = g["body"]
    hx0, hy0, hx1, hy1, hr = g["hump"]
    lcx, lcy = g["lens_c"]
    edge = g["edge"]

    def body_sdf(x, y):
        return min(sd_round_rect(x, y, bx0, by0, bx1, by1, br),
                   sd_round_rect(x, y, hx0, hy0, hx1, hy1, hr))

    def body_inner_sdf(x, y):
        return body_sdf(x, y) + edge

    def body_colour(x, y):
        return lerp(BODY_TOP, BODY_BOTTOM, (y - hy0) / (by1 - hy0))

    def teal_colour(x, y):
        r = g["lens_r"]
        return lerp(TEAL_TOP, TEAL_BOTTOM, (y - (lcy - r)) / (2 * r))

    def glass_colour(x, y):
        r = g["glass_r"]
        d = math.hypot(x - (lcx + r * 0.25), y - (lcy + r * 0.25)) / r
        return lerp(GLASS_CENTRE, GLASS_EDGE, d)

    layers = []
    if "shutter" in g:
        sx0, sy0, sx1, sy1, sr = g["shutter"]
        # Drawn first so the body overlaps its lower half: it sits on top.
        layers.append(Layer(lambda x, y: sd_round_rect(x, y, sx0, sy0, sx1, sy1, sr),
                            TEAL_BOTTOM))
    layers.append(Layer(body_sdf, BODY_EDGE))
    layers.append(Layer(body_inner_sdf, body_colour))
    if g.get("shine"):
        # A one-pixel lighter band along the top of the body, clipped to it.
        def shine_sdf(x, y):
            inner = body_inner_sdf(x, y)
            below = body_inner_sdf(x, y - g["shine"])
            return max(inner, -below)
        layers.append(Layer(shine_sdf, BODY_SHINE, 0.9))
    if "ring_gap" in g:
        # Dark bezel separating the lens from the body.
        layers.append(Layer(lambda x, y: sd_circle(x, y, lcx, lcy, g["lens_r"] + g["ring_gap"]),
                            BODY_EDGE))
    layers.append(Layer(lambda x, y: sd_circle(x, y, lcx, lcy, g["lens_r"]), teal_colour))
    if "ring_line" in g:
        # Fine inner line on the lens barrel, only at large sizes.
        rl, w = g["ring_line"]
        layers.append(Layer(lambda x, y: abs(sd_circle(x, y, lcx, lcy, rl)) - w / 2.0,
                            TEAL_DARK, 0.55))
    layers.append(Layer(lambda x, y: sd_circle(x, y, lcx, lcy, g["glass_r"]), glass_colour))
    if "glint" in g:
        e = g["glint"]
        layers.append(Layer(lambda x, y: sd_ellipse(x, y, e[0], e[1], e[2], e[3]), WHITE, e[4]))
    if "glint2" in g:
        c = g["glint2"]
        layers.append(Layer(lambda x, y: sd_circle(x, y, c[0], c[1], c[2]), WHITE, c[3]))
    if "lamp" in g:
        # Small indicator on the body: hints "flash / ready".
        lx, ly, lr = g["lamp"]
        layers.append(Layer(lambda x, y: sd_circle(x, y, lx, ly, lr), TEAL_TOP))
    return layers


# Geometry per size. Pixel (i, j) covers [i, i+1) x [j, j+1), so edges on
# whole numbers are crisp.
GEOMETRY = {
    16: dict(
        body=(0.0, 4.0, 16.0, 15.0, 2.0),
        hump=(4.0, 1.0, 12.0, 6.0, 1.5),
        lens_c=(8.0, 9.5), lens_r=4.5, glass_r=2.5,
        edge=1.0,
        glint2=(7.0, 8.5, 0.9, 0.75),
    ),
    32: dict(
        body=(1.0, 9.0, 31.0, 29.0, 4.0),
        hump=(9.0, 4.0, 23.0, 11.0, 2.5),
        shutter=(24.0, 6.0, 29.0, 11.0, 1.5),
        lens_c=(16.0, 19.0), lens_r=8.0, glass_r=4.5,
        edge=1.0, shine=1.0,
        glint2=(14.25, 17.25, 1.5, 0.7),
    ),
    48: dict(
        body=(2.0, 13.0, 46.0, 43.0, 6.0),
        hump=(14.0, 6.0, 34.0, 16.0, 3.5),
        shutter=(36.0, 9.0, 43.0, 16.0, 2.0),
        lens_c=(24.0, 28.0), lens_r=11.5, glass_r=6.5, ring_gap=1.0,
        edge=1.0, shine=1.0,
        glint2=(21.5, 25.5, 2.0, 0.7),
        lamp=(8.5, 19.5, 1.5),
    ),
    256: dict(
        body=(12.0, 70.0, 244.0, 228.0, 30.0),
        hump=(76.0, 34.0, 180.0, 86.0, 16.0),
        shutter=(192.0, 50.0, 222.0, 86.0, 7.0),
        lens_c=(128.0, 149.0), lens_r=60.0, glass_r=35.0, ring_gap=5.0,
        ring_line=(47.5, 2.0),
        edge=3.0, shine=4.0,
        glint=(114.0, 135.0, 11.0, 7.0, 0.55),
        glint2=(143.0, 164.0, 4.0, 0.25),
        lamp=(44.0, 102.0, 8.0),
    ),
}


# The button faces keep a margin around the symbol, so they get their own
# (smaller) geometry rather than the icon's.
BUTTON_GEOMETRY = {
    32: dict(
        body=(3.0, 10.0, 29.0, 27.0, 3.5),
        hump=(10.0, 6.0, 22.0, 12.0, 2.0),
        shutter=(23.0, 7.0, 27.0, 12.0, 1.25),
        lens_c=(16.0, 18.5), lens_r=7.0, glass_r=4.0,
        edge=1.0, shine=1.0,
        glint2=(14.5, 17.0, 1.25, 0.7),
    ),
    48: dict(
        body=(5.0, 15.0, 43.0, 40.0, 5.0),
        hump=(15.0, 9.0, 33.0, 17.0, 3.0),
        shutter=(35.0, 11.0, 40.0, 17.0, 1.75),
        lens_c=(24.0, 27.5), lens_r=10.0, glass_r=5.75, ring_gap=1.0,
        edge=1.0, shine=1.0,
        glint2=(21.75, 25.25, 1.75, 0.7),
        lamp=(10.0, 20.5, 1.5),
    ),
}


# Display scaling: the window's client area is the face size times the scale,
# and each scale gets its own face drawn at that size rather than a stretched
# one. The 100 % design is scaled with its rectangles' edges put back on whole
# pixels, so the bigger faces stay as crisp as the hand-tuned ones.
SCALES = (125, 150, 200)


def scale_geometry(g, factor):
    def edge(v):
        return float(round(v * factor))

    out = {}
    for key, value in g.items():
        if key in ("body", "hump", "shutter"):
            x0, y0, x1, y1, r = value
            out[key] = (edge(x0), edge(y0), edge(x1), edge(y1), r * factor)
        elif isinstance(value, tuple):
            # Centres, radii and opacities: the opacity (last of glint2) stays.
            scaled = [v * factor for v in value]
            if key == "glint2":
                scaled[3] = value[3]
            elif key == "ring_line":
                scaled[1] = value[1] * factor
            out[key] = tuple(scaled)
        elif key in ("edge", "shine"):
            # Rims stay whole pixels: one at 125 and 150 %, two at 200 %.
            out[key] = float(max(1, int(value * factor)))
        else:
            out[key] = value * factor
    return out


# ---------------------------------------------------------------------------
# Rasteriser: each pixel is split into n x n sub-samples; each sub-sample
# takes analytic coverage from the distance field, which gives smooth edges
# without needing a large n.

def render(size, layers, n):
    """Returns a list of rows of (r, g, b, a) floats, straight alpha, 0..1."""
    step = 1.0 / n
    offs = [(i + 0.5) * step for i in range(n)]
    inv = 1.0 / (n * n)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc_r = acc_g = acc_b = acc_a = 0.0
            for oy in offs:
                y = py + oy
                for ox in offs:
                    x = px + ox
                    # Premultiplied "over" compositing, back to front.
                    r = g = b = a = 0.0
                    for L in layers:
                        d = L.sdf(x, y)
                        cov = 0.5 - d * n
                        if cov <= 0.0:
                            continue
                        if cov > 1.0:
                            cov = 1.0
                        c = L.colour(x, y) if callable(L.colour) else L.colour
                        al = cov * L.opacity
                        k = 1.0 - al
                        r = c[0] / 255.0 * al + r * k
                        g = c[1] / 255.0 * al + g * k
                        b = c[2] / 255.0 * al + b * k
                        a = al + a * k
                    acc_r += r
                    acc_g += g
                    acc_b += b
                    acc_a += a
            a = acc_a * inv
            if a > 0.0:
                row.append((acc_r * inv / a, acc_g * inv / a, acc_b * inv / a, a))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


def to8(v):
    v = int(v * 255.0 + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


def flatten(rows, background):
    """Composites an RGBA image over background(x, y) -> RGB (0..255)."""
    out = []
    for y, row in enumerate(rows):
        o = []
        for x, (r, g, b, a) in enumerate(row):
            bg = background(x, y)
            o.append(tuple(to8(c * a + bg[i] / 255.0 * (1.0 - a))
                           for i, c in enumerate((r, g, b))))
        out.append(o)
    return out


# ---------------------------------------------------------------------------
# File writers.

def bmp24(rows):
    h = len(rows)
    w = len(rows[0])
    stride = (w * 3 + 3) & ~3
    pad = b"\0" * (stride - w * 3)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b in row:
            pixels += bytes((b, g, r))
        pixels += pad
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)  # 72 dpi
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0,
                         14 + len(info))
    return header + info + bytes(pixels)


def icon_dib(rgba):
    """32-bit icon image: BITMAPINFOHEADER (height doubled), BGRA colour
    rows and a 1-bit AND mask, both bottom-up."""
    h = len(rgba)
    w = len(rgba[0])
    xor = bytearray()
    for row in reversed(rgba):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rgba):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:  # transparent for viewers that ignore alpha
                line[x >> 3] |= 0x80 >> (x & 7)
        mask += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def png_rgba(rgba):
    h = len(rgba)
    w = len(rgba[0])
    raw = bytearray()
    for row in rgba:
        raw.append(0)  # filter: none
        for px in row:
            raw += bytes(px)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def ico(images):
    """images: list of (size, bytes). Sizes of 256 are stored as 0."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def quantise(rows):
    out = []
    for row in rows:
        o = []
        for r, g, b, a in row:
            a8 = to8(a)
            o.append((to8(r), to8(g), to8(b), a8) if a8 else (0, 0, 0, 0))
        out.append(o)
    return out


def write(name, data):
    path = os.path.join(OUT_DIR, name)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote", os.path.relpath(path), len(data), "bytes")


def button_face(size, geometry):
    def background(x, y):
        return lerp(FACE_TOP, FACE_BOTTOM, (y + 0.5) / size)
    rows = render(size, camera_layers(geometry), 4)
    return bmp24(flatten(rows, background))


def main():
    icons = []
    for size in (16, 32, 48, 256):
        # Fewer sub-samples at 256: the analytic edge already covers one
        # pixel there, and it keeps the run short.
        rows = render(size, camera_layers(GEOMETRY[size]), 4 if size <= 48 else 2)
        img = quantise(rows)
        icons.append((size, png_rgba(img) if size >= 256 else icon_dib(img)))
    write("Snap.ico", ico(icons))

    write("button48.bmp", button_face(48, BUTTON_GEOMETRY[48]))
    write("button32.bmp", button_face(32, BUTTON_GEOMETRY[32]))
    for kind, base in (("normal", 48), ("little", 32)):
        for scale in SCALES:
            size = base * scale // 100
            write("button_%s_%d.bmp" % (kind, scale),
                  button_face(size, scale_geometry(BUTTON_GEOMETRY[base], scale / 100.0)))


if __name__ == "__main__":
    main()
