#!/usr/bin/env python3
"""Draws every icon of Pathwren, the shipped skins (Graphite, Light, Dark) and a contact sheet.

Standard library only: shapes are signed distance functions, rasterised with
supersampling on the pixels their edge crosses, and the .ico/.png writers are
our own. Run it from anywhere; the output lands beside this script:

    res/icons/*.ico                    program, toolbar and menu icons
    res/icons/contact-sheet.png        every icon at every size (needs ImageMagick)
    res/Skins/<skin>/...               Graphite, Light, Dark: SkinConf.ini, icons/, preview.png
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_DIR = os.path.join(HERE, "icons")
SKINS_DIR = os.path.join(HERE, "Skins")

SUPERSAMPLES = 6  # per axis, on edge pixels only


# ---------------------------------------------------------------- shapes ---
# A shape is a distance function (negative inside) plus a bounding box. Every
# function here is 1-Lipschitz, so a pixel whose centre lies further than half
# a diagonal from the edge is wholly in or out and needs no supersampling.

class Shape:
    __slots__ = ("d", "box")

    def __init__(self, d, box):
        self.d = d
        self.box = box

    def __or__(self, other):
        a, b = self.d, other.d
        return Shape(lambda x, y: min(a(x, y), b(x, y)),
                     (min(self.box[0], other.box[0]), min(self.box[1], other.box[1]),
                      max(self.box[2], other.box[2]), max(self.box[3], other.box[3])))

    def __and__(self, other):
        a, b = self.d, other.d
        return Shape(lambda x, y: max(a(x, y), b(x, y)),
                     (max(self.box[0], other.box[0]), max(self.box[1], other.box[1]),
                      min(self.box[2], other.box[2]), min(self.box[3], other.box[3])))

    def __sub__(self, other):
        a, b = self.d, other.d
        return Shape(lambda x, y: max(a(x, y), -b(x, y)), self.box)

    def grown(self, amount):
        a = self.d
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: a(x, y) - amount, (x0 - amount, y0 - amount, x1 + amount, y1 + amount))

    def outline(self, width):
        """The band of the given width centred on the edge."""
        a = self.d
        h = width / 2
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: abs(a(x, y)) - h, (x0 - h, y0 - h, x1 + h, y1 + h))


def union(*shapes):
    result = shapes[0]
    for shape in shapes[1:]:
        result = result | shape
    return result


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    m = min(rx, ry)
    return Shape(lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1) * m, (cx - rx, cy - ry, cx + rx, cy + ry))


def rbox(x0, y0, x1, y1, r=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return Shape(d, (x0, y0, x1, y1))


def _segment_distance(x, y, ax, ay, bx, by):
    ex, ey = bx - ax, by - ay
    length2 = ex * ex + ey * ey
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * ex + (y - ay) * ey) / length2))
    return math.hypot(x - ax - ex * t, y - ay - ey * t)


def stroke(points, width):
    """A polyline with round caps and joins."""
    h = width / 2
    segments = list(zip(points, points[1:])) or [(points[0], points[0])]

    def d(x, y):
        return min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in segments) - h
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(d, (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h))


def polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def d(x, y):
        distance, inside = float("inf"), False
        for (ax, ay), (bx, by) in edges:
            distance = min(distance, _segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                inside = not inside
        return -distance if inside else distance
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(d, (min(xs), min(ys), max(xs), max(ys)))


def arc(cx, cy, r, start, end, width):
    """A stroked circular arc from angle start to end in degrees, clockwise on screen."""
    a0 = math.radians(start)
    span = math.radians(end - start)
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (a0, a0 + span)]
    h = width / 2

    def d(x, y):
        if (math.atan2(y - cy, x - cx) - a0) % (2 * math.pi) <= span:
            return abs(math.hypot(x - cx, y - cy) - r) - h
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - h
    return Shape(d, (cx - r - h, cy - r - h, cx + r + h, cy + r + h))


def rotated(shape, degrees, cx, cy):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    a = shape.d
    x0, y0, x1, y1 = shape.box
    reach = max(math.hypot(px - cx, py - cy) for px in (x0, x1) for py in (y0, y1))

    def d(x, y):
        dx, dy = x - cx, y - cy
        return a(cx + dx * c + dy * s, cy - dx * s + dy * c)
    return Shape(d, (cx - reach, cy - reach, cx + reach, cy + reach))


def arrow_head(tip, direction, length, half_width):
    """A filled triangle whose point is at tip, pointing along direction."""
    dx, dy = direction
    n = math.hypot(dx, dy)
    dx, dy = dx / n, dy / n
    bx, by = tip[0] - dx * length, tip[1] - dy * length
    return polygon([tip, (bx - dy * half_width, by + dx * half_width), (bx + dy * half_width, by - dx * half_width)])


# ---------------------------------------------------------------- canvas ---

def hex_colour(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


class Canvas:
    """Premultiplied RGBA floats. Shapes are given in design units: a point p
    lands on pixel p * scale + offset."""

    def __init__(self, width, height=None, scale=1.0, offset=(0.0, 0.0)):
        self.width, self.height = width, height or width
        self.scale, self.offset = scale, offset
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.width * self.height)]

    def _coverage(self, shape):
        k, (ox, oy) = self.scale, self.offset
        x0, y0, x1, y1 = shape.box
        i0, i1 = max(0, int(math.floor(x0 * k + ox)) - 1), min(self.width, int(math.ceil(x1 * k + ox)) + 1)
        j0, j1 = max(0, int(math.floor(y0 * k + oy)) - 1), min(self.height, int(math.ceil(y1 * k + oy)) + 1)
        half_diagonal = 0.7072 / k
        steps = [(n + 0.5) / SUPERSAMPLES for n in range(SUPERSAMPLES)]
        total = SUPERSAMPLES * SUPERSAMPLES
        d = shape.d
        for j in range(j0, j1):
            for i in range(i0, i1):
                centre = d((i + 0.5 - ox) / k, (j + 0.5 - oy) / k)
                if centre >= half_diagonal:
                    continue
                if centre <= -half_diagonal:
                    yield j * self.width + i, 1.0
                    continue
                hits = sum(1 for sy in steps for sx in steps if d((i + sx - ox) / k, (j + sy - oy) / k) <= 0)
                if hits:
                    yield j * self.width + i, hits / total

    def fill(self, shape, colour, opacity=1.0):
        r, g, b = hex_colour(colour) if isinstance(colour, str) else colour
        for index, cover in self._coverage(shape):
            a = cover * opacity
            p = self.pixels[index]
            keep = 1.0 - a
            p[0], p[1], p[2], p[3] = r * a + p[0] * keep, g * a + p[1] * keep, b * a + p[2] * keep, a + p[3] * keep

    def clear(self, shape):
        for index, cover in self._coverage(shape):
            p = self.pixels[index]
            keep = 1.0 - cover
            p[0], p[1], p[2], p[3] = p[0] * keep, p[1] * keep, p[2] * keep, p[3] * keep

    def paste(self, layer, x=0, y=0):
        """Composites another canvas over this one with its top-left corner at (x, y)."""
        for j in range(layer.height):
            for i in range(layer.width):
                src = layer.pixels[j * layer.width + i]
                if src[3] <= 0 or not (0 <= x + i < self.width and 0 <= y + j < self.height):
                    continue
                dst = self.pixels[(y + j) * self.width + x + i]
                keep = 1.0 - src[3]
                for c in range(4):
                    dst[c] = src[c] + dst[c] * keep

    def drop_shadow(self, dy, blur, strength):
        """Puts a soft dark copy of the current picture, moved down by dy pixels, underneath it."""
        w, h = self.width, self.height
        alpha = [0.0] * (w * h)
        for j in range(h):
            if 0 <= j - dy < h:
                for i in range(w):
                    alpha[j * w + i] = self.pixels[(j - dy) * w + i][3]
        for _ in range(2):  # two box passes approximate a gaussian
            alpha = _box_blur(alpha, w, h, blur)
        shadow = Canvas(w, h)
        shadow.pixels = [[0.0, 0.0, 0.0, a * strength] for a in alpha]
        shadow.paste(self)
        self.pixels = shadow.pixels

    def harden_silhouette(self):
        """Makes every pixel fully opaque or fully clear. The toolbar sits on a colour
        key: a half-transparent edge would be blended with the key colour and show up
        as a pink fringe, so only the inside of an icon may be anti-aliased."""
        for p in self.pixels:
            if p[3] >= 0.5:
                p[0], p[1], p[2], p[3] = p[0] / p[3], p[1] / p[3], p[2] / p[3], 1.0
            else:
                p[0] = p[1] = p[2] = p[3] = 0.0

    def rgba_rows(self):
        """Rows of straight (not premultiplied) 8-bit RGBA, top row first."""
        rows = []
        for j in range(self.height):
            row = bytearray()
            for p in self.pixels[j * self.width:(j + 1) * self.width]:
                a = p[3]
                if a <= 1e-6:
                    row += b"\0\0\0\0"
                else:
                    row += bytes(min(255, int(round(v * 255))) for v in (p[0] / a, p[1] / a, p[2] / a, a))
            rows.append(bytes(row))
        return rows


def _box_blur(values, w, h, radius):
    if radius <= 0:
        return values
    out = [0.0] * (w * h)
    area = (2 * radius + 1) ** 2
    for j in range(h):
        for i in range(w):
            total = 0.0
            for jj in range(max(0, j - radius), min(h, j + radius + 1)):
                for ii in range(max(0, i - radius), min(w, i + radius + 1)):
                    total += values[jj * w + ii]
            out[j * w + i] = total / area
    return out


# --------------------------------------------------------------- writers ---

def write_ico(path, canvases):
    """32-bit BGRA entries with their AND mask, the form every Windows since XP reads."""
    images = []
    for canvas in sorted(canvases, key=lambda c: c.width):
        w, h = canvas.width, canvas.height
        rows = canvas.rgba_rows()
        colour = bytearray()
        mask = bytearray()
        mask_stride = ((w + 31) // 32) * 4
        for row in reversed(rows):  # DIBs are stored bottom-up
            bits = bytearray(mask_stride)
            for i in range(w):
                r, g, b, a = row[4 * i:4 * i + 4]
                colour += bytes((b, g, r, a))
                if a == 0:
                    bits[i // 8] |= 0x80 >> (i % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
        images.append((w, h, header + colour + mask))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, canvas):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + row for row in canvas.rgba_rows())
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


# ---------------------------------------------------------- toolbar glyphs ---
# Glyphs are drawn in pixels around a centre, in a box of +-radius, so that the
# straight strokes can be put on whole pixels at each size.

class Glyph:
    def __init__(self, cx, cy, radius, width):
        self.cx, self.cy, self.r, self.w = cx, cy, radius, width

    def snap(self, v):
        """Nearest position where a stroke of this width covers whole pixels."""
        half = 0.5 if int(round(self.w)) % 2 else 0.0
        return math.floor(v - half + 0.5) + half

    def p(self, x, y):
        return (self.cx + x * self.r, self.cy + y * self.r)

    def edge(self, x, y):
        """Like p, rounded to pixel boundaries for the edges of filled areas."""
        return (round(self.cx + x * self.r), round(self.cy + y * self.r))


def glyph_home(g):
    p, e = g.p, g.edge
    left, right = e(-0.72, 0)[0], e(0.72, 0)[0]
    eave, floor = e(0, -0.1)[1], e(0, 0.95)[1]
    house = polygon([p(0, -1.02), (g.cx + g.r * 1.02, eave), (right, eave), (right, floor), (left, floor),
                     (left, eave), (g.cx - g.r * 1.02, eave)])
    door_half = max(1.0, round(g.r * 0.22))
    return house - rbox(g.cx - door_half, e(0, 0.32)[1], g.cx + door_half, floor + 1)


def glyph_arrow(g, degrees):
    """An arrow pointing right, turned clockwise by the given angle."""
    y = g.snap(g.cy)
    tip = g.cx + g.r * 0.92
    head = g.r * 0.72
    shape = stroke([(g.cx - g.r * 0.92, y), (tip, y)], g.w) | \
        stroke([(tip - head, y - head), (tip, y), (tip - head, y + head)], g.w)
    return rotated(shape, degrees, g.cx, y) if degrees else shape


def _corner_arrow(start, tip, head, width):
    """An arrow towards the upper right, its head two strokes along the axes."""
    return stroke([start, tip], width) | stroke([(tip[0] - head, tip[1]), tip, (tip[0], tip[1] + head)], width)


def glyph_close(g):
    a = g.r * 0.72
    return stroke([(g.cx - a, g.cy - a), (g.cx + a, g.cy + a)], g.w) | \
        stroke([(g.cx + a, g.cy - a), (g.cx - a, g.cy + a)], g.w)


def _window_frame(g, x0, y0, x1, y1):
    """A window outline with a heavier title bar; coordinates are stroke centres."""
    bar = max(g.w, round(g.r * 0.45))
    frame = rbox(x0, y0, x1, y1, g.w * 0.3).outline(g.w)
    title = rbox(x0 - g.w / 2, y0 - g.w / 2, x1 + g.w / 2, y0 - g.w / 2 + bar + g.w / 2, g.w * 0.3)
    return frame | title


def glyph_maximize(g):
    s = g.snap
    return _window_frame(g, s(g.cx - g.r * 0.85), s(g.cy - g.r * 0.8), s(g.cx + g.r * 0.85), s(g.cy + g.r * 0.85))


def glyph_reduce(g):
    s = g.snap
    back = (s(g.cx - g.r * 0.35), s(g.cy - g.r * 0.9), s(g.cx + g.r * 0.9), s(g.cy + g.r * 0.3))
    front = (s(g.cx - g.r * 0.9), s(g.cy - g.r * 0.25), s(g.cx + g.r * 0.4), s(g.cy + g.r * 0.9))
    # The front window hides the part of the back one it covers, with a one-pixel gap so both read apart.
    hidden = rbox(front[0], front[1], front[2], front[3]).grown(g.w + 1)
    return (rbox(*back, g.w * 0.3).outline(g.w) - hidden) | _window_frame(g, *front)


def glyph_move(g):
    x, y = g.snap(g.cx), g.snap(g.cy)
    inner = g.r * 0.55
    cross = stroke([(x - inner, y), (x + inner, y)], g.w) | stroke([(x, y - inner), (x, y + inner)], g.w)
    heads = [arrow_head((x + dx * g.r, y + dy * g.r), (dx, dy), g.r * 0.5, g.r * 0.42)
             for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
    return union(cross, *heads)


def glyph_explorer(g):
    """A folder with an arrow leaving it: open this place in Explorer."""
    e = g.edge
    corner = max(0.8, g.r * 0.14)
    if g.r < 5:
        # Too few pixels for an arrow inside a folder: the arrow steps out of the folder's corner.
        x0, top, x1, bottom = e(-0.95, 0)[0], e(0, -0.1)[1], e(0.6, 0)[0], e(0, 0.95)[1]
        folder = rbox(x0, top, x1, bottom, corner)
        arrow = _corner_arrow(g.p(0.0, 0.2), g.p(1.0, -1.0), g.r * 0.55, g.w)
        return (folder - arrow.grown(1.0)) | arrow
    x0, top, x1, bottom = e(-0.95, 0)[0], e(0, -0.55)[1], e(0.95, 0)[0], e(0, 0.85)[1]
    tab = rbox(x0, e(0, -0.85)[1], e(-0.12, 0)[0], top + 1, corner)
    folder = rbox(x0, top, x1, bottom, corner) | tab
    return folder - _corner_arrow(g.p(-0.4, 0.55), g.p(0.45, -0.25), g.r * 0.45, g.w * 0.85)


TOOLBAR_GLYPHS = {
    "Home": glyph_home,
    "Back": lambda g: glyph_arrow(g, 180),
    "Forward": lambda g: glyph_arrow(g, 0),
    "Up": lambda g: glyph_arrow(g, -90),
    "JumpToExplorer": glyph_explorer,
    "Move": glyph_move,
    "Maximize": glyph_maximize,
    "Reduce": glyph_reduce,
    "Close": glyph_close,
}

# Built-in resource number of every toolbar image; the program looks them up by these numbers.
TOOLBAR_RESOURCES = [
    ("Close", "", 102), ("Close", "Down", 103), ("Close", "Hot", 104),
    ("Home", "", 105), ("Home", "Down", 106), ("Home", "Hot", 107),
    ("Maximize", "", 108), ("Maximize", "Down", 109), ("Maximize", "Hot", 110),
    ("Move", "", 111), ("Move", "Down", 112), ("Move", "Hot", 113),
    ("Forward", "", 114), ("Forward", "Disabled", 115), ("Forward", "Down", 116), ("Forward", "Hot", 117),
    ("Back", "", 118), ("Back", "Disabled", 119), ("Back", "Down", 120), ("Back", "Hot", 121),
    ("Reduce", "", 122), ("Reduce", "Down", 123), ("Reduce", "Hot", 124),
    ("Up", "", 125), ("Up", "Down", 126), ("Up", "Hot", 127),
    ("JumpToExplorer", "", 153), ("JumpToExplorer", "Down", 154), ("JumpToExplorer", "Hot", 155),
]

# Button families share a colour: navigation, the folder/Explorer action, window handling, closing.
CHIP_COLOURS = {  # state: (face, lip)
    "blue": {"": ("#2F6FDB", "#1E4E9F"), "Hot": ("#4D8CF5", "#2B63C2"), "Down": ("#2259B8", None)},
    "amber": {"": ("#E39A14", "#A8700B"), "Hot": ("#F6B133", "#C6850F"), "Down": ("#C4820C", None)},
    "slate": {"": ("#56667C", "#3A4657"), "Hot": ("#71839B", "#4B5A6E"), "Down": ("#465469", None)},
    "red": {"": ("#D9483B", "#A0322A"), "Hot": ("#F05E50", "#BE3C31"), "Down": ("#B93A2F", None)},
}
DISABLED_CHIP = ("#C5CAD2", "#A9B0BA")
BUTTON_FAMILY = {"Home": "blue", "Back": "blue", "Forward": "blue", "Up": "blue", "JumpToExplorer": "amber",
                 "Move": "slate", "Maximize": "slate", "Reduce": "slate", "Close": "red"}

TOOLBAR_SIZES = (16, 24, 32)
GLYPH_RADIUS = {16: 4.5, 24: 6.5, 32: 8.5}
GLYPH_STROKE = {16: 2.0, 24: 2.0, 32: 3.0}
CHIP_RADIUS = {16: 3, 24: 4, 32: 6}


def draw_toolbar_button(name, state, size):
    """The built-in look: a rounded chip with a 1-pixel lip that the pressed state sinks into."""
    lip = 1
    pressed = 1 if state == "Down" else 0
    canvas = Canvas(size)
    if state == "Disabled":
        face, lip_colour = DISABLED_CHIP
        glyph_colour = "#F1F3F5"
    else:
        face, lip_colour = CHIP_COLOURS[BUTTON_FAMILY[name]][state]
        glyph_colour = "#FFFFFF" if state != "Down" else "#E8EEF7"
    radius = CHIP_RADIUS[size]
    if lip_colour:
        canvas.fill(rbox(1, 1 + lip, size - 1, size - 1, radius), lip_colour)
    canvas.fill(rbox(1, 1 + pressed, size - 1, size - 1 - lip + pressed, radius), face)
    glyph = Glyph(size / 2, math.floor((size - lip) / 2) + pressed, GLYPH_RADIUS[size], GLYPH_STROKE[size])
    canvas.fill(TOOLBAR_GLYPHS[name](glyph), glyph_colour)
    canvas.harden_silhouette()
    return canvas


# The shipped skins: glyphs straight on the bar, with a faint plate under the hot and the pressed
# button (the close button's hot plate is red in all of them). "top" and "bottom" are the bar's
# gradient; equal, the bar is one plain colour. "frame" and "window" are the folder window under
# the bar in the preview.
SKINS = {
    "Graphite": {"comment": "Graphite: light icons on a dark graphite bar.",
                 "top": "#3D434B", "bottom": "#262A30", "opacity": 94,
                 "glyphs": {"": "#D3D8DF", "Hot": "#FFFFFF", "Down": "#AEB5BF", "Disabled": "#646B75"},
                 "hot": ("#FFFFFF", 0.16), "down": ("#000000", 0.3), "frame": "#1E2126", "window": "#F7F8FA"},
    "Light": {"comment": "Light: dark icons on the pale bar of Windows 11's light mode.",
              "top": "#F3F3F3", "bottom": "#F3F3F3", "opacity": 100,
              "glyphs": {"": "#1B1B1B", "Hot": "#000000", "Down": "#5C5C5C", "Disabled": "#A3A3A3"},
              "hot": ("#000000", 0.06), "down": ("#000000", 0.1), "frame": "#E5E5E5", "window": "#FFFFFF"},
    "Dark": {"comment": "Dark: white icons on the near-black bar of Windows 11's dark mode.",
             "top": "#202020", "bottom": "#202020", "opacity": 100,
             "glyphs": {"": "#FFFFFF", "Hot": "#FFFFFF", "Down": "#C8C8C8", "Disabled": "#5F5F5F"},
             "hot": ("#FFFFFF", 0.08), "down": ("#FFFFFF", 0.04), "frame": "#2B2B2B", "window": "#191919"},
}


def draw_skin_button(skin, name, state, size):
    look = SKINS[skin]
    pressed = 1 if state == "Down" else 0
    canvas = Canvas(size)
    plate = rbox(1, 1, size - 1, size - 1, CHIP_RADIUS[size])
    if state == "Hot":
        colour, alpha = ("#D9483B", 1.0) if name == "Close" else look["hot"]
        canvas.fill(plate, colour, alpha)
    elif state == "Down":
        canvas.fill(plate, *look["down"])
    glyph = Glyph(size / 2, size / 2 + pressed, GLYPH_RADIUS[size], GLYPH_STROKE[size])
    glyph_colour = "#FFFFFF" if name == "Close" and state == "Hot" else look["glyphs"][state]
    canvas.fill(TOOLBAR_GLYPHS[name](glyph), glyph_colour)
    return canvas


# ------------------------------------------------------ menu and program ---
# Drawn on a 24-unit grid and scaled; strokes keep a pixel weight that stays
# legible at 16 px.

MENU_SIZES = (16, 24, 32)
MENU_STROKE_PX = {16: 1.75, 24: 2.4, 32: 3.0}

FOLDER_BACK, FOLDER_FRONT = "#DB9214", "#F6B53C"
BLUE, TEAL, GREEN, RED, PINK, SLATE = "#2F6FDB", "#1C978A", "#2E9D5A", "#D9483B", "#E0475F", "#56667C"


def draw_folder(c):
    c.fill(rbox(2, 4.5, 22, 20, 1.6) | rbox(2, 3, 10.5, 7, 1.4), FOLDER_BACK)
    c.fill(rbox(4, 6.3, 20, 12, 0.8), "#FFFFFF")
    c.fill(rbox(2, 8.5, 22, 20, 1.6), FOLDER_FRONT)


def draw_program(c, size):
    """The folder with a wren perched on it: small round body, cocked tail."""
    draw_folder(c)
    brown = "#5B3A21"
    c.fill(union(ellipse(13.4, 15.0, 4.6, 3.3), circle(9.7, 12.7, 2.6),
                 stroke([(16.6, 13.8), (19.8, 9.2)], 2.1),
                 polygon([(7.6, 11.9), (5.2, 12.9), (7.6, 13.7)])), brown)
    if size >= 32:
        c.fill(ellipse(14.3, 14.4, 2.5, 1.4), "#7E5533")
        c.fill(circle(9.3, 12.1, 0.6), "#FFFFFF")
    if size >= 24:
        c.fill(stroke([(12.4, 18.0), (12.0, 19.6)], 0.7) | stroke([(14.6, 18.0), (14.8, 19.6)], 0.7), brown)


def draw_gear(c, w):
    teeth = [rotated(rbox(10.4, 1.6, 13.6, 12, 0.7), 45 * i, 12, 12) for i in range(8)]
    c.fill(union(circle(12, 12, 7.2), *teeth) - circle(12, 12, 3.0), SLATE)


def draw_help(c, w):
    c.fill(circle(12, 12, 10.5), BLUE)
    end = (12 + 3.4 * math.cos(math.radians(40)), 9.2 + 3.4 * math.sin(math.radians(40)))
    mark = arc(12, 9.2, 3.4, 185, 400, w) | stroke([end, (12, 13.2), (12, 14.2)], w)
    c.fill(mark | circle(12, 17.7, w * 0.68), "#FFFFFF")


def draw_about(c, w):
    c.fill(circle(12, 12, 10.5), TEAL)
    c.fill(circle(12, 7.3, w * 0.72) | stroke([(12, 11), (12, 17.3)], w * 1.1), "#FFFFFF")


def draw_donate(c, w):
    r = 4.8
    left, right, tip = (7.4, 9.2), (16.6, 9.2), (12, 20.2)
    points = [tip]
    for (cx, cy), sign in ((left, -1), (right, 1)):
        # Tangent point from the tip to each lobe, so the sides run straight into the circles.
        dx, dy = cx - tip[0], cy - tip[1]
        dist = math.hypot(dx, dy)
        angle = math.atan2(dy, dx) + sign * math.asin(r / dist)
        t = math.sqrt(dist * dist - r * r)
        points.append((tip[0] + t * math.cos(angle), tip[1] + t * math.sin(angle)))
    heart = circle(*left, r) | circle(*right, r) | polygon([points[0], points[1], (12, 9.2), points[2]])
    c.fill(heart, PINK)
    c.fill(arc(7.4, 9.2, 2.7, 195, 260, w * 0.55), "#FFFFFF", 0.75)


def draw_show(c, w):
    lens = circle(12, 12 + 5.4, 11.4) & circle(12, 12 - 5.4, 11.4)
    c.fill(lens, "#FFFFFF")
    c.fill(lens.outline(w * 0.8), SLATE)
    c.fill(circle(12, 12, 4.4), BLUE)
    c.fill(circle(12, 12, 2.0), "#1B2A44")
    c.fill(circle(13.4, 10.6, 0.9), "#FFFFFF")


def draw_check_for_update(c, w):
    start, end = -40, 235
    c.fill(arc(12, 12.5, 7.2, start, end, w * 1.05), GREEN)
    a = math.radians(end)
    tangent = (-math.sin(a), math.cos(a))
    base = (12 + 7.2 * math.cos(a), 12.5 + 7.2 * math.sin(a))
    tip = (base[0] + tangent[0] * 4.2, base[1] + tangent[1] * 4.2)
    c.fill(arrow_head(tip, tangent, 5.0, 4.0), GREEN)


def draw_exit(c, w):
    c.fill(arc(12, 13, 8, -55, 235, w * 1.05) | stroke([(12, 2.8), (12, 11.5)], w * 1.05), RED)


def draw_maximize_reduce(c, w):
    window = rbox(2.5, 4, 21.5, 20.5, 1.8)
    c.fill(window, "#FFFFFF")
    c.fill(window & rbox(0, 0, 24, 8.6), BLUE)
    c.fill(window.outline(w * 0.55), SLATE)
    a, b = (7.2, 17.6), (16.8, 10.2)
    direction = (b[0] - a[0], b[1] - a[1])
    c.fill(stroke([a, b], w * 0.8) | arrow_head((b[0] + 0.6, b[1] - 0.45), direction, 4.2, 2.6) |
           arrow_head((a[0] - 0.6, a[1] + 0.45), (-direction[0], -direction[1]), 4.2, 2.6), SLATE)


def draw_add(c, w):
    c.fill(stroke([(12, 4), (12, 20)], w * 1.5) | stroke([(4, 12), (20, 12)], w * 1.5), GREEN)


def draw_remove(c, w):
    c.fill(stroke([(4, 12), (20, 12)], w * 1.5), RED)


def draw_move(c, w, up):
    sign = -1 if up else 1
    tip = (12, 12 + sign * 9)
    c.fill(stroke([(12, 12 - sign * 8), (12, 12 + sign * 3)], w * 1.3) | arrow_head(tip, (0, sign), 8.0, 6.5), BLUE)


def draw_ok(c, w):
    c.fill(stroke([(4, 12.5), (9.5, 18), (20, 6)], w * 1.4), GREEN)


def draw_cancel(c, w):
    c.fill(stroke([(5, 5), (19, 19)], w * 1.4) | stroke([(19, 5), (5, 19)], w * 1.4), RED)


def draw_customization(c, w):
    c.fill(circle(12, 12, 10), "#F3E3C3")
    c.fill(circle(12, 12, 10).outline(w * 0.5), SLATE)
    for (x, y), colour in (((8, 8), RED), ((14, 6.8), BLUE), ((17, 11.5), GREEN), ((7, 14), PINK)):
        c.fill(circle(x, y, 2.3), colour)


def draw_file_filters(c, w):
    c.fill(polygon([(3, 4), (21, 4), (14, 12.5), (14, 20), (10, 18), (10, 12.5)]), TEAL)


def draw_browsing_options(c, w):
    window = rbox(2.5, 4, 21.5, 20.5, 1.8)
    c.fill(window, "#FFFFFF")
    c.fill(window & rbox(0, 0, 24, 8.6), BLUE)
    c.fill(window.outline(w * 0.55), SLATE)
    c.fill(rbox(5.5, 11, 10.5, 17.5, 0.8), FOLDER_FRONT)


def draw_folders(c, w):
    c.fill(rbox(5, 2, 23, 15, 1.4), FOLDER_BACK)
    draw_folder(c)


def draw_launch_bar(c, w):
    c.fill(rbox(1.5, 14, 22.5, 21, 1.5), SLATE)
    for x in (4.5, 10.5, 16.5):
        c.fill(rbox(x, 15.5, x + 3.5, 19.5, 0.6), FOLDER_FRONT)


MENU_ICONS = [  # file name, resource number, identifier, drawing
    ("DefaultFolder", 133, "IDI_DEFAULT_FOLDER", lambda c, w: draw_folder(c)),
    ("MenuOptions", 134, "IDI_OPTIONS", draw_gear),
    ("MenuAbout", 141, "IDI_ABOUT", draw_about),
    ("MenuHelp", 146, "IDI_HELP", draw_help),
    ("MenuDonate", 147, "IDI_DONATE", draw_donate),
    ("MenuShow", 148, "IDI_SHOW", draw_show),
    ("MenuCheckForUpdate", 149, "IDI_CHECK_FOR_UPDATE", draw_check_for_update),
    ("MenuExit", 150, "IDI_EXIT", draw_exit),
    ("MenuMaximizeReduce", 156, "IDI_MAXIMIZE_REDUCE", draw_maximize_reduce),
    ("OptionsAdd", 131, "IDI_OPTIONS_ADD", draw_add),
    ("OptionsRemove", 132, "IDI_OPTIONS_REMOVE", draw_remove),
    ("OptionsCustomization", 142, "IDI_OPTIONS_CUSTOMIZATION", draw_customization),
    ("OptionsFileFilters", 143, "IDI_OPTIONS_FILE_FILTERS", draw_file_filters),
    ("OptionsBrowsingOptions", 144, "IDI_OPTIONS_BROWSING_OPTIONS", draw_browsing_options),
    ("OptionsFolders", 145, "IDI_OPTIONS_FOLDERS", draw_folders),
    ("OptionsMoveDown", 151, "IDI_OPTIONS_MOVE_DOWN", lambda c, w: draw_move(c, w, False)),
    ("OptionsMoveUp", 152, "IDI_OPTIONS_MOVE_UP", lambda c, w: draw_move(c, w, True)),
    ("OptionsOk", 157, "IDI_OPTIONS_OK", draw_ok),
    ("OptionsCancel", 158, "IDI_OPTIONS_CANCEL", draw_cancel),
    ("OptionsLaunchBar", 159, "IDI_OPTIONS_LAUNCH_BAR", draw_launch_bar),
]


def with_soft_shadow(size, draw):
    canvas = Canvas(size, scale=size / 24.0)
    draw(canvas)
    canvas.drop_shadow(max(1, size // 24), 1 if size >= 24 else 0, 0.22 if size >= 24 else 0.16)
    return canvas


def draw_menu_icon(draw, size):
    return with_soft_shadow(size, lambda c: draw(c, MENU_STROKE_PX[size] * 24.0 / size))


# ------------------------------------------------------------------ skin ---

# Image names in the order the skin file lists them.
SKIN_IMAGES = ["Home", "HomeDown", "HomeHot", "Back", "BackDisabled", "BackDown", "BackHot", "Forward",
               "ForwardDisabled", "ForwardDown", "ForwardHot", "Up", "UpDown", "UpHot", "JumpToExplorer",
               "JumpToExplorerDown", "JumpToExplorerHot", "Move", "MoveDown", "MoveHot", "Maximize",
               "MaximizeDown", "MaximizeHot", "Reduce", "ReduceDown", "ReduceHot", "Close", "CloseDown",
               "CloseHot"]


def split_image_name(image):
    for state in ("Disabled", "Down", "Hot"):
        if image.endswith(state):
            return image[:-len(state)], state
    return image, ""


def colorref(colour):
    r, g, b = (int(round(v * 255)) for v in hex_colour(colour))
    return r | (g << 8) | (b << 16)


def write_skin_conf(skin, path):
    look = SKINS[skin]
    plain = look["top"] == look["bottom"]
    lines = ["; " + look["comment"], "[BrowserToolbar]",
             "BackgroundType=%d" % (4 if plain else 1),  # solid, or vertical gradient
             "BackgroundColor=%d" % colorref(look["top"]),
             "BackgroundColor2=%d" % colorref(look["bottom"]),
             "BackgroundImage=",
             "TransparentColor=%d" % 0xFF00FF,
             "UseTransparentColor=0",
             "Opacity=%d" % look["opacity"],
             "ShowMoveButton=1"]
    for image in SKIN_IMAGES:
        lines += ["%sAssociatedIconPath=icons/%s.ico" % (image, image), "%sAssociatedIconIndex=0" % image]
    lines += ["", "[Preview]", "FileName=preview.png", ""]
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))


def gradient_bar(width, height, top, bottom):
    bar = Canvas(width, height)
    (r0, g0, b0), (r1, g1, b1) = hex_colour(top), hex_colour(bottom)
    for j in range(height):
        t = j / max(1, height - 1)
        colour = [r0 + (r1 - r0) * t, g0 + (g1 - g0) * t, b0 + (b1 - b0) * t, 1.0]
        for i in range(width):
            bar.pixels[j * width + i] = list(colour)
    return bar


def draw_skin_preview(skin, width=216, height=40):
    """The skin's toolbar above a glimpse of the folder window it belongs to, laid out
    the way the browser window does: navigation left, move in the middle, window
    buttons right, Back and Forward disabled as when a window has just opened."""
    button = 24
    picture = Canvas(width, height)
    look = SKINS[skin]
    picture.paste(gradient_bar(width, button, look["top"], look["bottom"]))
    picture.fill(rbox(0, button, width, height), look["frame"])
    picture.fill(rbox(1, button, width - 1, height - 1), look["window"])
    near = ["Home", "BackDisabled", "ForwardDisabled", "Up", "JumpToExplorer"]
    for index, image in enumerate(near):
        picture.paste(draw_skin_button(skin, *split_image_name(image), button), index * button)
    near_end = len(near) * button
    middle = max((width - button) // 2, near_end)
    picture.paste(draw_skin_button(skin, "Move", "", button), middle)
    far = max(width - 2 * button, middle + button)
    picture.paste(draw_skin_button(skin, "Maximize", "", button), far)
    picture.paste(draw_skin_button(skin, "Close", "", button), far + button)
    for column in range(3):
        x = 8 + column * 66
        item = Canvas(12, 12, scale=0.5)
        draw_folder(item)
        picture.paste(item, x, button + 3)
        picture.fill(rbox(x + 16, button + 7, x + 52, button + 10, 1.5), "#C5CAD2")
    return picture


# --------------------------------------------------------- contact sheet ---

def magnified(canvas, factor):
    big = Canvas(canvas.width * factor, canvas.height * factor)
    for j in range(big.height):
        for i in range(big.width):
            big.pixels[j * big.width + i] = list(canvas.pixels[(j // factor) * canvas.width + i // factor])
    return big


def contact_tile(images, background, zoom_size, width, height):
    """The icon at each size as it is, then one size enlarged to judge its pixels."""
    tile = Canvas(width, height)
    tile.fill(rbox(0, 0, width, height), background)
    x = 8
    for c in tile_contents(images, zoom_size):
        tile.paste(c, x, (height - c.height) // 2)
        x += c.width + 8
    return tile


def tile_contents(images, zoom_size):
    if not zoom_size:
        return list(images)
    return list(images) + [magnified(next(c for c in images if c.width == zoom_size), 4)]


def write_contact_sheet(entries, path):
    """entries: (label, images, background, size to enlarge). Labels are set by ImageMagick."""
    montage = shutil.which("montage")
    if not montage:
        print("montage not found: contact sheet skipped", file=sys.stderr)
        return
    # montage loses the labels of a row of short tiles, so every tile gets the same size.
    contents = [tile_contents(images, zoom) for _, images, _, zoom in entries]
    width = max(sum(c.width + 8 for c in shown) + 8 for shown in contents)
    height = max(max(c.height for c in shown) for shown in contents) + 16
    with tempfile.TemporaryDirectory() as temp:
        arguments = [montage, "-font", "DejaVu-Sans", "-background", "#FFFFFF", "-fill", "#222222", "-pointsize", "11"]
        for number, (label, images, background, zoom_size) in enumerate(entries):
            tile_path = os.path.join(temp, "%03d.png" % number)
            write_png(tile_path, contact_tile(images, background, zoom_size, width, height))
            arguments += ["-label", label, tile_path]
        # Without time stamps, so that running the script again changes nothing that did not change.
        arguments += ["-tile", "4x", "-geometry", "+6+6", "-depth", "8", "-define", "png:exclude-chunk=date,time", path]
        subprocess.run(arguments, check=True)


# ------------------------------------------------------------------ main ---

def main():
    os.makedirs(ICON_DIR, exist_ok=True)
    sheet = []

    program = []
    for size in (16, 24, 32, 48):
        program.append(with_soft_shadow(size, lambda c, s=size: draw_program(c, s)))
    write_ico(os.path.join(ICON_DIR, "Pathwren.ico"), program)
    sheet.append(("101 Pathwren", program, "#F3F4F6", 16))

    for name, state, number in sorted(TOOLBAR_RESOURCES, key=lambda r: r[2]):
        images = [draw_toolbar_button(name, state, size) for size in TOOLBAR_SIZES]
        file_name = "Toolbar%s%s" % (name, state)
        write_ico(os.path.join(ICON_DIR, file_name + ".ico"), images)
        sheet.append(("%d %s" % (number, file_name), images, "#F3F4F6", 24))

    for file_name, number, _, draw in MENU_ICONS:
        images = [draw_menu_icon(draw, size) for size in MENU_SIZES]
        write_ico(os.path.join(ICON_DIR, file_name + ".ico"), images)
        sheet.append(("%d %s" % (number, file_name), images, "#F3F4F6", 16))

    for skin in SKINS:
        skin_dir = os.path.join(SKINS_DIR, skin)
        os.makedirs(os.path.join(skin_dir, "icons"), exist_ok=True)
        for image in SKIN_IMAGES:
            images = [draw_skin_button(skin, *split_image_name(image), size) for size in TOOLBAR_SIZES]
            write_ico(os.path.join(skin_dir, "icons", image + ".ico"), images)
            sheet.append(("%s %s" % (skin, image), images, SKINS[skin]["top"], 24))
        write_skin_conf(skin, os.path.join(skin_dir, "SkinConf.ini"))
        preview = draw_skin_preview(skin)
        write_png(os.path.join(skin_dir, "preview.png"), preview)
        sheet.append(("%s preview.png" % skin, [preview], "#FFFFFF", None))

    write_contact_sheet(sheet, os.path.join(ICON_DIR, "contact-sheet.png"))


if __name__ == "__main__":
    main()
