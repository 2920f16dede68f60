#!/usr/bin/env python3
"""Draws the standard skin's artwork from its sprite table.

    make_artwork.py skin SPRITES_TABLE OUTPUT_FOLDER
    make_artwork.py cursors OUTPUT_FOLDER
    make_artwork.py check SPRITES_TABLE BUILT_FOLDER

"skin" writes BigResource.bmp, BigResource_ENG.bmp, BM_THUMB.bmp (24-bit
BMP), stockface_rects.inc (the 413 inclusive rectangles the skin hands out)
and stockface_sprites.inc (the table's rules, for the tests); "cursors" the
four cursors and the two window icons of the skin engine; "check" draws everything twice and fails
unless both runs and the built files are byte for byte the same. Only the standard library is used, nothing depends on
time, locale or dictionary order, so every run gives the same bytes.

Another skin uses the same generator with a table of its own. Lines that
begin with "@" in its table change the defaults (which are the standard
skin's):

    @master WIDTH HEIGHT              fixed master bitmap size (default: 1024
                                      wide, as high as the packing needs)
    @files MASTER ENGLISH THUMB PREFIX  output names: MASTER.bmp, ENGLISH.bmp
                                      ("-" for none), THUMB.bmp,
                                      PREFIX_rects.inc, PREFIX_sprites.inc
    @thumb WIDTH HEIGHT LABEL         preview size and its caption
    @panel LABEL                      caption of the "panel" symbol
    @background RRGGBB                colour between the sprites

and a sprite line may end in a ninth field "@LEFT,TOP,RIGHT,BOTTOM" that pins
its inclusive rectangle in the master bitmap (its cells are drawn from the
left edge; columns beyond whole cells stay background). Pinned rectangles
are handed out as written; the other sprites are packed around them.
"""
import math
import os
import struct
import sys

MASTER_WIDTH = 1024
RESOURCE_IDS = 413
PROBE_BLUE = 0xA5

# ---------------------------------------------------------------- table

KINDS = ("btn5", "strip", "img", "tile", "colour", "frame")


class Sprite:
    def __init__(self, fields, line_no):
        pin = None
        if len(fields) == 9 and fields[8].startswith("@"):
            pin = tuple(int(v) for v in fields[8][1:].split(","))
            fields = fields[:8]
            if len(pin) != 4:
                raise ValueError("line %d: a pin is @left,top,right,bottom" % line_no)
        if len(fields) != 8:
            raise ValueError("line %d: 8 fields expected" % line_no)
        self.id = int(fields[0])
        self.kind = fields[1]
        if self.kind not in KINDS:
            raise ValueError("line %d: unknown kind %s" % (line_no, self.kind))
        self.cell_w = int(fields[2])
        self.cell_h = int(fields[3])
        self.cells = 5 if self.kind == "btn5" else int(fields[4])
        if self.kind != "strip":
            self.cells = 5 if self.kind == "btn5" else 1
        self.colour = int(fields[5], 16)
        self.symbol = None if fields[6] == "-" else fields[6]
        label = None if fields[7] == "-" else fields[7].replace("_", " ")
        if label and "|" in label:
            self.label_de, self.label_en = label.split("|", 1)
        else:
            self.label_de = self.label_en = label
        if not 0 <= self.id < RESOURCE_IDS:
            raise ValueError("line %d: id out of range" % line_no)
        if self.cell_w < 1 or self.cell_h < 1 or self.cells < 1:
            raise ValueError("line %d: empty sprite" % line_no)
        self.width = self.cell_w * self.cells
        self.height = self.cell_h
        self.x = self.y = 0
        self.pin = pin
        if pin:
            left, top, right, bottom = pin
            if right - left + 1 < self.width or bottom - top + 1 != self.height or left < 0 or top < 0:
                raise ValueError("line %d: the pinned rectangle does not hold the cells" % line_no)
            self.x, self.y = left, top

    def has_probe(self):
        return self.kind in ("btn5", "strip", "img") and self.cell_w >= 5 and self.cell_h >= 5


class Settings:
    """The "@" lines of a table; the defaults are the standard skin's."""

    def __init__(self):
        self.master_w = MASTER_WIDTH
        self.master_h = None
        self.master_name = "BigResource"
        self.english_name = "BigResource_ENG"
        self.thumb_name = "BM_THUMB"
        self.prefix = "stockface"
        self.thumb_w, self.thumb_h, self.thumb_label = 100, 70, "STOCKFACE"
        self.panel_label = "TUNERDECK"
        self.background = 0x101418

    def apply(self, fields, line_no):
        key, args = fields[0], fields[1:]
        try:
            if key == "@master" and len(args) == 2:
                self.master_w, self.master_h = int(args[0]), int(args[1])
            elif key == "@files" and len(args) == 4:
                self.master_name, english, self.thumb_name, self.prefix = args
                self.english_name = None if english == "-" else english
            elif key == "@thumb" and len(args) == 3:
                self.thumb_w, self.thumb_h, self.thumb_label = int(args[0]), int(args[1]), args[2].replace("_", " ")
            elif key == "@panel" and len(args) == 1:
                self.panel_label = args[0].replace("_", " ")
            elif key == "@background" and len(args) == 1:
                self.background = int(args[0], 16)
            else:
                raise ValueError
        except ValueError:
            raise ValueError("line %d: bad setting %s" % (line_no, " ".join(fields)))


def read_table(path, settings=None):
    sprites = []
    seen = set()
    with open(path, "r", encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            if line.startswith("@"):
                if settings is None:
                    raise ValueError("line %d: settings are not allowed here" % n)
                settings.apply(line.split(), n)
                continue
            s = Sprite(line.split(), n)
            if s.id in seen:
                raise ValueError("line %d: id %d twice" % (n, s.id))
            seen.add(s.id)
            sprites.append(s)
    return sprites


def rect_of(s):
    """The sprite's inclusive rectangle: the pin, or its packed place."""
    return s.pin if s.pin else (s.x, s.y, s.x + s.width - 1, s.y + s.height - 1)


def pack(sprites, master_w=MASTER_WIDTH):
    """Shelf packing, tallest first; one pixel of gap keeps the sprites apart.
    Pinned sprites stay where they are and the others step past them."""
    pinned = [rect_of(s) for s in sprites if s.pin]

    def blocker(x, y, w, h):
        for (l, t, r, b) in pinned:
            if x <= r + 1 and l <= x + w and y <= b + 1 and t <= y + h:
                return r
        return None

    order = sorted((s for s in sprites if not s.pin), key=lambda s: (-s.height, -s.width, s.id))
    x = y = shelf_h = 0
    for s in order:
        if s.width > master_w:
            raise ValueError("sprite %d wider than the master bitmap" % s.id)
        while True:
            if x + s.width > master_w:
                y += shelf_h + 1
                x = shelf_h = 0
            right = blocker(x, y, s.width, s.height)
            if right is None:
                break
            x = right + 2
        s.x, s.y = x, y
        x += s.width + 1
        shelf_h = max(shelf_h, s.height)
    return max([y + shelf_h] + [r[3] for r in pinned])

# ---------------------------------------------------------------- image


class Image:
    def __init__(self, w, h, fill=0):
        self.w, self.h = w, h
        self.px = [fill] * (w * h)

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = c

    def get(self, x, y):
        return self.px[y * self.w + x]

    def bmp(self):
        row_pad = (4 - (self.w * 3) % 4) % 4
        rows = []
        for y in range(self.h - 1, -1, -1):
            row = bytearray()
            for x in range(self.w):
                c = self.px[y * self.w + x]
                row += bytes(((c & 0xFF), (c >> 8) & 0xFF, (c >> 16) & 0xFF))
            row += b"\0" * row_pad
            rows.append(bytes(row))
        data = b"".join(rows)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
        return head + info + data


def rgb(r, g, b):
    return (max(0, min(255, int(r))) << 16) | (max(0, min(255, int(g))) << 8) | max(0, min(255, int(b)))


def split(c):
    return (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF


def mix(c, other, t):
    """t parts of other into c, t as a fraction of 256 to stay in integers."""
    r1, g1, b1 = split(c)
    r2, g2, b2 = split(other)
    return rgb(r1 + ((r2 - r1) * t) // 256, g1 + ((g2 - g1) * t) // 256, b1 + ((b2 - b1) * t) // 256)


WHITE, BLACK = 0xFFFFFF, 0x000000
GREY = 0x9A9A9A

# ---------------------------------------------------------------- font 5 x 7

FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "J": ["00111", "00010", "00010", "00010", "00010", "10010", "01100"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "10001", "11001", "10101", "10011", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    "Z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "3": ["11111", "00010", "00100", "00010", "00001", "10001", "01110"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "5": ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    "6": ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    "7": ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    "9": ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    " ": ["00000"] * 7,
    "-": ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    "i": ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
}


def text_width(text):
    return max(0, len(text) * 6 - 1)


def draw_text(img, x, y, text, colour):
    for ch in text:
        glyph = FONT.get(ch, FONT.get(ch.upper(), FONT[" "]))
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "1":
                    img.set(x + gx, y + gy, colour)
        x += 6

# ---------------------------------------------------------------- symbols


def inside_polygon(px, py, pts):
    """Even-odd test at the pixel centre."""
    cx, cy = px + 0.5, py + 0.5
    inside = False
    n = len(pts)
    for i in range(n):
        x1, y1 = pts[i]
        x2, y2 = pts[(i + 1) % n]
        if (y1 > cy) != (y2 > cy):
            xi = x1 + (cy - y1) * (x2 - x1) / (y2 - y1)
            if cx < xi:
                inside = not inside
    return inside


def fill_polygon(img, pts, colour):
    x0 = max(0, int(min(p[0] for p in pts)) - 1)
    x1 = min(img.w, int(max(p[0] for p in pts)) + 2)
    y0 = max(0, int(min(p[1] for p in pts)) - 1)
    y1 = min(img.h, int(max(p[1] for p in pts)) + 2)
    for y in range(y0, y1):
        for x in range(x0, x1):
            if inside_polygon(x, y, pts):
                img.set(x, y, colour)


def fill_rect(img, x0, y0, x1, y1, colour):
    for y in range(int(y0), int(y1)):
        for x in range(int(x0), int(x1)):
            img.set(x, y, colour)


def fill_circle(img, cx, cy, r, colour, ring=None):
    for y in range(int(cy - r - 1), int(cy + r + 2)):
        for x in range(int(cx - r - 1), int(cx + r + 2)):
            d = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
            if d <= r * r and (ring is None or d >= (r - ring) ** 2):
                img.set(x, y, colour)


def draw_line(img, x0, y0, x1, y1, thick, colour):
    minx, maxx = int(min(x0, x1) - thick - 1), int(max(x0, x1) + thick + 2)
    miny, maxy = int(min(y0, y1) - thick - 1), int(max(y0, y1) + thick + 2)
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    for y in range(miny, maxy):
        for x in range(minx, maxx):
            px, py = x + 0.5, y + 0.5
            t = 0 if ll == 0 else max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / ll))
            qx, qy = x0 + t * dx, y0 + t * dy
            if (px - qx) ** 2 + (py - qy) ** 2 <= (thick / 2.0) ** 2:
                img.set(x, y, colour)


def draw_symbol(img, ox, oy, w, h, name, colour, accent):
    """Draws a symbol centred in the box (ox, oy, w, h)."""
    s = min(w, h)
    m = max(1, s // 5)                      # margin
    cx, cy = ox + w / 2.0, oy + h / 2.0
    a = s - 2 * m                           # symbol size
    l, t = cx - a / 2.0, cy - a / 2.0
    r, b = l + a, t + a
    thick = max(1.0, a / 6.0)
    if name == "play":
        fill_polygon(img, [(l + a * 0.15, t), (r, cy), (l + a * 0.15, b)], colour)
    elif name == "stop":
        fill_rect(img, round(l + a * 0.1), round(t + a * 0.1), round(r - a * 0.1), round(b - a * 0.1), colour)
    elif name == "pause":
        bw = max(1, round(a * 0.3))
        fill_rect(img, round(l + a * 0.1), round(t), round(l + a * 0.1) + bw, round(b), colour)
        fill_rect(img, round(r - a * 0.1) - bw, round(t), round(r - a * 0.1), round(b), colour)
    elif name == "record":
        fill_circle(img, cx, cy, a / 2.0, accent)
    elif name in ("volume", "mute"):
        fill_polygon(img, [(l, t + a * 0.35), (l + a * 0.25, t + a * 0.35), (l + a * 0.55, t),
                      (l + a * 0.55, b), (l + a * 0.25, t + a * 0.65), (l, t + a * 0.65)], colour)
        if name == "volume":
            for rr in (a * 0.3, a * 0.5):
                for y in range(int(t) - 1, int(b) + 2):
                    for x in range(int(l + a * 0.55), int(r) + 2):
                        dx, dy = x + 0.5 - (l + a * 0.5), y + 0.5 - cy
                        d = (dx * dx + dy * dy) ** 0.5
                        if dx > abs(dy) * 0.8 and abs(d - rr) <= 0.6:
                            img.set(x, y, colour)
        else:
            draw_line(img, l + a * 0.68, t + a * 0.3, r, b - a * 0.3, thick, accent)
            draw_line(img, l + a * 0.68, b - a * 0.3, r, t + a * 0.3, thick, accent)
    elif name == "close":
        draw_line(img, l + a * 0.1, t + a * 0.1, r - a * 0.1, b - a * 0.1, thick + 0.5, colour)
        draw_line(img, l + a * 0.1, b - a * 0.1, r - a * 0.1, t + a * 0.1, thick + 0.5, colour)
    elif name == "minimise":
        fill_rect(img, round(l + a * 0.1), round(b - thick - 1), round(r - a * 0.1), round(b - 1), colour)
    elif name == "menu":
        for k in range(3):
            yy = round(t + a * (0.15 + 0.35 * k))
            fill_rect(img, round(l), yy, round(r), yy + max(1, round(thick)), colour)
    elif name in ("up", "down", "left", "right"):
        pts = {"up": [(l, b - a * 0.2), (cx, t + a * 0.15), (r, b - a * 0.2)],
               "down": [(l, t + a * 0.2), (r, t + a * 0.2), (cx, b - a * 0.15)],
               "left": [(r - a * 0.2, t), (r - a * 0.2, b), (l + a * 0.15, cy)],
               "right": [(l + a * 0.2, t), (r - a * 0.15, cy), (l + a * 0.2, b)]}[name]
        fill_polygon(img, pts, colour)
    elif name in ("prev", "next"):
        k = 1 if name == "next" else -1
        for off in (-a * 0.22, a * 0.22):
            x0 = cx + off
            fill_polygon(img, [(x0 - k * a * 0.25, t + a * 0.1), (x0 + k * a * 0.25, cy), (x0 - k * a * 0.25, b - a * 0.1)], colour)
        bx = r - 1 if k == 1 else l
        fill_rect(img, round(bx), round(t + a * 0.1), round(bx) + 1, round(b - a * 0.1), colour)
    elif name == "plus":
        fill_rect(img, round(l), round(cy - thick / 2), round(r), round(cy - thick / 2) + max(1, round(thick)), colour)
        fill_rect(img, round(cx - thick / 2), round(t), round(cx - thick / 2) + max(1, round(thick)), round(b), colour)
    elif name == "minus":
        fill_rect(img, round(l), round(cy - thick / 2), round(r), round(cy - thick / 2) + max(1, round(thick)), colour)
    elif name == "info":
        fill_circle(img, cx, cy, a / 2.0, colour, ring=1.2)
        fill_rect(img, round(cx - 0.5), round(t + a * 0.2), round(cx - 0.5) + 1, round(t + a * 0.2) + 1, colour)
        fill_rect(img, round(cx - 0.5), round(t + a * 0.4), round(cx - 0.5) + 1, round(b - a * 0.15), colour)
    elif name == "star":
        pts = []
        for k in range(10):
            rr = a / 2.0 if k % 2 == 0 else a / 4.6
            ang = -90 + k * 36
            pts.append((cx + rr * math.cos(math.radians(ang)), cy + rr * math.sin(math.radians(ang))))
        fill_polygon(img, pts, accent)
    elif name == "dot":
        fill_circle(img, cx, cy, a / 3.0, accent)
    elif name == "mail":
        fill_rect(img, round(l), round(t + a * 0.2), round(r), round(b - a * 0.15), colour)
        draw_line(img, l, t + a * 0.2, cx, cy + a * 0.05, 1, accent)
        draw_line(img, r, t + a * 0.2, cx, cy + a * 0.05, 1, accent)
    elif name == "extend":
        for off in (-a * 0.2, a * 0.2):
            draw_line(img, cx + off - a * 0.15, cy - a * 0.3, cx + off + a * 0.15, cy, thick, colour)
            draw_line(img, cx + off + a * 0.15, cy, cx + off - a * 0.15, cy + a * 0.3, thick, colour)
    elif name == "grip":
        for k in range(3):
            draw_line(img, r - a * (0.3 + 0.3 * k), b, r, b - a * (0.3 + 0.3 * k), 1, colour)
    elif name == "knob":
        fill_rect(img, round(cx - 1), round(t), round(cx + 1), round(b), mix(colour, BLACK, 120))
    elif name == "check":
        draw_line(img, l + a * 0.1, cy, cx - a * 0.1, b - a * 0.15, thick + 0.5, colour)
        draw_line(img, cx - a * 0.1, b - a * 0.15, r - a * 0.05, t + a * 0.15, thick + 0.5, colour)
    elif name == "download":
        fill_rect(img, round(cx - thick / 2), round(t), round(cx - thick / 2) + max(1, round(thick)), round(cy), colour)
        fill_polygon(img, [(l + a * 0.15, cy - a * 0.1), (r - a * 0.15, cy - a * 0.1), (cx, b - a * 0.2)], colour)
        fill_rect(img, round(l), round(b - 1), round(r), round(b), colour)
    elif name == "bell":
        fill_polygon(img, [(cx - a * 0.1, t), (cx + a * 0.1, t), (r - a * 0.15, b - a * 0.25), (r, b - a * 0.15),
                      (l, b - a * 0.15), (l + a * 0.15, b - a * 0.25)], colour)
        fill_circle(img, cx, b - a * 0.05, a * 0.12, colour)
    elif name == "power":
        fill_circle(img, cx, cy + a * 0.05, a * 0.45, colour, ring=max(1.0, thick))
        fill_rect(img, round(cx - thick / 2) - 1, round(t - 1), round(cx + thick / 2) + 1, round(cy), mix(colour, BLACK, 200))
        fill_rect(img, round(cx - thick / 2), round(t), round(cx - thick / 2) + max(1, round(thick)), round(cy), colour)
    elif name == "skin":
        fill_rect(img, round(l), round(t), round(r), round(b), mix(colour, WHITE, 90))
        fill_rect(img, round(l + 1), round(t + 1), round(r - 1), round(t + a * 0.35), colour)
    elif name.startswith("spin"):
        phase = int(name[4:])
        for k in range(8):
            ang = math.radians(k * 45 - 90)
            shade = mix(colour, WHITE, 200) if k == phase else mix(colour, BLACK, 60)
            fill_circle(img, cx + a * 0.38 * math.cos(ang), cy + a * 0.38 * math.sin(ang), max(0.8, a * 0.11), shade)
    elif name == "bars":
        n = max(1, w // 4)
        for k in range(n):
            hh = max(1, (h - 2) * (k + 1) // n)
            fill_rect(img, ox + k * 4 + 1, oy + h - 1 - hh, ox + k * 4 + 3, oy + h - 1, colour)
    elif name == "panel":
        pass
    else:
        raise ValueError("unknown symbol %s" % name)

# ---------------------------------------------------------------- cells

STATE_NAMES = ("normal", "hover", "selected", "pressed", "disabled")


def probe_colour(sprite_id, cell):
    return rgb(sprite_id & 0xFF, (sprite_id >> 8) | (cell << 1), PROBE_BLUE)


def draw_button_cell(img, x0, y0, w, h, base, state, symbol, label):
    if state == 0:
        top, bottom, border, fg = mix(base, WHITE, 70), base, mix(base, BLACK, 150), WHITE
    elif state == 1:
        top, bottom, border, fg = mix(base, WHITE, 150), mix(base, WHITE, 80), mix(base, WHITE, 200), WHITE
    elif state == 2:
        top, bottom, border, fg = mix(base, BLACK, 110), mix(base, BLACK, 60), 0xF0C040, 0xF8E070
    elif state == 3:
        top, bottom, border, fg = mix(base, BLACK, 150), mix(base, BLACK, 100), mix(base, BLACK, 200), WHITE
    else:
        top, bottom, border, fg = 0xC8C8C8, 0xB4B4B4, 0x8C8C8C, 0x808080
    for y in range(h):
        c = mix(top, bottom, (y * 256) // max(1, h - 1))
        for x in range(w):
            img.set(x0 + x, y0 + y, c)
    if w >= 4 and h >= 4:
        for x in range(w):
            img.set(x0 + x, y0, border)
            img.set(x0 + x, y0 + h - 1, border)
        for y in range(h):
            img.set(x0, y0 + y, border)
            img.set(x0 + w - 1, y0 + y, border)
        for (cx, cy) in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
            img.set(x0 + cx, y0 + cy, mix(border, bottom, 128))
    shift = 1 if state == 3 else 0
    accent = 0xE03030 if state != 4 else 0x909090
    if symbol == "star" and state != 4:
        accent = 0xF0C040
    if symbol:
        draw_symbol(img, x0 + shift, y0 + shift, w, h, symbol, fg, accent)
    if label:
        tw = text_width(label)
        tx = x0 + (w - tw) // 2 + shift
        ty = y0 + (h - 7) // 2 + shift
        if state != 4:
            draw_text(img, tx + 1, ty + 1, label, mix(bottom, BLACK, 160))
        draw_text(img, tx, ty, label, fg)


def draw_picture(img, s, x0, y0, w, h, frame, label, panel_label="TUNERDECK"):
    base = s.colour
    if s.symbol == "panel":
        draw_panel(img, x0, y0, w, h, base, panel_label)
        return
    for y in range(h):
        c = mix(base, BLACK, (y * 60) // max(1, h - 1)) if h > 2 else base
        for x in range(w):
            img.set(x0 + x, y0 + y, c)
    if s.kind == "strip" and s.symbol == "level":
        fill = (h * (frame + 1)) // s.cells
        for y in range(h - fill, h):
            c = 0x58C070 if y > h // 3 else (0xE0C040 if y > h // 8 else 0xE04040)
            for x in range(1, w - 1):
                img.set(x0 + x, y0 + y, c)
        for y in range(0, h - fill):
            for x in range(1, w - 1):
                img.set(x0 + x, y0 + y, 0x1A2430)
        return
    if s.kind == "strip" and s.symbol == "rank":
        draw_text(img, x0 + (w - text_width(str(frame + 1))) // 2, y0 + (h - 7) // 2, str(frame + 1), WHITE)
        return
    if s.kind == "strip" and s.symbol == "grow":
        # a play button that lights up step by step
        glow = mix(base, WHITE, (frame * 200) // max(1, s.cells - 1))
        for y in range(h):
            for x in range(w):
                img.set(x0 + x, y0 + y, mix(glow, BLACK, (y * 60) // max(1, h - 1)))
        draw_symbol(img, x0, y0, w, h, "play", WHITE, WHITE)
        return
    if s.symbol:
        draw_symbol(img, x0, y0, w, h, s.symbol, WHITE, 0xE03030 if s.symbol != "star" else 0xF0C040)
    if label:
        draw_text(img, x0 + (w - text_width(label)) // 2, y0 + (h - 7) // 2, label, WHITE)


def draw_panel(img, x0, y0, w, h, base, caption="TUNERDECK"):
    """The main window's background: frame, display area, button well."""
    for y in range(h):
        c = mix(base, 0x3A5070, (y * 256) // max(1, h - 1))
        for x in range(w):
            img.set(x0 + x, y0 + y, c)
    edge = mix(base, WHITE, 60)
    for x in range(w):
        img.set(x0 + x, y0, edge)
        img.set(x0 + x, y0 + h - 1, mix(base, BLACK, 120))
    for y in range(h):
        img.set(x0, y0 + y, edge)
        img.set(x0 + w - 1, y0 + y, mix(base, BLACK, 120))
    # display
    fill_rect(img, x0 + 16, y0 + 22, x0 + w - 30, y0 + 120, 0x0E1620)
    for x in range(x0 + 16, x0 + w - 30):
        img.set(x, y0 + 22, 0x06090C)
        img.set(x, y0 + 119, 0x46607C)
    draw_text(img, x0 + 8, y0 + 6, caption, 0xB8C8DC)
    # well under the transport buttons
    fill_rect(img, x0 + 12, y0 + 150, x0 + w - 12, y0 + 196, mix(base, BLACK, 80))


# Sprites whose top-left pixel the engine also reads as a colour: the close
# button's (14) is the ground of the navigator's station details, so its
# rounded corner shows the navigator's light ground rather than a dark red.
CORNER_COLOURS = {14: 0xF4F6F8}


def draw_sprite(img, s, english, panel_label="TUNERDECK"):
    label = s.label_en if english else s.label_de
    if s.kind == "btn5":
        for k in range(5):
            draw_button_cell(img, s.x + k * s.cell_w, s.y, s.cell_w, s.cell_h, s.colour, k, s.symbol, label)
        if s.id in CORNER_COLOURS:
            img.set(s.x, s.y, CORNER_COLOURS[s.id])
    elif s.kind in ("strip", "img"):
        for k in range(s.cells):
            draw_picture(img, s, s.x + k * s.cell_w, s.y, s.cell_w, s.cell_h, k, label, panel_label)
    elif s.kind == "tile":
        for y in range(s.height):
            c = mix(s.colour, BLACK, (y * 40) // max(1, s.height - 1)) if s.height > 2 else s.colour
            for x in range(s.width):
                img.set(s.x + x, s.y + y, c)
        img.set(s.x, s.y, s.colour)
    elif s.kind == "colour":
        fill_rect(img, s.x, s.y, s.x + s.width, s.y + s.height, s.colour)
    elif s.kind == "frame":
        fill_rect(img, s.x, s.y, s.x + s.width, s.y + s.height, s.colour)
        if s.width > 2 and s.height > 2:
            fill_rect(img, s.x + 1, s.y + 1, s.x + s.width - 1, s.y + 2, mix(s.colour, WHITE, 60))
    if s.has_probe():
        for k in range(s.cells):
            img.set(s.x + k * s.cell_w + 2, s.y + 2, probe_colour(s.id, k))


def master(sprites, height, english, settings=None):
    settings = settings or Settings()
    img = Image(settings.master_w, height, fill=settings.background)
    for s in sorted(sprites, key=lambda s: s.id):
        draw_sprite(img, s, english, settings.panel_label)
    return img


def thumbnail(big, sprites, settings=None):
    """A preview (100 x 70 by default): the main window background shrunk, then the play button."""
    settings = settings or Settings()
    tw, th = settings.thumb_w, settings.thumb_h
    by_id = {s.id: s for s in sprites}
    thumb = Image(tw, th, fill=0x22303C)
    bg = by_id.get(294)
    if bg:
        for y in range(th):
            for x in range(tw):
                thumb.set(x, y, big.get(bg.x + x * bg.width // tw, bg.y + y * bg.height // th))
    play = by_id.get(1)
    if play:
        px, py = (tw * 28) // 100, (th * 26) // 70
        for y in range(play.cell_h):
            for x in range(play.cell_w):
                if px + x < tw and py + y < th:
                    thumb.set(px + x, py + y, big.get(play.x + x, play.y + y))
    draw_text(thumb, 4, th - 10, settings.thumb_label, 0xDCE6F0)
    return thumb

# ---------------------------------------------------------------- cursors


def cursor(shape):
    """A 32 x 32 monochrome cursor; shape(x, y) -> None (transparent), 0 black, 1 white."""
    xor_rows, and_rows = [], []
    for y in range(31, -1, -1):
        xb = ab = 0
        for x in range(32):
            v = shape(x, y)
            xb = (xb << 1) | (1 if v == 1 else 0)
            ab = (ab << 1) | (1 if v is None else 0)
        xor_rows.append(struct.pack(">I", xb))
        and_rows.append(struct.pack(">I", ab))
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    body = info + palette + b"".join(xor_rows) + b"".join(and_rows)
    return body


def cursor_file(shape, hot_x, hot_y):
    body = cursor(shape)
    head = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, hot_x, hot_y, len(body), 6 + 16)
    return head + entry + body


def outlined(inside):
    """White shape with a black outline from a predicate of the filled pixels."""
    def shape(x, y):
        if inside(x, y):
            return 1
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if inside(x + dx, y + dy):
                    return 0
        return None
    return shape


def arrow_cross(x, y):
    cx = cy = 11
    if abs(x - cx) <= 1 and 2 <= y <= 20 or abs(y - cy) <= 1 and 2 <= x <= 20:
        return True
    for (ax, ay, dx, dy) in ((cx, 1, 0, 1), (cx, 21, 0, -1), (1, cy, 1, 0), (21, cy, -1, 0)):
        # arrow heads: a triangle of depth 5
        along = (x - ax) * dx + (y - ay) * dy
        across = abs((x - ax) * dy + (y - ay) * dx) if dx == 0 else abs(y - ay)
        if dx == 0:
            across = abs(x - ax)
        if 0 <= along <= 5 and across <= along:
            return True
    return False


def diagonal(flip):
    def inside(x, y):
        u = x if not flip else 21 - x
        if 2 <= u <= 19 and 2 <= y <= 19 and abs(u - y) <= 1:
            return True
        if (u <= 7 and y <= 7 and u + y <= 9 and (u <= 2 or y <= 2)) or (u >= 14 and y >= 14 and u + y >= 33 and (u >= 19 or y >= 19)):
            return True
        return False
    return inside


def hand(x, y):
    if 6 <= x <= 8 and 1 <= y <= 10:          # pointing finger
        return True
    if 3 <= x <= 15 and 9 <= y <= 18:          # palm
        return (x, y) not in ((3, 9), (15, 9))
    if 9 <= x <= 15 and 7 <= y <= 9:           # folded fingers
        return True
    return False


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)

# ---------------------------------------------------------------- tables


def rect_table(sprites, source="sprites.table"):
    rects = [(-1, -1, -1, -1)] * RESOURCE_IDS
    for s in sprites:
        rects[s.id] = rect_of(s)
    lines = ["// Generated from %s; do not edit." % source]
    for i, r in enumerate(rects):
        lines.append("{%d, %d, %d, %d},  // %d" % (r + (i,)))
    return ("\n".join(lines) + "\n").encode("ascii")


def rule_table(sprites, height, settings=None, source="sprites.table"):
    settings = settings or Settings()
    macro = settings.prefix.upper()
    kinds = {k: i for i, k in enumerate(KINDS)}
    lines = ["// Generated from %s; do not edit." % source,
             "// id, kind (%s), cells, cell width, cell height, sample colour (0xRRGGBB or -1), probe" % ", ".join(KINDS),
             "#define %s_MASTER_WIDTH %d" % (macro, settings.master_w),
             "#define %s_MASTER_HEIGHT %d" % (macro, height),
             "#define %s_SPRITE_ROWS \\" % macro]
    rows = []
    for s in sorted(sprites, key=lambda s: s.id):
        sample = s.colour if s.kind in ("tile", "colour", "frame") else -1
        rows.append("    {%d, %d, %d, %d, %d, %d, %d}" % (s.id, kinds[s.kind], s.cells, s.cell_w, s.cell_h, sample,
                                                        1 if s.has_probe() else 0))
    lines.append(", \\\n".join(rows))
    return ("\n".join(lines) + "\n").encode("ascii")


def write_skin(table, out):
    settings = Settings()
    sprites = read_table(table, settings)
    source = os.path.basename(table)
    used = pack(sprites, settings.master_w) + 1
    height = settings.master_h if settings.master_h else used
    if used > height:
        raise ValueError("the sprites need %d rows, the master bitmap has %d" % (used, height))
    de = master(sprites, height, False, settings)
    write(os.path.join(out, settings.master_name + ".bmp"), de.bmp())
    if settings.english_name:
        write(os.path.join(out, settings.english_name + ".bmp"), master(sprites, height, True, settings).bmp())
    write(os.path.join(out, settings.thumb_name + ".bmp"), thumbnail(de, sprites, settings).bmp())
    write(os.path.join(out, settings.prefix + "_rects.inc"), rect_table(sprites, source))
    write(os.path.join(out, settings.prefix + "_sprites.inc"), rule_table(sprites, height, settings, source))


def icon_image(size):
    """A size x size 32-bit icon image: a blue rounded tile with a white play sign."""
    pixels = []
    for y in range(size - 1, -1, -1):           # bottom-up rows
        for x in range(size):
            corner = size // 5
            dx = max(corner - x, x - (size - 1 - corner), 0)
            dy = max(corner - y, y - (size - 1 - corner), 0)
            inside = dx * dx + dy * dy <= corner * corner
            u, v = (x + 0.5) / size, (y + 0.5) / size
            play = 0.34 <= u <= 0.74 and abs(v - 0.5) <= (0.74 - u) * 0.62
            if not inside:
                pixels.append(struct.pack("<BBBB", 0, 0, 0, 0))
            elif play:
                pixels.append(struct.pack("<BBBB", 0xFF, 0xFF, 0xFF, 0xFF))
            else:
                pixels.append(struct.pack("<BBBB", 0xB4, 0x6F, 0x2D, 0xFF))
    mask_row = ((size + 31) // 32) * 4
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return info + b"".join(pixels) + b"\0" * (mask_row * size)


def icon_file(size):
    body = icon_image(size)
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(body), 6 + 16)
    return head + entry + body


def write_cursors(out):
    write(os.path.join(out, "IDC_CUR_MOVE.cur"), cursor_file(outlined(arrow_cross), 11, 11))
    write(os.path.join(out, "IDC_CUR_LINK.cur"), cursor_file(outlined(hand), 7, 1))
    write(os.path.join(out, "IDC_CUR_RESIZE.cur"), cursor_file(outlined(diagonal(False)), 11, 11))
    write(os.path.join(out, "IDC_CUR_SIZEB.cur"), cursor_file(outlined(diagonal(True)), 11, 11))
    # The player window's icons, small and big.
    write(os.path.join(out, "FK_SMALL.ico"), icon_file(16))
    write(os.path.join(out, "FK_BIG.ico"), icon_file(32))


def check(table, built):
    import filecmp
    import tempfile
    with tempfile.TemporaryDirectory() as a, tempfile.TemporaryDirectory() as b:
        for out in (a, b):
            write_skin(table, out)
            write_cursors(out)
        names = sorted(os.listdir(a))
        bad = [n for n in names if not filecmp.cmp(os.path.join(a, n), os.path.join(b, n), shallow=False)]
        if built:
            bad += ["built " + n for n in names if os.path.exists(os.path.join(built, n)) and
                    not filecmp.cmp(os.path.join(a, n), os.path.join(built, n), shallow=False)]
    if bad:
        sys.stderr.write("not reproducible: %s\n" % ", ".join(bad))
        return 1
    print("%d files reproduced byte for byte" % len(names))
    return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "check":
        return check(argv[2], argv[3])
    if len(argv) == 4 and argv[1] == "skin":
        os.makedirs(argv[3], exist_ok=True)
        write_skin(argv[2], argv[3])
        return 0
    if len(argv) == 3 and argv[1] == "cursors":
        os.makedirs(argv[2], exist_ok=True)
        write_cursors(argv[2])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
