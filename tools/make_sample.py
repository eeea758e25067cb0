#!/usr/bin/env python3
"""Builds the sample data that Chichotek shows on its first start.

Writes, relative to the repository root:

    sample/DataBase/      the joke libraries (seznam.dat, L.da1 .. L.da4,
                          L.ico, L.vtp and the folder L/ for every library L)
    sample/pozadi.bmp     background picture of the main window
    sample/chichotek.cfg  default program settings

All text files are Windows-1250 with CR LF line breaks.  Joke files are
written the way the Windows rich-edit control saves them, so the sample also
shows that documents coming from the old program open correctly.  The output
is byte-for-byte reproducible: only the standard library is used and the
"random" pattern of the background comes from a fixed linear congruential
generator.

Usage:  python3 tools/make_sample.py
"""

import math
import os
import re
import shutil
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SAMPLE = os.path.join(ROOT, "sample")
DATABASE = os.path.join(SAMPLE, "DataBase")

CRLF = "\r\n"
CP = "cp1250"


def enc(text):
    """Text -> Windows-1250 bytes; fails loudly on a character it cannot hold."""
    return text.encode(CP, errors="strict")


def write_bytes(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Joke markup
#
# Each joke is written as lines; one line = one paragraph, an empty line is an
# empty paragraph.  Line prefixes:  ^ centred,  # title (bigger letters),
# "- " bullet item,  @ program code (Courier New).  Inside a line:  *bold*,
# _italic_,  [r]red[/]  [n]navy[/]  [g]green[/]  [m]maroon[/]  [p]purple[/].
# ---------------------------------------------------------------------------

COLOURS = {
    "r": (255, 0, 0),
    "n": (0, 0, 128),
    "g": (0, 128, 0),
    "m": (128, 0, 0),
    "p": (128, 0, 128),
}


class Para:
    def __init__(self):
        self.centre = False
        self.title = False
        self.bullet = False
        self.code = False
        self.runs = []  # (text, bold, italic, colour or None)

    @property
    def text(self):
        return "".join(r[0] for r in self.runs)


def parse_para(line):
    p = Para()
    while True:
        if line.startswith("^"):
            p.centre, line = True, line[1:]
        elif line.startswith("#"):
            p.title, line = True, line[1:]
        elif line.startswith("@"):
            p.code, line = True, line[1:]
        elif line.startswith("- "):
            p.bullet, line = True, line[2:]
        else:
            break
    bold = italic = False
    colour = None
    buf = ""
    i = 0

    def flush():
        nonlocal buf
        if buf:
            p.runs.append((buf, bold, italic, colour))
            buf = ""

    while i < len(line):
        ch = line[i]
        if ch == "*" and not p.code:
            flush()
            bold = not bold
            i += 1
        elif ch == "_" and not p.code:
            flush()
            italic = not italic
            i += 1
        elif ch == "[" and line[i + 2:i + 3] == "]" and (line[i + 1] in COLOURS or line[i + 1] == "/"):
            flush()
            colour = None if line[i + 1] == "/" else COLOURS[line[i + 1]]
            i += 3
        else:
            buf += ch
            i += 1
    flush()
    assert not bold and not italic and colour is None, "unclosed markup: " + line
    return p


class Joke:
    def __init__(self, name, body, kind="rich", font="arial", size=20):
        assert kind in ("rich", "old", "plain", "missing")
        self.name = name
        self.kind = kind
        self.font = font
        self.size = size
        lines = body.strip("\n").split("\n") if body else []
        self.paras = [parse_para(l) for l in lines]

    def plain_text(self):
        """The text a reader should get out of the file: paragraphs + LF."""
        return "".join(p.text + "\n" for p in self.paras)


class Library:
    def __init__(self, name, author, description, icon, jokes, password=""):
        self.name = name
        self.author = author
        self.description = description
        self.icon = icon
        self.jokes = jokes
        self.password = password


# ---------------------------------------------------------------------------
# RTF writers
# ---------------------------------------------------------------------------

FONTS = {
    # key: (family, RTF name part)
    "shell": ("fswiss", r"{\*\fname MS Sans Serif;}MS Shell Dlg;"),
    "arial": ("fswiss", "Arial;"),
    "times": ("froman", "Times New Roman;"),
    "courier": ("fmodern", "Courier New;"),
}


def rtf_escape(text):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ch == "\t":
            out.append("\\tab ")
        elif ord(ch) < 0x20:
            raise ValueError("control character in joke text")
        elif ord(ch) < 0x80:
            out.append(ch)
        else:
            out.append("\\'%02x" % enc(ch)[0])
    return "".join(out)


_ENDS_WITH_WORD = re.compile(r"\\[a-z]+-?\d*$")


def glue(ctl, text):
    """Control words followed by text: a space delimits the last word."""
    if text and _ENDS_WITH_WORD.search(ctl) and text[0] not in "\\{}":
        return ctl + " " + text
    return ctl + text


def title_size(size):
    return min(size + 4, 24)


def rich_rtf(joke):
    """RichEdit 2.0/3.0 output (WordPad of Windows 98/2000/XP)."""
    uses_bullets = any(p.bullet for p in joke.paras)
    uses_code = any(p.code for p in joke.paras)
    fonts = [joke.font]
    sym = code = None
    if uses_bullets:
        sym = len(fonts)
        fonts.append("symbol")
    if uses_code:
        code = len(fonts)
        fonts.append("courier")
    ftbl = []
    for n, key in enumerate(fonts):
        if key == "symbol":
            ftbl.append(r"{\f%d\fnil\fcharset2 Symbol;}" % n)
        else:
            fam, name = FONTS[key]
            ftbl.append(r"{\f%d\%s\fcharset238%s%s}" % (n, fam, "" if name.startswith("{") else " ", name))
    colours = []
    for p in joke.paras:
        for r in p.runs:
            if r[3] is not None and r[3] not in colours:
                colours.append(r[3])

    out = [r"{\rtf1\ansi\ansicpg1250\deff0\deflang1029{\fonttbl" + "".join(ftbl) + "}" + CRLF]
    if colours:
        out.append(r"{\colortbl ;" + "".join(r"\red%d\green%d\blue%d;" % c for c in colours) + "}" + CRLF)

    # character state: colour index, bold, italic, font, size
    state = [0, False, False, None, None]

    def diff(new):
        s = ""
        if new[0] != state[0]:
            s += r"\cf%d" % new[0]
        if new[1] != state[1]:
            s += r"\b" if new[1] else r"\b0"
        if new[2] != state[2]:
            s += r"\i" if new[2] else r"\i0"
        if new[3] != state[3]:
            s += r"\f%d" % new[3]
        if new[4] != state[4]:
            s += r"\fs%d" % new[4]
        state[:] = new
        return s

    prev = None  # paragraph properties of the previous paragraph
    line = r"\viewkind4\uc1"
    for i, p in enumerate(joke.paras):
        props = ("c" if p.centre else "") + ("b" if p.bullet else "")
        ctl = ""
        if i == 0 or props != prev:
            ctl = r"\pard"
            if p.bullet:
                ctl += (r"{\pntext\f%d\'b7\tab}{\*\pn\pnlvlblt\pnf%d\pnindent0{\pntxtb\'b7}}"
                        r"\fi-200\li200" % (sym, sym))
            if p.centre:
                ctl += r"\qc"
        elif p.bullet:
            ctl = r"{\pntext\f%d\'b7\tab}" % sym
        prev = props
        size = title_size(joke.size) if p.title else joke.size
        font = code if p.code else 0
        body = ""
        for text, bold, italic, colour in p.runs:
            cf = colours.index(colour) + 1 if colour is not None else 0
            ctl += diff([cf, bold, italic, font, size])
            body += glue(ctl, rtf_escape(text))
            ctl = ""
        # the paragraph mark carries the plain body formatting
        ctl += diff([0, False, False, 0, joke.size])
        line += body + ctl + r"\par" + CRLF
        out.append(line)
        line = ""
    out.append("}" + CRLF)
    return "".join(out).encode("ascii") + b"\x00"


def old_rtf(joke):
    """RichEdit 1.0 output (WordPad of Windows 95): no \\ansicpg, the Czech
    code page comes only from the font's \\fcharset238, every formatting
    change restates everything after \\plain, and \\par opens the next line."""
    assert not any(p.bullet or p.code for p in joke.paras)
    fam, name = FONTS[joke.font]
    assert not name.startswith("{")
    colours = []
    for p in joke.paras:
        for r in p.runs:
            if r[3] is not None and r[3] not in colours:
                colours.append(r[3])
    out = [r"{\rtf1\ansi\deff0\deftab720{\fonttbl{\f0\fswiss MS Sans Serif;}"
           r"{\f1\froman\fcharset2 Symbol;}{\f2\%s\fcharset238 %s}}" % (fam, name) + CRLF,
           r"{\colortbl\red0\green0\blue0;" + "".join(r"\red%d\green%d\blue%d;" % c for c in colours) + "}" + CRLF]
    state = None
    prev = None
    text = ""
    for i, p in enumerate(joke.paras):
        pending = CRLF + r"\par" if i else r"\deflang1029"
        if i == 0 or p.centre != prev:
            pending += r"\pard" + (r"\qc" if p.centre else "")
        prev = p.centre
        size = title_size(joke.size) if p.title else joke.size
        for t, bold, italic, colour in p.runs:
            new = (size, colour, bold, italic)
            if new != state:
                pending += r"\plain\f2\fs%d" % size
                if colour is not None:
                    pending += r"\cf%d" % (colours.index(colour) + 1)
                if bold:
                    pending += r"\b"
                if italic:
                    pending += r"\i"
                state = new
            text += glue(pending, rtf_escape(t))
            pending = ""
        text += pending + (" " if pending else "")
    text += CRLF + r"\par }" + CRLF
    return "".join(out + [text]).encode("ascii") + b"\x00"


def plain_file(joke):
    assert not any(p.bullet or p.code for p in joke.paras)
    return enc("".join(p.text + CRLF for p in joke.paras))


# ---------------------------------------------------------------------------
# Icons: 32x32, 16 colours (standard VGA palette), transparent background
# ---------------------------------------------------------------------------

VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class Canvas:
    def __init__(self):
        self.px = [[None] * 32 for _ in range(32)]

    def shape(self, inside, fill, outline=None):
        """Paints every pixel whose centre lies inside; the shape's border
        pixels (a 4-neighbour outside the shape) get the outline colour."""
        pts = {(x, y) for y in range(32) for x in range(32) if inside(x + 0.5, y + 0.5)}
        for x, y in pts:
            edge = any((x + dx, y + dy) not in pts for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            self.px[y][x] = outline if edge and outline is not None else fill

    def dot(self, x, y, c):
        self.px[y][x] = c

    def glyphs(self, x, y, rows_list, c):
        for rows in rows_list:
            for dy, row in enumerate(rows):
                for dx, ch in enumerate(row):
                    if ch == "#":
                        self.dot(x + dx, y + dy, c)
            x += len(rows[0]) + 1


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def rect(x0, y0, x1, y1):
    """Pixels x0..x1, y0..y1 inclusive."""
    return lambda x, y: x0 <= x < x1 + 1 and y0 <= y < y1 + 1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 + 1 and y0 <= y < y1 + 1):
            return False
        cx = min(max(x, x0 + r), x1 + 1 - r)
        cy = min(max(y, y0 + r), y1 + 1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(pts):
    def inside(x, y):
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside


def segment(x0, y0, x1, y1, w):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) <= w / 2
    return inside


def star(cx, cy, R, r, points=5):
    pts = []
    for k in range(points * 2):
        a = -math.pi / 2 + k * math.pi / points
        rr = R if k % 2 == 0 else r
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return polygon(pts)


def icon_paw():
    c = Canvas()
    for cx, cy in ((6.5, 13.5), (12.0, 7.0), (20.0, 7.0), (25.5, 13.5)):
        c.shape(ellipse(cx, cy, 3.8, 4.8), MAROON, BLACK)
    c.shape(lambda x, y: ellipse(16, 23, 8.5, 6.8)(x, y) or ellipse(16, 19.5, 5.5, 4.5)(x, y), MAROON, BLACK)
    for x, y in ((12, 19), (13, 18), (11, 20)):  # light catching the pad
        c.dot(x, y, RED)
    for x, y in ((5, 11), (11, 5), (19, 5), (24, 11)):
        c.dot(x, y, RED)
    return c


DIGITS = {
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["##.", "..#", ".#.", "#..", "###"],
    "+": ["...", ".#.", "###", ".#.", "..."],
    "=": ["...", "###", "...", "###", "..."],
}


def icon_board():
    c = Canvas()
    c.shape(segment(9, 20, 5, 30.5, 2.2), OLIVE, BLACK)
    c.shape(segment(23, 20, 27, 30.5, 2.2), OLIVE, BLACK)
    c.shape(rect(1, 3, 30, 23), MAROON, BLACK)
    c.shape(rect(3, 5, 28, 21), GREEN)
    c.glyphs(6, 8, [DIGITS[ch] for ch in "1+1=2"], WHITE)
    for x in range(6, 26):  # a chalk wave under the sum
        c.dot(x, 16 + (1 if (x // 2) % 2 else 0), WHITE if x % 5 else SILVER)
    c.shape(rect(19, 22, 23, 22), WHITE)  # chalk on the ledge
    return c


def icon_cross():
    c = Canvas()
    c.shape(round_rect(1, 1, 30, 30, 6), WHITE, GRAY)
    c.shape(lambda x, y: rect(12, 5, 19, 26)(x, y) or rect(5, 12, 26, 19)(x, y), RED, MAROON)
    return c


def icon_house():
    c = Canvas()
    c.shape(rect(21, 3, 25, 11), MAROON, BLACK)
    c.shape(rect(4, 14, 27, 30), YELLOW, OLIVE)
    c.shape(polygon([(16, 1), (31, 15.5), (1, 15.5)]), RED, MAROON)
    c.shape(rect(13, 21, 18, 30), MAROON, BLACK)
    c.dot(17, 26, YELLOW)
    for x0 in (6, 20):
        c.shape(rect(x0, 18, x0 + 5, 23), AQUA, NAVY)
        for k in range(1, 5):
            c.dot(x0 + k, 20, NAVY)
        for y in range(19, 23):
            c.dot(x0 + 2, y, NAVY)
    c.shape(ellipse(16, 10, 2.6, 2.4), WHITE, MAROON)  # little round window in the gable
    return c


def icon_monitor():
    c = Canvas()
    c.shape(rect(12, 23, 19, 27), GRAY, BLACK)
    c.shape(round_rect(6, 26, 25, 30, 1.5), SILVER, BLACK)
    c.shape(round_rect(1, 2, 30, 24, 2), SILVER, BLACK)
    c.shape(rect(4, 5, 27, 20), NAVY, GRAY)
    c.shape(ellipse(15.5, 12.5, 5.6, 5.6), YELLOW, BLACK)
    for x, y in ((13, 11), (18, 11), (13, 10), (18, 10)):
        c.dot(x, y, BLACK)
    for x, y in ((12, 14), (13, 15), (14, 16), (15, 16), (16, 16), (17, 15), (18, 14)):
        c.dot(x, y, BLACK)
    c.dot(26, 22, LIME)
    c.dot(25, 22, GREEN)
    return c


def icon_wand():
    c = Canvas()
    c.shape(segment(3.5, 28.5, 15, 16.5, 3.0), BLACK)
    c.shape(segment(3.5, 28.5, 15, 16.5, 1.2), WHITE)
    c.shape(star(20, 11.5, 11.5, 4.8), YELLOW, OLIVE)
    for x, y in ((18, 10), (18, 11), (21, 10), (21, 11), (18, 13), (19, 14), (20, 14), (21, 13)):
        c.dot(x, y, BLACK)  # a friendly face
    for x0, y0, col in ((4, 4, AQUA), (27, 27, FUCHSIA), (8, 14, YELLOW)):
        for d in (-1, 1):
            c.dot(x0 + d, y0, col)
            c.dot(x0, y0 + d, col)
        c.dot(x0, y0, WHITE)
    for x, y, col in ((11, 3, FUCHSIA), (30, 22, AQUA), (23, 28, YELLOW), (2, 19, AQUA)):
        c.dot(x, y, col)
    return c


def ico_bytes(canvas):
    """One 32x32 4-bpp image: ICONDIR + entry + BITMAPINFOHEADER + palette +
    XOR bitmap + AND mask (both bottom-up)."""
    px = canvas.px
    xor = bytearray()
    mask = bytearray()
    for y in range(31, -1, -1):
        row = px[y]
        for x in range(0, 32, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += bits.to_bytes(4, "big")
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + palette + bytes(xor) + bytes(mask)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    return header + entry + image


# ---------------------------------------------------------------------------
# Background of the main window
# ---------------------------------------------------------------------------

class Lcg:
    def __init__(self, seed):
        self.s = seed & 0xFFFFFFFF

    def next(self):
        self.s = (self.s * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.s / 4294967296.0

    def uniform(self, a, b):
        return a + (b - a) * self.next()


def background(w=359, h=313):
    top_left = (240, 244, 250)
    bottom_right = (211, 224, 242)
    img = []
    for y in range(h):
        row = []
        for x in range(w):
            t = 0.35 * x / (w - 1) + 0.65 * y / (h - 1)
            sheen = 4.0 * math.exp(-((x - 0.3 * w) ** 2 + (y - 0.2 * h) ** 2) / (2 * 90.0 ** 2))
            row.append([a + (b - a) * t + sheen for a, b in zip(top_left, bottom_right)])
        img.append(row)

    def blend(x, y, colour, alpha):
        if 0 <= x < w and 0 <= y < h and alpha > 0:
            p = img[y][x]
            for k in range(3):
                p[k] += (colour[k] - p[k]) * alpha

    rnd = Lcg(0x5D1E)
    ink = (96, 124, 176)

    def smiley(cx, cy, r, rot, alpha):
        ca, sa = math.cos(rot), math.sin(rot)
        eyes = [(-0.36 * r, -0.25 * r), (0.36 * r, -0.25 * r)]
        eyes = [(cx + ex * ca - ey * sa, cy + ex * sa + ey * ca) for ex, ey in eyes]
        for y in range(int(cy - r - 2), int(cy + r + 3)):
            for x in range(int(cx - r - 2), int(cx + r + 3)):
                px, py = x + 0.5, y + 0.5
                d = math.hypot(px - cx, py - cy)
                cov = max(0.0, min(1.0, 1.1 - abs(d - r)))            # face
                for ex, ey in eyes:
                    cov = max(cov, min(1.0, max(0.0, 1.6 - math.hypot(px - ex, py - ey))))
                # smile: lower arc of a smaller circle, in the face's own frame
                lx = (px - cx) * ca + (py - cy) * sa
                ly = -(px - cx) * sa + (py - cy) * ca
                if ly > 0.05 * r:
                    ang = math.atan2(ly, lx)
                    fade = max(0.0, min(1.0, (math.sin(ang) - 0.35) * 4))
                    cov = max(cov, fade * max(0.0, min(1.0, 1.0 - abs(math.hypot(lx, ly) - 0.58 * r))))
                blend(x, y, ink, alpha * cov)

    confetti = [(250, 150, 160), (140, 200, 150), (240, 200, 110), (160, 160, 235), (120, 200, 220)]

    def flake(cx, cy, length, rot, colour, alpha):
        dx, dy = math.cos(rot) * length / 2, math.sin(rot) * length / 2
        for y in range(int(cy - length), int(cy + length) + 2):
            for x in range(int(cx - length), int(cx + length) + 2):
                px, py = x + 0.5, y + 0.5
                vx, vy = 2 * dx, 2 * dy
                t = max(0.0, min(1.0, ((px - cx + dx) * vx + (py - cy + dy) * vy) / (vx * vx + vy * vy)))
                d = math.hypot(px - (cx - dx + t * vx), py - (cy - dy + t * vy))
                blend(x, y, colour, alpha * max(0.0, min(1.0, 1.5 - d)))

    cell = 56
    for gy in range(-1, h // cell + 2):
        for gx in range(-1, w // cell + 2):
            ox = gx * cell + (cell // 2 if gy % 2 else 0)
            oy = gy * cell
            smiley(ox + rnd.uniform(14, 42), oy + rnd.uniform(14, 42), rnd.uniform(6.5, 9.0),
                   rnd.uniform(-0.45, 0.45), rnd.uniform(0.10, 0.16))
            for _ in range(3):
                colour = confetti[int(rnd.next() * len(confetti))]
                fx = ox + rnd.uniform(0, cell)
                fy = oy + rnd.uniform(0, cell)
                if rnd.next() < 0.5:
                    flake(fx, fy, rnd.uniform(3.0, 5.0), rnd.uniform(0, math.pi), colour, 0.30)
                else:
                    flake(fx, fy, 0.01, 0.0, colour, 0.28)

    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b = (max(0, min(255, int(round(v)))) for v in img[y][x])
            data += bytes((b, g, r))
        data += b"\0" * (stride - w * 3)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    return head + info + bytes(data)


# ---------------------------------------------------------------------------
# The jokes
# ---------------------------------------------------------------------------

LIBRARIES = [
    Library(
        "Zvířata", "Hana Ježková",
        "Vtipy o zvířatech velkých i malých.\n"
        "Kočky, psi, sloni, stonožky a jeden velmi chytrý papoušek.",
        icon_paw,
        [
            Joke("Želva a šnek", """
#*Želva a šnek*

Šnek se dovleče na policejní stanici celý rozklepaný.
„Pane strážmistře, přepadly mě dvě želvy!“
„Popište mi je. Jak vypadaly?“
*„To nevím. Všechno se to seběhlo strašně rychle.“*
""", font="shell", size=16),
            Joke("Pes v kině", """
Pán sedí v kině a vedle něj jiný pán se psem. Pes se celý film směje přesně tam, kde má, a na konci dokonce tleská tlapkami.
„Promiňte, ale to je neuvěřitelné,“ nevydrží pán. „Váš pes se opravdu baví!“
„Mě to taky moc překvapuje,“ přikývne majitel. [r]„Knížka se mu vůbec nelíbila.“[/]
""", font="arial", size=20),
            Joke("Ježek a kaktus", """
Malý ježek bloudí v noci po poušti a hledá maminku.
Najednou do něčeho vrazí a radostně vykřikne:
„Mami! Konečně!“
""", kind="plain"),
            Joke("Papoušek", """
^#*V obchodě se zvířaty*

Pán si chce koupit papouška.
„Kolik stojí tenhle modrý?“
„Pět tisíc. Umí tři jazyky.“
„A ten žlutý?“
„Deset tisíc. Umí pět jazyků a hraje šachy.“
„A ten starý zelený tamhle v rohu?“
„Ten stojí padesát tisíc.“
„Proboha, a co umí?“
[n]*„To nevím, pane. Ale ti dva mu říkají šéfe.“*[/]
""", font="times", size=20),
            Joke("Kočka a myš", """
Myška utíká před kočkou a na poslední chvíli zaleze do díry. Chvíli je ticho, pak se zvenku ozve: „Haf! Haf!“
„Aha, přišel pes a kočku zahnal,“ oddechne si myška a vykoukne ven. Kočka ji bleskově chytí za ocásek a spokojeně zavrní:
*_„Vidíš? Vyplatí se umět cizí jazyky.“_*
""", font="arial", size=18),
            Joke("Stonožka", """
Zvířátka pořádají v lese oslavu a zjistí, že jim došla limonáda. Pošlou pro ni stonožku, protože má nejvíc nohou a bude tam raz dva.
Uplyne hodina, pak druhá, a stonožka nikde. Liška jde nakouknout ven – a na prahu sedí stonožka.
„Kde jsi tak dlouho? Už jsi měla být dávno zpátky!“
*„Dejte mi pokoj, já se ještě obouvám!“*
""", font="shell", size=16),
            Joke("Slon v lednici", """
^#[n]*Velký zvířecí kvíz*[/]

- Jak dostaneš slona do lednice? *Otevřeš lednici, dáš dovnitř slona a zavřeš.*
- Jak dostaneš do lednice žirafu? *Otevřeš lednici, vyndáš slona, dáš dovnitř žirafu a zavřeš.*
- Lev pořádá narozeniny a přijdou všechna zvířata. Jedno ale chybí. Které? *Přece žirafa, je zavřená v lednici!*
- Jak přejdeš řeku plnou krokodýlů? *Klidně ji přeplaveš. Krokodýli jsou na oslavě u lva.*

Kdo odpověděl všechno správně, zaslouží si zmrzlinu. Jen opatrně s tou lednicí.
""", font="arial", size=20),
            Joke("Šílené krávy", """
^Dvě krávy se pasou na louce.
^„Slyšela jsi, že se prý šíří nemoc šílených krav?“
^„Mně je to jedno,“ odpoví druhá.
^[r]*„Já jsem totiž helikoptéra.“*[/]
""", font="times", size=22),
        ]),
    Library(
        "Škola", "Vendula Veselá",
        "Pepíček, paní učitelka a třídní kniha.\n"
        "Vtipy ze školních lavic pro žáky, rodiče i učitele.",
        icon_board,
        [
            Joke("Slohová práce", """
#*Slohová práce*

Paní učitelka rozdává opravené slohové práce na téma _Náš pes_.
„Pepíčku, tvoje práce je slovo od slova stejná jako práce tvého bratra. Jak mi to vysvětlíš?“
„To je jednoduché, paní učitelko. My máme přece stejného psa.“
""", font="times", size=20),
            Joke("Objevitel Ameriky", """
„Pepíčku, pojď k mapě a ukaž nám, kde leží Amerika.“
Pepíček chvíli hledá a pak zabodne ukazovátko přesně na správné místo.
„Výborně. A teď, děti, kdo objevil Ameriku?“
[r]*„Pepíček!“*[/] odpoví sborem celá třída.
""", font="times", size=20),
            Joke("Kapesné", """
„Pepíčku, když budeš mít v jedné kapse padesát korun a v druhé sto korun, co budeš mít?“
[g]*„Cizí kalhoty, paní učitelko.“*[/]
""", font="arial", size=20),
            Joke("Omluvenka", """
Pepíček přinese do školy omluvenku:

^[n]_Omlouvám Pepíčka, že včera nebyl ve škole, protože byl nemocný._[/]
^[n]_Podpis: Moje máma_[/]
""", font="times", size=22),
            Joke("Vysvědčení", """
„Tati, umíš se podepsat se zavřenýma očima?“
„Samozřejmě, to přece umím.“
*„Tak zavři oči a podepiš mi vysvědčení.“*
""", font="shell", size=16),
            Joke("Zájmena", """
„Pepíčku, řekni mi dvě zájmena.“
„Kdo? Já?“
*„Výborně, sedni si, jednička!“*
""", font="arial", size=20),
            Joke("Dějepis", """
*Dějepis*

„Pepíčku, víš, kdy zemřel Karel IV.?“
„On umřel? Já ani nevěděl, že byl nemocný.“
""", kind="old", font="times", size=20),
            Joke("Zeměpis", """
^„Pepíčku, jmenuj mi pět zvířat, která žijí v Africe.“
^*„Dva lvi a tři žirafy.“*
""", font="times", size=22),
        ]),
    Library(
        "Doktoři", "Ota Zdravý",
        "Smích je nejlepší lék – tady ho máte bez receptu.\n"
        "Vtipy z ordinace, z čekárny i od zubaře.",
        icon_cross,
        [
            Joke("U zubaře", """
#*U zubaře*

„Pane doktore, kolik stojí vytržení zubu?“
„Dva tisíce korun.“
„Dva tisíce za pět minut práce?“
*„Když budete chtít, můžu to dělat pomaleji.“*
""", font="arial", size=20),
            Joke("Housle", """
„Pane doktore, budu po té operaci ruky moct hrát na housle?“
„Samozřejmě, nebojte se.“
[r]„To je skvělé! Předtím jsem to totiž neuměl.“[/]
""", font="arial", size=18),
            Joke("Zapomnětlivost", """
„Pane doktore, mám hrozné potíže. Pořád všechno zapomínám.“
„A odkdy to máte?“
*„Odkdy mám co?“*
""", kind="old", font="arial", size=20),
            Joke("Neviditelný muž", """
Sestřička nakoukne do ordinace:
„Pane doktore, v čekárně sedí neviditelný muž.“
„Vyřiďte mu, že ho teď nemůžu vidět.“
""", font="times", size=20),
            Joke("Hubnutí", """
„Pane doktore, potřebuji zhubnout.“
„Choďte každý den pěšky pět kilometrů.“
Za měsíc doktorovi zazvoní telefon:
*„Pane doktore, zhubnul jsem osm kilo. Ale teď jsem sto padesát kilometrů od domova.“*
""", font="arial", size=20),
            Joke("Nikdo mě neposlouchá", """
^„Pane doktore, mě nikdo neposlouchá.“
^#[m]*„Další, prosím!“*[/]
""", font="times", size=20),
            Joke("Zlomený prst", """
„Pane doktore, bolí mě tady,“ ukáže pacient prstem na čelo. „A tady,“ ukáže na koleno. „A tady taky,“ ukáže na břicho.
Doktor si ho chvíli prohlíží a pak povídá:
*„Nic vám není. Máte zlomený prst.“*
""", font="shell", size=16),
            Joke("U psychiatra", """
„Pane doktore, mám pocit, že jsem pes.“
„A odkdy to máte?“
[n]*„Od štěněte.“*[/]
""", font="times", size=22),
        ]),
    Library(
        "Rodina", "Jarmila Smíšková",
        "Mámy, tátové, babičky, dědové a samozřejmě Pepíček.\n"
        "Vtipy od rodinného stolu.",
        icon_house,
        [
            Joke("Roztržitost", """
„Mami, mami, ve škole mi dneska říkali, že jsem strašně roztržitý!“
*„Jdi domů, Pepíčku. Tady bydlí sousedi.“*
""", font="times", size=20),
            Joke("Pomoc s úkolem", """
„Tati, pomůžeš mi s úkolem z matematiky?“
„Ne, Pepíčku, to by nebylo správné.“
[r]„Já vím, tati. Ale aspoň to zkus.“[/]
""", font="arial", size=20),
            Joke("Recept na dlouhý život", """
#*Recept na dlouhý život*

Reportér se ptá dědečka, který právě oslavil sté narozeniny:
„Prozraďte nám, jaký je váš recept na dlouhý život?“
„Nikdy se s nikým nehádám.“
„To přece nemůže být jen tím!“
*„Tak dobře, nemůže.“*
""", font="times", size=20),
            Joke("Kompromis", """
„Tati, co je to kompromis?“
„To je, když se s mámou na něčem nemůžeme shodnout, tak si o tom v klidu promluvíme…“
„A pak?“
_„A pak to uděláme tak, jak chtěla máma.“_
""", font="arial", size=18),
            Joke("Šedivé vlasy", """
„Mami, proč máš na hlavě šedivý vlas?“
„Ten mi vyroste pokaždé, když zlobíš.“
Anička se na chvíli zamyslí:
*„Tak to s tebou musela mít babička hroznou práci, když je celá bílá.“*
""", font="shell", size=16),
            Joke("Bonbony ze skříně", """
„Pepíčku, nejedl jsi ty bonbony ze skříně?“
„Vůbec ne, mami!“
„A proč tam teda zůstal jen jeden?“
[r]*„Ten jsem neviděl.“*[/]
""", font="arial", size=20),
            Joke("Dopis Ježíškovi", """
^#[g]*Milý Ježíšku,*[/]

_letos jsem byl opravdu hodný. Skoro pořád. Tedy někdy._
_Víš co, přines mi, co uznáš za vhodné. A radši si to ještě jednou promysli._

^[g]_Tvůj Pepíček_[/]
""", font="times", size=20),
        ]),
    Library(
        "Počítače", "Radim Bajtík",
        "Vtipy pro programátory, správce sítí i babičky na internetu.\n"
        "Knihovna je chráněná heslem, aby nám do ní nikdo nenadělal chyby.\n"
        "Chcete ji upravovat? Zkuste heslo „heslo“.",
        icon_monitor,
        [
            Joke("Nákup", """
Manželka posílá programátora na nákup:
„Kup jeden chleba. A jestli budou mít vejce, vezmi deset.“
Programátor se vrátí s deseti chleby.
„Proboha, proč jsi koupil deset chlebů?“
*„Měli vejce.“*
""", font="arial", size=20),
            Joke("Heslo", """
„Jaké sis nastavil heslo?“
„Nesprávné.“
„Proč zrovna tohle?“
„Protože když ho zapomenu, počítač mi sám napoví:“
@[r]Vaše heslo je nesprávné.[/]
""", font="arial", size=18),
            Joke("Deset druhů lidí", """
^Na světě je *10* druhů lidí:
^ti, kteří rozumějí dvojkové soustavě,
^a ti, kteří jí nerozumějí.
""", font="times", size=24),
            Joke("Sklenice", """
#*Poloprázdná, nebo poloplná?*

- *Pesimista:* „Sklenice je poloprázdná.“
- *Optimista:* „Sklenice je poloplná.“
- *Programátor:* „Sklenice je dvakrát větší, než je potřeba.“
""", font="arial", size=20),
            Joke("Halloween", """
Proč si programátoři pletou Halloween s Vánocemi?
Protože
@OCT 31 = DEC 25
_(Osmičkové 31 je přesně desítkové 25.)_
""", font="arial", size=20),
            Joke("Výpadek proudu", """
„Technická podpora, dobrý den, jak vám můžu pomoct?“
„Dobrý den, nejde mi internet.“
„Svítí vám na modemu kontrolky?“
„To nevím, je tu úplná tma.“
„Tak si rozsviťte.“
„To nejde, celý dům je bez proudu.“
*„Tak to vám, pane, nejde jenom internet.“*
""", font="shell", size=16),
            Joke("Šampon", """
Proč programátor už tři dny nevylezl ze sprchy?
Na šamponu stálo: _Naneste, opláchněte, opakujte._
@while (true) { naneste(); opláchněte(); }
""", font="arial", size=20),
            Joke("Kočka u počítače", """
^Proč sedí kočka celý den u počítače?
^#[n]*Hlídá myš.*[/]
""", font="times", size=20),
            Joke("Kde je soubor", """
„Dědo, ten dopis pro tetu máš uložený v C:\\Dokumenty\\Dopisy.“
„A kde je to C?“
„Na disku, dědo.“
„A kde je disk?“
„V počítači.“
„A kde je počítač?“
„Tady na stole.“
*„No vidíš. Tak proč rovnou neřekneš, že je na stole?“*
""", font="times", size=20),
        ],
        password="heslo"),
    Library(
        "Pohádky", "Bohumila Pohádková",
        "Byl jednou jeden vtip…\n"
        "Pohádkové postavy, jak je neznáte.\n"
        "Jedna pohádka ještě čeká, až ji někdo dopíše.",
        icon_wand,
        [
            Joke("Zlatá rybka", """
#*Zlatá rybka*

Rybář vytáhne ze sítě zlatou rybku.
„Pusť mě, rybáři, a splním ti přání.“
„Postav mi most až do Ameriky, ať tam můžu jezdit na ryby.“
„To je strašně složité. Nechceš něco jednoduššího?“
„Tak chci, aby naši fotbalisté vyhráli mistrovství světa.“
Rybka se zamyslí: *„A ten most má být dvouproudý, nebo čtyřproudý?“*
""", font="times", size=20),
            Joke("Tříhlavý drak", """
Tříhlavý drak přijde k doktorovi:
„Pane doktore, strašně mě bolí hlava.“
[r]*„A která?“*[/]
""", font="arial", size=20),
            Joke("Kouzelné zrcadlo", """
^[p]„Zrcadlo, zrcadlo, řekni mi, kdo je na světě nejkrásnější?“[/]
^[p]*„Uhni, nic nevidím.“*[/]
""", font="times", size=24),
            Joke("Karkulka", """
„Babičko, proč máš tak velké oči?“
„Abych tě lépe viděla.“
„A proč máš tak velké uši?“
„Abych tě lépe slyšela.“
„A proč máš tak velké zuby?“
[r]*„Karkulko, přišla jsi na návštěvu, nebo na prohlídku?“*[/]
""", font="shell", size=16),
            Joke("Hloupý Honza", """
„Honzo, už jsi velký, je čas, abys šel do světa!“
Honza se protáhne na peci a zívne:
*„Mami, a nešlo by to přes internet?“*
""", font="arial", size=20),
            Joke("Tři prasátka", """
Vlk fouká a fouká, ale zděný domek třetího prasátka se ani nehne.
Prasátko vykoukne z okna:
*„Zbytečná námaha, pane vlku. Máme nová okna, u nás už vůbec nefouká.“*
""", font="times", size=20),
            Joke("Popelka", """
#*Popelka*

Odbije půlnoc. Kočár se promění zpátky v dýni, koně v myšky a Popelka stojí u silnice s jedním střevíčkem v ruce.
Vytáhne telefon:
[n]„Haló, odtahová služba? Potřebovala bych odtáhnout dýni.“[/]
""", font="arial", size=18),
            Joke("Perníková chaloupka", None, kind="missing"),
        ]),
]


# ---------------------------------------------------------------------------
# Writing
# ---------------------------------------------------------------------------

BAD_NAME_CHARS = set('/\\:*?"<>|')


def check_name(name):
    assert name and not (set(name) & BAD_NAME_CHARS), name
    assert name[-1] not in ". " and name[0] != " ", name
    enc(name)


def write_all():
    if os.path.isdir(DATABASE):
        shutil.rmtree(DATABASE)
    os.makedirs(DATABASE)
    db = lambda *p: os.path.join(DATABASE, *p)

    write_bytes(db("seznam.dat"), enc("".join(lib.name + CRLF for lib in LIBRARIES)))
    for lib in LIBRARIES:
        check_name(lib.name)
        L = lib.name
        write_bytes(db(L + ".da1"), enc(lib.description.replace("\n", CRLF)))
        write_bytes(db(L + ".da2"), enc("%d" % len(lib.jokes) + CRLF))
        write_bytes(db(L + ".da3"), enc(lib.author))
        write_bytes(db(L + ".da4"), enc(lib.password + CRLF))
        write_bytes(db(L + ".ico"), ico_bytes(lib.icon()))
        write_bytes(db(L + ".vtp"), enc(L + CRLF))
        os.makedirs(db(L))
        write_bytes(db(L, "Vtipy.sez"), enc("".join(j.name + CRLF for j in lib.jokes)))
        for j in lib.jokes:
            check_name(j.name)
            if j.kind == "missing":
                continue
            data = {"rich": rich_rtf, "old": old_rtf, "plain": plain_file}[j.kind](j)
            write_bytes(db(L, j.name + ".vti"), data)

    write_bytes(os.path.join(SAMPLE, "pozadi.bmp"), background())
    write_bytes(os.path.join(SAMPLE, "chichotek.cfg"), b"1\r\n" * 6)


# ---------------------------------------------------------------------------
# Self-check: read everything back the way the program will
# ---------------------------------------------------------------------------

def rtf_to_text(data):
    """Minimal reader: the visible text of an RTF joke, paragraphs ended by
    LF.  Enough to prove that escapes, delimiters and groups came out right."""
    assert data.endswith(b"}\r\n\x00"), "RTF must end with } CR LF NUL"
    s = data[:-1]
    out = bytearray()
    skip = False
    stack = []
    i = 0
    word = re.compile(rb"\\([a-z]+)(-?\d+)? ?")
    while i < len(s):
        c = s[i:i + 1]
        if c == b"{":
            stack.append(skip)
            i += 1
        elif c == b"}":
            skip = stack.pop()
            i += 1
        elif c in b"\r\n":
            i += 1
        elif c == b"\\":
            n = s[i + 1:i + 2]
            if n == b"'":
                h = s[i + 2:i + 4]
                assert re.fullmatch(rb"[0-9a-f]{2}", h), "escape must be two lower-case hex digits"
                if not skip:
                    out.append(int(h, 16))
                i += 4
            elif n in (b"\\", b"{", b"}"):
                if not skip:
                    out += n
                i += 2
            elif n == b"*":
                skip = True
                i += 2
            else:
                m = word.match(s, i)
                assert m, "bad control sequence at %d" % i
                w = m.group(1)
                if w in (b"fonttbl", b"colortbl", b"pntext"):
                    skip = True
                elif w == b"par" and not skip:
                    out += b"\n"
                elif w == b"tab" and not skip:
                    out += b"\t"
                i = m.end()
        else:
            assert s[i] < 0x80, "raw 8-bit byte in RTF"
            if not skip:
                out += c
            i += 1
    assert not stack, "unbalanced braces"
    return out.decode(CP)


def check_text(path, data):
    text = data.decode(CP)  # strict: every byte must be a Windows-1250 character
    assert "\r" not in text.replace("\r\n", ""), path + ": lone CR"
    assert "\n" not in text.replace("\r\n", ""), path + ": lone LF"
    assert not data.startswith(b"\xef\xbb\xbf"), path + ": BOM"
    return text


def self_check():
    read = lambda p: open(p, "rb").read()
    db = lambda *p: os.path.join(DATABASE, *p)

    names = check_text("seznam.dat", read(db("seznam.dat")))
    assert names.endswith(CRLF)
    names = names[:-2].split(CRLF)
    folders = sorted(e for e in os.listdir(DATABASE) if os.path.isdir(db(e)))
    assert sorted(names) == folders, (names, folders)
    assert len(names) >= 5

    passwords = 0
    missing = []
    total = 0
    icons = set()
    for lib, L in zip(LIBRARIES, names):
        assert lib.name == L
        da1 = check_text(L, read(db(L + ".da1")))
        assert da1 and not da1.endswith("\n")
        da2 = check_text(L, read(db(L + ".da2")))
        assert re.fullmatch(r"\d+\r\n", da2)
        da3 = check_text(L, read(db(L + ".da3")))
        assert da3 and "\r" not in da3 and "\n" not in da3
        da4 = check_text(L, read(db(L + ".da4")))
        assert da4.endswith(CRLF) and CRLF not in da4[:-2]
        passwords += da4 == "heslo\r\n"
        assert da4 in ("\r\n", "heslo\r\n")
        vtp = check_text(L, read(db(L + ".vtp")))
        assert vtp == L + CRLF
        ico = read(db(L + ".ico"))
        assert len(ico) == 766, L + ".ico has %d bytes" % len(ico)
        icons.add(ico)

        sez = check_text(L, read(db(L, "Vtipy.sez")))
        assert sez.endswith(CRLF)
        listed = sez[:-2].split(CRLF)
        assert int(da2) == len(listed) and 6 <= len(listed) <= 10, L
        assert len(set(listed)) == len(listed)
        files = sorted(os.listdir(db(L)))
        assert sorted(["Vtipy.sez"] + [n + ".vti" for n in listed if os.path.exists(db(L, n + ".vti"))]) == files
        for joke in lib.jokes:
            path = db(L, joke.name + ".vti")
            if joke.kind == "missing":
                assert not os.path.exists(path)
                missing.append(L + "/" + joke.name)
                continue
            total += 1
            data = read(path)
            check_text(path, data)
            if joke.kind == "plain":
                assert data.decode(CP).replace(CRLF, "\n") == joke.plain_text(), path
            else:
                assert (b"\\ansicpg1250" in data) == (joke.kind == "rich"), path
                assert b"\\fcharset238" in data
                got = rtf_to_text(data)
                assert got == joke.plain_text(), "%s\n%r\n%r" % (path, got, joke.plain_text())
                sizes = {int(v) for v in re.findall(rb"\\fs(\d+)", data)}
                assert sizes and min(sizes) >= 16 and max(sizes) <= 24, path
    assert passwords == 1
    assert len(missing) == 1
    assert total >= 40
    assert len(icons) == len(names), "every library needs its own picture"

    bmp = read(os.path.join(SAMPLE, "pozadi.bmp"))
    w, h, bpp = struct.unpack_from("<iiH", bmp, 18)[0], struct.unpack_from("<i", bmp, 22)[0], struct.unpack_from("<H", bmp, 28)[0]
    assert bmp[:2] == b"BM" and (w, h, bpp) == (359, 313, 24)
    assert len(bmp) == struct.unpack_from("<I", bmp, 2)[0] == 54 + 1080 * 313
    pixels = bmp[54:]
    darkest = min(0.114 * pixels[k] + 0.587 * pixels[k + 1] + 0.299 * pixels[k + 2]
                  for y in range(h) for k in range(y * 1080, y * 1080 + w * 3, 3))
    assert darkest > 180, "background too dark for black text (%d)" % darkest

    assert read(os.path.join(SAMPLE, "chichotek.cfg")) == b"1\r\n" * 6
    return total, missing


def main():
    write_all()
    total, missing = self_check()
    for lib in LIBRARIES:
        print("%-10s %2d jokes%s" % (lib.name, len(lib.jokes), "  (password)" if lib.password else ""))
    print("%d joke files written; not written yet: %s" % (total, ", ".join(missing)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
