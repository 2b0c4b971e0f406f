#!/usr/bin/env python3
"""Draws the browser's skin bitmaps: 8 bits per pixel, uncompressed BMP files.

    make_skin.py OUT_DIR           writes every bitmap
    make_skin.py --check OUT_DIR   fails when a file differs from what this draws

Only the standard library; the output depends on nothing but this file.
"""
import math
import struct
import sys
from pathlib import Path

SS = 4  # samples per pixel side for anti-aliased shapes

# The palette of the skin: slate frame, light glyphs, warm accent.
FRAME_TOP = (66, 84, 108)
FRAME_BOTTOM = (30, 40, 54)
FRAME_EDGE = (14, 19, 27)
FRAME_LIGHT = (104, 124, 150)
GLYPH = (214, 222, 232)
GLYPH_HOVER = (255, 255, 255)
GLYPH_PRESSED = (184, 194, 208)
GLYPH_DISABLED = (84, 98, 116)
HOVER_FILL = (86, 112, 146)
HOVER_EDGE = (132, 158, 192)
PRESSED_FILL = (20, 28, 40)
PRESSED_EDGE = (8, 12, 18)
CLOSE_HOVER = (196, 58, 52)
CLOSE_PRESSED = (138, 34, 30)
ACCENT = (212, 176, 92)
DIALOG_FACE = (240, 240, 240)


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Image:
    def __init__(self, width, height, fill=(0, 0, 0)):
        self.width, self.height = width, height
        self.px = [[fill] * width for _ in range(height)]

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.px[y][x] = colour(x, y) if callable(colour) else colour

    def shape(self, inside, colour, ox=0.0, oy=0.0, box=None):
        """Blends `colour` where the predicate inside(x, y) holds, anti-aliased."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS - ox, y + (sy + 0.5) / SS - oy):
                            hits += 1
                if hits:
                    self.px[y][x] = lerp(self.px[y][x], colour, hits / (SS * SS))

    def paste(self, other, dx, dy):
        for y in range(other.height):
            for x in range(other.width):
                self.set(dx + x, dy + y, other.px[y][x])


# Shape predicates -------------------------------------------------------------

def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= half_width * half_width
    return inside


def arc(cx, cy, radius, half_width, start_deg, end_deg):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - radius) > half_width:
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return start_deg <= angle <= end_deg
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


# Glyphs of the toolbar, in a 16x14 cell ---------------------------------------

def glyph_back():
    return union(polygon([(3, 7), (8.5, 2), (8.5, 12)]), rect(8, 5.4, 13.2, 8.6))


def glyph_forward():
    return union(polygon([(13, 7), (7.5, 2), (7.5, 12)]), rect(2.8, 5.4, 8, 8.6))


def glyph_stop():
    r, k = 5.4, 5.4 * math.tan(math.pi / 8)
    octagon = polygon([(8 - k, 7 - r), (8 + k, 7 - r), (8 + r, 7 - k), (8 + r, 7 + k),
                       (8 + k, 7 + r), (8 - k, 7 + r), (8 - r, 7 + k), (8 - r, 7 - k)])
    return minus(octagon, union(segment(5.8, 4.8, 10.2, 9.2, 0.8), segment(10.2, 4.8, 5.8, 9.2, 0.8)))


def glyph_reload():
    head = polygon([(10.6, 1.6), (13.6, 5.8), (8.6, 6.2)])
    return union(arc(8, 7.2, 4.3, 0.95, 60, 360), arc(8, 7.2, 4.3, 0.95, 0, 8), head)


def glyph_home():
    roof = polygon([(8, 1.6), (14, 7.2), (2, 7.2)])
    body = minus(rect(4, 6.6, 12, 12.4), rect(6.9, 8.8, 9.1, 12.4))
    return union(roof, body)


def glyph_minimize():
    return rect(4, 9, 12, 11)


def glyph_close():
    return union(segment(4.5, 3.5, 11.5, 10.5, 1.05), segment(11.5, 3.5, 4.5, 10.5, 1.05))


# Frame ------------------------------------------------------------------------

def top_colour(x, y):
    if y == 0:
        return FRAME_LIGHT
    if y == 24:
        return FRAME_EDGE
    return lerp(FRAME_TOP, FRAME_BOTTOM, (y - 1) / 22)


def frame_top():
    img = Image(688, 25)
    img.fill(0, 0, 688, 25, top_colour)
    # Four card suits in the middle: the window is a card room's.
    suits = [
        union(circle(-2.2, -0.6, 2.3), circle(2.2, -0.6, 2.3), polygon([(-4.3, 0), (4.3, 0), (0, 4.6)]),
              polygon([(0, -2.6), (-2.2, -0.3), (2.2, -0.3)])),
        polygon([(0, -4.8), (3.8, 0), (0, 4.8), (-3.8, 0)]),
        union(circle(0, -2.4, 2.1), circle(-2.4, 0.9, 2.1), circle(2.4, 0.9, 2.1),
              polygon([(0, 0), (-1.6, 4.8), (1.6, 4.8)])),
        union(polygon([(0, -4.6), (4.4, 0.6), (-4.4, 0.6)]), circle(-2.2, 0.9, 2.2), circle(2.2, 0.9, 2.2),
              polygon([(0, 0.5), (-1.6, 4.8), (1.6, 4.8)])),
    ]
    centre = 344
    for i, suit in enumerate(suits):
        cx = centre - 27 + i * 18
        img.shape(suit, ACCENT, ox=cx, oy=12.5, box=(cx - 6, 4, cx + 7, 21))
    for x0, x1 in ((centre - 150, centre - 40), (centre + 40, centre + 150)):
        img.fill(x0, 12, x1, 13, lerp(top_colour(0, 12), ACCENT, 0.45))
        img.fill(x0, 13, x1, 14, lerp(top_colour(0, 13), FRAME_EDGE, 0.5))
    return img


def side_colour(column):
    # Columns from the outside in; the last one meets the page.
    return [FRAME_EDGE, FRAME_LIGHT, FRAME_TOP, lerp(FRAME_TOP, FRAME_BOTTOM, 0.5), FRAME_BOTTOM, FRAME_EDGE][column]


def frame_left():
    img = Image(6, 501)
    img.fill(0, 0, 6, 501, lambda x, y: side_colour(x))
    return img


def frame_right():
    img = Image(6, 501)
    img.fill(0, 0, 6, 501, lambda x, y: side_colour(5 - x))
    return img


def frame_bottom():
    img = Image(688, 6)
    img.fill(0, 0, 688, 6, lambda x, y: side_colour(5 - y))
    img.fill(0, 0, 6, 1, side_colour(5))
    return img


# Toolbar strips: one 16-pixel column per button, states stacked ---------------

def button_cell(glyph, state, strip_x, danger=False):
    """One 16x14 state image; strip_x places it over the top frame strip."""
    img = Image(16, 14)
    img.fill(0, 0, 16, 14, lambda x, y: top_colour(strip_x + x, 7 + y))
    colour, shift = GLYPH, 0
    if state == "hover":
        img.shape(rounded_rect(0, 0, 16, 14, 2.5), HOVER_EDGE)
        img.shape(rounded_rect(1, 1, 15, 13, 1.8), CLOSE_HOVER if danger else HOVER_FILL)
        colour = GLYPH_HOVER
    elif state == "pressed":
        img.shape(rounded_rect(0, 0, 16, 14, 2.5), PRESSED_EDGE)
        img.shape(rounded_rect(1, 1, 15, 13, 1.8), CLOSE_PRESSED if danger else PRESSED_FILL)
        colour, shift = GLYPH_PRESSED, 1
    elif state == "disabled":
        colour = GLYPH_DISABLED
    if state in ("normal", "hover"):
        img.shape(glyph, lerp(FRAME_EDGE, img.get(0, 13), 0.3), ox=0.7, oy=0.7)  # soft shadow
    img.shape(glyph, colour, ox=shift, oy=shift)
    return img


STATES = ("normal", "pressed", "hover", "disabled")


def toolbar(glyphs, strip_xs, danger=()):
    img = Image(16 * len(glyphs), 56)
    for column, glyph in enumerate(glyphs):
        for row, state in enumerate(STATES):
            cell = button_cell(glyph, state, strip_xs[column], column in danger)
            img.paste(cell, 16 * column, 14 * row)
    return img


# Lobby buttons with their captions ---------------------------------------------

FONT = {
    "I": ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "v": [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "i": [".#.", "...", "##.", ".#.", ".#.", ".#.", "###"],
    "t": [".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "l": ["##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "y": [".....", ".....", "#...#", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    " ": ["..", "..", "..", "..", "..", "..", ".."],
}


def text_width(text):
    return sum(len(FONT[c][0]) + 2 for c in text) - 2  # bold adds a column, plus one gap


def draw_text(img, text, x, y, colour):
    for c in text:
        rows = FONT[c]
        for dy, row in enumerate(rows):
            for dx, bit in enumerate(row):
                if bit == "#":
                    img.set(x + dx, y + dy, colour)
                    img.set(x + dx + 1, y + dy, colour)
        x += len(rows[0]) + 2


def lobby_button(width, caption, top, bottom):
    """Normal face in rows 0..20, pressed face in rows 21..41."""
    img = Image(width, 42, DIALOG_FACE)
    for row, pressed in ((0, False), (21, True)):
        face = Image(width, 21, DIALOG_FACE)
        face.shape(rounded_rect(0, 0, width, 21, 3), FRAME_EDGE)
        hi, lo = (bottom, top) if pressed else (top, bottom)
        for y in range(1, 20):
            colour = lerp(hi, lo, (y - 1) / 18)
            face.shape(rounded_rect(1, 1, width - 1, 20, 2.2), colour, box=(0, y, width, y + 1))
        if not pressed:
            face.fill(3, 1, width - 3, 2, lerp(hi, (255, 255, 255), 0.35))
        shift = 1 if pressed else 0
        x = (width - text_width(caption)) // 2 + shift
        y = 7 + shift
        draw_text(face, caption, x + 1, y + 1, FRAME_EDGE)
        draw_text(face, caption, x, y, (255, 255, 255))
        img.paste(face, 0, row)
    return img


INVITE_TOP, INVITE_BOTTOM = (92, 150, 96), (34, 92, 46)   # felt green: the one action button
SMALL_TOP, SMALL_BOTTOM = (96, 120, 152), (42, 56, 76)


# Bitmaps the program does not use, kept in the skin's style ---------------------

def side_panel():
    img = Image(40, 88)
    img.fill(0, 0, 40, 88, lambda x, y: lerp(FRAME_TOP, FRAME_BOTTOM, y / 87))
    img.shape(polygon([(20, 30), (30, 44), (20, 58), (10, 44)]), ACCENT)
    return img


def status_icon(fill):
    img = Image(18, 18, DIALOG_FACE)
    img.shape(circle(9, 9, 7), FRAME_EDGE)
    img.shape(circle(9, 9, 6), fill)
    img.shape(circle(7, 7, 2.2), lerp(fill, (255, 255, 255), 0.5))
    return img


def buddy_icon():
    img = Image(18, 18, DIALOG_FACE)
    img.shape(union(circle(9, 6, 3.4), rounded_rect(3, 10, 15, 18, 4)), SMALL_BOTTOM)
    return img


ROW_KEY = (255, 0, 255)  # transparent in the lobby list's image strip


def lobby_rows():
    """The lobby list's row images, 16 x 16 each: a user, then a group (a table)."""
    paper = (255, 255, 255)
    img = Image(32, 16, paper)
    img.shape(union(circle(8, 4.6, 3.3), rounded_rect(2.5, 9, 13.5, 16, 4.5)), FRAME_TOP)
    img.shape(circle(7, 3.6, 1.2), FRAME_LIGHT)
    img.shape(rounded_rect(16.5, 3.5, 31.5, 13.5, 5), (86, 58, 34))
    img.shape(rounded_rect(18, 5, 30, 12, 3.5), (46, 122, 70))
    img.shape(circle(24, 8.5, 1.8), ACCENT)
    # What no shape touched is see-through; blended edges keep the paper's light.
    for row in img.px:
        for x, c in enumerate(row):
            if c == paper:
                row[x] = ROW_KEY
    return img


def all_bitmaps():
    web_xs = [6 + 16 * n for n in range(5)]
    return {
        "frame_top.bmp": frame_top(),
        "frame_left.bmp": frame_left(),
        "frame_right.bmp": frame_right(),
        "frame_bottom.bmp": frame_bottom(),
        "web_buttons.bmp": toolbar([glyph_back(), glyph_forward(), glyph_stop(), glyph_reload(), glyph_home()],
                                   web_xs),
        "system_buttons.bmp": toolbar([glyph_minimize(), glyph_close()], [650, 666], danger=(1,)),
        "invite.bmp": lobby_button(121, "Invite Player", INVITE_TOP, INVITE_BOTTOM),
        "add_buddy.bmp": lobby_button(20, "A", SMALL_TOP, SMALL_BOTTOM),
        "delete_buddy.bmp": lobby_button(20, "D", SMALL_TOP, SMALL_BOTTOM),
        "side_panel.bmp": side_panel(),
        "online.bmp": status_icon((70, 170, 80)),
        "offline.bmp": status_icon((150, 150, 150)),
        "buddy.bmp": buddy_icon(),
        "lobby_rows.bmp": lobby_rows(),
    }


# 8-bit BMP encoding ------------------------------------------------------------

def quantized(img):
    """The image's colours, coarsened until at most 256 remain."""
    step = 1
    while True:
        def q(c):
            return tuple(min(255, (v // step) * step + (step // 2 if step > 1 else 0)) for v in c)
        rows = [[q(c) for c in row] for row in img.px]
        colours = sorted({c for row in rows for c in row})
        if len(colours) <= 256:
            return rows, colours
        step *= 2


def encode_bmp(img):
    rows, colours = quantized(img)
    index = {c: i for i, c in enumerate(colours)}
    stride = (img.width + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytes(index[c] for c in row)
        pixels += line + b"\0" * (stride - img.width)
    palette = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in colours)
    palette += b"\0" * (4 * (256 - len(colours)))
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, img.width, img.height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    out = Path(args[0])
    out.mkdir(parents=True, exist_ok=True)
    stale = []
    for name, img in all_bitmaps().items():
        data = encode_bmp(img)
        path = out / name
        if check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
        else:
            path.write_bytes(data)
    if stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
