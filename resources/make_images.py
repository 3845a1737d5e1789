#!/usr/bin/env python3
"""Draws Zelkova's small pictures and writes them as PNG files beside this script.

Run it again after changing a drawing:  python3 resources/make_images.py
Only the standard library is used: shapes are inside-tests on a point, each pixel is
sampled on a 4 x 4 grid, and the PNG is written with zlib.

Pictures:
  glyph_*.png       20 x 20 button glyphs with an alpha channel
  mark.png          16 x 16 grid mark: a red tick on a (255, 0, 255) ground that the grids
                    draw as transparent
  anim_disk.png     5 frames of 32 x 32 side by side (160 x 32): a turning disk
  anim_broom.png    5 frames of 32 x 32 side by side: a broom sweeping
                    Both strips stand on a (255, 0, 255) ground; their soft edges are
                    blended with the light grey of a panel.
  dm_letter.png     the marquee's letter sheet, 737 x 95, 16 colours: 67 glyph cells of
                    11 x 19 side by side, one row of 19 pixels per colour (green, red,
                    yellow, cyan, white), each glyph a 5 x 7 matrix of round LEDs on black
"""
import math
import os
import struct
import zlib

PURPLE = (255, 0, 255)
PANEL_GREY = (239, 239, 239)
SS = 4  # samples per pixel along each axis


# ---------------------------------------------------------------- PNG output

def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, rows, alpha):
    """rows: list of lists of (r, g, b) or (r, g, b, a) tuples."""
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for px in row:
            raw.extend(px if alpha else px[:3])
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(_chunk(b"IHDR", header))
        f.write(_chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(_chunk(b"IEND", b""))


# ---------------------------------------------------------------- shapes
# A shape is a function (x, y) -> bool; coordinates are pixels, (0, 0) the top left corner
# of the picture (pixel centres at half steps).

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 < r * r


def ring(cx, cy, r_in, r_out):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 < r_out * r_out


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y):
                cross = ax + (y - ay) * (bx - ax) / (by - ay)
                if x < cross:
                    hit = not hit
        return hit
    return inside


def segment(ax, ay, bx, by, width):
    half = width / 2.0
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py < half * half
    return inside


def sector(cx, cy, r, a0, a1):
    """Pie slice from angle a0 to a1 (degrees, clockwise from 3 o'clock on screen)."""
    def inside(x, y):
        dx, dy = x - cx, y - cy
        if dx * dx + dy * dy >= r * r:
            return False
        a = math.degrees(math.atan2(dy, dx)) % 360.0
        lo, hi = a0 % 360.0, a1 % 360.0
        return lo <= a < hi if lo <= hi else (a >= lo or a < hi)
    return inside


def arc(cx, cy, r_in, r_out, a0, a1):
    s = sector(cx, cy, r_out, a0, a1)
    return lambda x, y: s(x, y) and (x - cx) ** 2 + (y - cy) ** 2 >= r_in * r_in


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def rotated(shape, cx, cy, degrees):
    """The shape turned clockwise on screen by `degrees` about (cx, cy)."""
    c, s = math.cos(math.radians(-degrees)), math.sin(math.radians(-degrees))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        return shape(cx + dx * c - dy * s, cy + dx * s + dy * c)
    return inside


def shifted(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


# ---------------------------------------------------------------- rendering

def sample(layers, x, y):
    """Colour of the topmost layer covering the point, or None."""
    for shape, colour in reversed(layers):
        if shape(x, y):
            return colour
    return None


def render(width, height, layers, mode):
    """mode 'alpha': RGBA with coverage as alpha.
    mode 'soft':  RGB on the purple ground, edges blended with panel grey.
    mode 'hard':  RGB on the purple ground, a pixel is drawn when at least half covered."""
    rows = []
    n = SS * SS
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0, 0, 0]
            covered = 0
            for sy in range(SS):
                for sx in range(SS):
                    c = sample(layers, px + (sx + 0.5) / SS, py + (sy + 0.5) / SS)
                    if c is not None:
                        covered += 1
                        for k in range(3):
                            acc[k] += c[k]
            if mode == "alpha":
                if covered == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append(tuple(round(a / covered) for a in acc) + (round(255 * covered / n),))
            elif mode == "hard":
                if covered * 2 < n:
                    row.append(PURPLE)
                else:
                    row.append(tuple(round(a / covered) for a in acc))
            else:
                if covered == 0:
                    row.append(PURPLE)
                else:
                    rest = n - covered
                    row.append(tuple(round((acc[k] + PANEL_GREY[k] * rest) / n) for k in range(3)))
        rows.append(row)
    return rows


def strip(frames):
    """Joins equally tall frames side by side."""
    return [sum((f[y] for f in frames), []) for y in range(len(frames[0]))]


# ---------------------------------------------------------------- colours

INK = (40, 40, 60)
WHITE = (255, 255, 255)
PAPER = (250, 250, 245)
LINE = (150, 150, 165)
YELLOW = (246, 200, 60)
YELLOW_DARK = (176, 128, 20)
RED = (210, 30, 30)
BLUE = (40, 90, 200)
GREEN = (40, 160, 70)
BROWN = (140, 90, 40)
STRAW = (225, 185, 90)
GREY = (120, 120, 130)
SILVER = (200, 204, 212)


def page(x0, y0, x1, y1, fold=4):
    """A sheet with a folded top right corner: outline and paper as two layers."""
    outer = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    inner = polygon([(x0 + 1, y0 + 1), (x1 - fold - 0.4, y0 + 1), (x1 - 1, y0 + fold + 0.4),
                     (x1 - 1, y1 - 1), (x0 + 1, y1 - 1)])
    corner = polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)])
    layers = [(outer, INK), (inner, PAPER), (corner, INK)]
    for ly in range(int(y0) + fold + 3, int(y1) - 2, 3):
        layers.append((rect(x0 + 3, ly, x1 - 3, ly + 1), LINE))
    return layers


def folder(x0, y0, x1, y1):
    tab = polygon([(x0, y0 + 2), (x0 + 1, y0), (x0 + 6, y0), (x0 + 7, y0 + 2)])
    body = rect(x0, y0 + 2, x1, y1)
    inner = rect(x0 + 1, y0 + 4, x1 - 1, y1 - 1)
    return [(tab, YELLOW_DARK), (body, YELLOW_DARK), (inner, YELLOW),
            (rect(x0 + 1, y0 + 3, x1 - 1, y0 + 4), (255, 230, 140))]


# ---------------------------------------------------------------- glyphs (20 x 20)

def glyph_duplicate():
    return page(1.5, 1.5, 12.5, 15.5) + page(7.5, 4.5, 18.5, 18.5)


def glyph_filehog():
    # A heavy weight with a handle: the files that weigh most.
    handle = ring(10, 5.5, 2.2, 4.0)
    body = polygon([(5, 7.5), (15, 7.5), (18.5, 18.5), (1.5, 18.5)])
    inner = polygon([(6, 8.8), (14, 8.8), (17, 17.2), (3, 17.2)])
    shine = polygon([(6.5, 10), (8.5, 10), (6, 16), (4, 16)])
    return [(handle, INK), (body, INK), (inner, (90, 90, 105)), (shine, (150, 150, 170))]


def glyph_dates():
    layers = [(rect(2, 3.5, 18, 18.5), INK), (rect(3, 4.5, 17, 17.5), PAPER),
              (rect(3, 4.5, 17, 8), RED)]
    for x in (6.5, 13.5):
        layers.append((segment(x, 1.5, x, 5.5, 1.8), GREY))
    for row in range(3):
        for col in range(4):
            x, y = 4.5 + col * 3, 9.5 + row * 2.7
            colour = RED if (row, col) == (1, 2) else INK
            layers.append((rect(x, y, x + 2, y + 1.6), colour))
    return layers


def glyph_dirhog():
    return folder(1, 2, 19, 18)[:3] + [
        (polygon([(2, 9), (18, 9), (17, 17), (3, 17)]), (255, 214, 90)),
        (rect(8.5, 10, 11.5, 16), YELLOW_DARK), (polygon([(6.5, 12), (10, 9.5), (13.5, 12)]),
                                                  YELLOW_DARK)]


def broom(cx, cy, angle, scale=1.0):
    """A broom standing at (cx, cy) (the bristles' lower edge), tilted by `angle` degrees."""
    s = scale
    stick = segment(cx, cy - 8 * s, cx, cy - 19 * s, 1.8 * s)
    band = rect(cx - 3.2 * s, cy - 8.5 * s, cx + 3.2 * s, cy - 6.5 * s)
    bristles = polygon([(cx - 3 * s, cy - 7 * s), (cx + 3 * s, cy - 7 * s),
                        (cx + 6 * s, cy), (cx - 6 * s, cy)])
    layers = [(stick, BROWN), (bristles, YELLOW_DARK),
              (shifted(polygon([(cx - 2.2 * s, cy - 6.5 * s), (cx + 2.2 * s, cy - 6.5 * s),
                                (cx + 4.8 * s, cy - 0.8 * s), (cx - 4.8 * s, cy - 0.8 * s)]),
                       0, 0), STRAW), (band, RED)]
    for k in (-2, 0, 2):
        layers.append((segment(cx + k * s * 0.8, cy - 6 * s, cx + k * s * 1.9, cy - 1 * s,
                               0.6 * s), YELLOW_DARK))
    return [(rotated(shape, cx, cy, angle), colour) for shape, colour in layers]


def glyph_clean():
    layers = broom(10.5, 18.5, 25, 0.92)
    for x, y in ((3, 17), (5, 15.5), (2, 14.5)):
        layers.append((circle(x, y, 0.9), GREY))
    return layers


def glyph_statistics():
    # A pie chart with its red slice pulled out.
    cx, cy = 9.5, 10.5
    ox, oy = cx + 1.6, cy - 1.6
    return [(sector(cx, cy, 8.2, 0, 270), INK),
            (union(segment(cx, cy, cx + 8.2, cy, 1), segment(cx, cy, cx, cy - 8.2, 1)), INK),
            (minus(sector(cx, cy, 7.2, 0, 150), union(segment(cx, cy, cx + 8, cy, 2),
                                                      segment(cx, cy, cx, cy - 8, 2))), BLUE),
            (minus(sector(cx, cy, 7.2, 150, 270), segment(cx, cy, cx, cy - 8, 2)), GREEN),
            (sector(ox, oy, 8.2, 270, 360), INK),
            (sector(ox + 0.5, oy - 0.5, 6.6, 272, 358), RED)]


def glyph_browse():
    glass = [(ring(12, 12, 3.6, 5.4), INK), (circle(12, 12, 3.6), (200, 225, 250)),
             (segment(15.8, 15.8, 18.8, 18.8, 2.6), INK)]
    return folder(1, 2, 15, 14) + glass


def glyph_help():
    layers = [(circle(10, 10, 9.4), (30, 70, 170)), (circle(10, 10, 8.4), BLUE)]
    layers.append((arc(10, 7.6, 1.6, 3.8, 180, 405), WHITE))
    layers.append((segment(10.2, 10.8, 10.2, 12.4, 2.2), WHITE))
    layers.append((circle(10.2, 15.3, 1.4), WHITE))
    return layers


# ---------------------------------------------------------------- mark (16 x 16)

def mark():
    tick = polygon([(2, 8), (4.5, 5.5), (7, 8.5), (13, 2), (15, 4.5), (7, 14)])
    return [(tick, (220, 0, 0))]


# ---------------------------------------------------------------- animations (32 x 32)

def disk_frame(k):
    c = 15.5
    turn = 72 * k
    layers = [(circle(c, c, 14.5), INK), (circle(c, c, 13.5), SILVER)]
    for r_in, r_out in ((10.5, 11), (7.5, 8)):
        layers.append((ring(c, c, r_in, r_out), (175, 180, 190)))
    layers.append((minus(sector(c, c, 13.5, turn, turn + 50), circle(c, c, 4.5)), RED))
    layers.append((minus(sector(c, c, 13.5, turn + 180, turn + 200), circle(c, c, 4.5)),
                   (230, 232, 240)))
    layers.append((circle(c, c, 4.5), INK))
    layers.append((circle(c, c, 2.2), (90, 95, 110)))
    layers.append((circle(c, c, 1.0), SILVER))
    return layers


def broom_frame(k):
    angle = 28 * math.sin(2 * math.pi * k / 5)
    layers = []
    # Dust blown ahead of the bristles.
    for n, (x, y) in enumerate(((5, 29), (9, 27.5), (25, 29), (28, 27))):
        dx = 2.5 * math.sin(2 * math.pi * (k + n) / 5)
        layers.append((circle(x + dx, y, 1.1), GREY))
    layers.append((rect(1, 30.5, 31, 31.5), (150, 120, 90)))
    return layers + broom(16, 30.5, angle, 1.35)


# ---------------------------------------------------------------- marquee letter sheet

# The 67 glyphs in sheet order, each 7 rows of 5 LEDs ("#" lit). Glyph 41 is the blank.
LETTER_ORDER = ("ABCDEFGHIJKLMNOPQRSTUVWXYZ" "0123456789" ":.+-$" " " "!@#%&*()="
                "\\/?;\",'^_" "|{}[]<>")
LETTER_DOTS = {
    "A": (" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"),
    "B": ("#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "),
    "C": (" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "),
    "D": ("#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "),
    "E": ("#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"),
    "F": ("#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "),
    "G": (" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"),
    "H": ("#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"),
    "I": (" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "),
    "J": ("  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "),
    "K": ("#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"),
    "L": ("#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"),
    "M": ("#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"),
    "N": ("#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"),
    "O": (" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "),
    "P": ("#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "),
    "Q": (" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"),
    "R": ("#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"),
    "S": (" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "),
    "T": ("#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "),
    "U": ("#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "),
    "V": ("#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "),
    "W": ("#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "),
    "X": ("#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"),
    "Y": ("#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "),
    "Z": ("#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"),
    "0": (" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "),
    "1": ("  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "),
    "2": (" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"),
    "3": ("#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "),
    "4": ("   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "),
    "5": ("#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "),
    "6": ("  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "),
    "7": ("#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "),
    "8": (" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "),
    "9": (" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "),
    ":": ("     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "),
    ".": ("     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "),
    "+": ("     ", "  #  ", "  #  ", "#####", "  #  ", "  #  ", "     "),
    "-": ("     ", "     ", "     ", "#####", "     ", "     ", "     "),
    "$": ("  #  ", " ####", "# #  ", " ### ", "  # #", "#### ", "  #  "),
    " ": ("     ", "     ", "     ", "     ", "     ", "     ", "     "),
    "!": ("  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "),
    "@": (" ### ", "#   #", "    #", " ## #", "# # #", "# # #", " ### "),
    "#": (" # # ", " # # ", "#####", " # # ", "#####", " # # ", " # # "),
    "%": ("##   ", "##  #", "   # ", "  #  ", " #   ", "#  ##", "   ##"),
    "&": (" ##  ", "#  # ", "# #  ", " #   ", "# # #", "#  # ", " ## #"),
    "*": ("     ", "  #  ", "# # #", " ### ", "# # #", "  #  ", "     "),
    "(": ("   # ", "  #  ", " #   ", " #   ", " #   ", "  #  ", "   # "),
    ")": (" #   ", "  #  ", "   # ", "   # ", "   # ", "  #  ", " #   "),
    "=": ("     ", "     ", "#####", "     ", "#####", "     ", "     "),
    "\\": ("     ", "#    ", " #   ", "  #  ", "   # ", "    #", "     "),
    "/": ("     ", "    #", "   # ", "  #  ", " #   ", "#    ", "     "),
    "?": (" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "),
    ";": ("     ", " ##  ", " ##  ", "     ", " ##  ", "  #  ", " #   "),
    "\"": (" # # ", " # # ", " # # ", "     ", "     ", "     ", "     "),
    ",": ("     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "),
    "'": ("  #  ", "  #  ", " #   ", "     ", "     ", "     ", "     "),
    "^": ("  #  ", " # # ", "#   #", "     ", "     ", "     ", "     "),
    "_": ("     ", "     ", "     ", "     ", "     ", "     ", "#####"),
    "|": ("  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "),
    "{": ("   ##", "  #  ", "  #  ", "##   ", "  #  ", "  #  ", "   ##"),
    "}": ("##   ", "  #  ", "  #  ", "   ##", "  #  ", "  #  ", "##   "),
    "[": (" ### ", " #   ", " #   ", " #   ", " #   ", " #   ", " ### "),
    "]": (" ### ", "   # ", "   # ", "   # ", "   # ", "   # ", " ### "),
    "<": ("   # ", "  #  ", " #   ", "#    ", " #   ", "  #  ", "   # "),
    ">": (" #   ", "  #  ", "   # ", "    #", "   # ", "  #  ", " #   "),
}

LETTER_CELL_W, LETTER_CELL_H = 11, 19
# Lit colour and the colour of an unlit LED, per sheet row.
LETTER_COLOURS = (((60, 255, 60), (0, 52, 0)), ((255, 50, 40), (56, 0, 0)),
                  ((255, 230, 40), (52, 44, 0)), ((40, 230, 255), (0, 42, 52)),
                  ((255, 255, 255), (48, 48, 48)))


def letter_cell(dots):
    """Palette shades of one glyph cell: 0 black, 1 unlit LED, 2 lit LED's soft edge, 3 lit.
    LEDs stand on a 2-pixel pitch across and 2.5 down, about 1 pixel wide and 2 tall, so
    a dark gap stays between neighbours."""
    def led(col, row):
        cx, cy = 1.5 + 2 * col, 2.0 + 2.5 * row
        return lambda x, y: ((x - cx) / 0.62) ** 2 + ((y - cy) / 1.05) ** 2 < 1.0
    lit = [led(c, r) for r in range(7) for c in range(5) if dots[r][c] == "#"]
    dark = [led(c, r) for r in range(7) for c in range(5) if dots[r][c] != "#"]
    n = SS * SS
    cell = []
    for py in range(LETTER_CELL_H):
        row = []
        for px in range(LETTER_CELL_W):
            on = off = 0
            for sy in range(SS):
                for sx in range(SS):
                    x, y = px + (sx + 0.5) / SS, py + (sy + 0.5) / SS
                    if any(s(x, y) for s in lit):
                        on += 1
                    elif any(s(x, y) for s in dark):
                        off += 1
            if on * 2 >= n:
                row.append(3)
            elif on * 5 >= n:
                row.append(2)
            elif off * 2 >= n:
                row.append(1)
            else:
                row.append(0)
        cell.append(row)
    return cell


def letter_sheet():
    """The sheet as palette indices and its 16-colour palette: black, then per colour row the
    unlit LED, the soft edge and the lit LED."""
    palette = [(0, 0, 0)]
    for lit, dim in LETTER_COLOURS:
        edge = tuple((a + b) // 2 for a, b in zip(lit, dim))
        palette += [dim, edge, lit]
    cells = [letter_cell(LETTER_DOTS[ch]) for ch in LETTER_ORDER]
    rows = []
    for colour in range(len(LETTER_COLOURS)):
        for y in range(LETTER_CELL_H):
            row = []
            for cell in cells:
                row += [0 if v == 0 else 1 + 3 * colour + (v - 1) for v in cell[y]]
            rows.append(row)
    return rows, palette


def write_indexed_png(path, width, height, rows, palette):
    """4 bits per pixel with a palette of at most 16 colours."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        padded = row + [0] * (len(row) % 2)
        raw.extend((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
    header = struct.pack(">IIBBBBB", width, height, 4, 3, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(_chunk(b"IHDR", header))
        f.write(_chunk(b"PLTE", bytes(c for rgb in palette for c in rgb)))
        f.write(_chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(_chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))

    def out(name):
        return os.path.join(here, name)

    glyphs = {
        "glyph_duplicate.png": glyph_duplicate(),
        "glyph_filehog.png": glyph_filehog(),
        "glyph_dates.png": glyph_dates(),
        "glyph_dirhog.png": glyph_dirhog(),
        "glyph_clean.png": glyph_clean(),
        "glyph_statistics.png": glyph_statistics(),
        "glyph_browse.png": glyph_browse(),
        "glyph_help.png": glyph_help(),
    }
    for name, layers in glyphs.items():
        write_png(out(name), 20, 20, render(20, 20, layers, "alpha"), alpha=True)
    write_png(out("mark.png"), 16, 16, render(16, 16, mark(), "hard"), alpha=False)
    for name, make in (("anim_disk.png", disk_frame), ("anim_broom.png", broom_frame)):
        frames = [render(32, 32, make(k), "soft") for k in range(5)]
        write_png(out(name), 160, 32, strip(frames), alpha=False)
    assert len(LETTER_ORDER) == 67 and LETTER_ORDER[41] == " "
    rows, palette = letter_sheet()
    write_indexed_png(out("dm_letter.png"), 67 * LETTER_CELL_W, 5 * LETTER_CELL_H, rows, palette)


if __name__ == "__main__":
    main()
