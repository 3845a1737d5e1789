#!/usr/bin/env python3
"""Draws Zelkova's application icon and writes it to resources/icons/: a scalable SVG and
PNGs of 16, 32, 48, 64, 128 and 256 pixels.

Run it again after changing the drawing:  python3 resources/make_icon.py
The icon is the About window's turning disk with its red slice and the quick cleaner's
broom sweeping across it, in the colours of make_images.py. Each part is a primitive that
can both test a point (for the PNGs, rendered by make_images.py) and write itself as SVG,
so the two forms cannot drift apart. Coordinates are in a 64 x 64 design square.
"""
import math
import os

import make_images as mi

DESIGN = 64.0
SIZES = (16, 32, 48, 64, 128, 256)


def _hex(colour):
    return "#%02x%02x%02x" % colour


def _n(v):
    return ("%.3f" % v).rstrip("0").rstrip(".")


class Circle:
    def __init__(self, cx, cy, r, colour):
        self.cx, self.cy, self.r, self.colour = cx, cy, r, colour

    def shape(self):
        return mi.circle(self.cx, self.cy, self.r)

    def svg(self):
        return '<circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (
            _n(self.cx), _n(self.cy), _n(self.r), _hex(self.colour))


class Ring:
    def __init__(self, cx, cy, r_in, r_out, colour):
        self.cx, self.cy, self.r_in, self.r_out, self.colour = cx, cy, r_in, r_out, colour

    def shape(self):
        return mi.ring(self.cx, self.cy, self.r_in, self.r_out)

    def svg(self):
        return '<circle cx="%s" cy="%s" r="%s" fill="none" stroke="%s" stroke-width="%s"/>' % (
            _n(self.cx), _n(self.cy), _n((self.r_in + self.r_out) / 2), _hex(self.colour),
            _n(self.r_out - self.r_in))


class Sector:
    """A pie slice from angle a0 to a1, degrees clockwise from 3 o'clock on screen."""

    def __init__(self, cx, cy, r, a0, a1, colour):
        self.cx, self.cy, self.r, self.a0, self.a1, self.colour = cx, cy, r, a0, a1, colour

    def shape(self):
        return mi.sector(self.cx, self.cy, self.r, self.a0, self.a1)

    def svg(self):
        def at(a):
            return (self.cx + self.r * math.cos(math.radians(a)),
                    self.cy + self.r * math.sin(math.radians(a)))
        (x0, y0), (x1, y1) = at(self.a0), at(self.a1)
        large = 1 if (self.a1 - self.a0) % 360 > 180 else 0
        return '<path d="M%s %sL%s %sA%s %s 0 %d 1 %s %sZ" fill="%s"/>' % (
            _n(self.cx), _n(self.cy), _n(x0), _n(y0), _n(self.r), _n(self.r), large, _n(x1),
            _n(y1), _hex(self.colour))


class Polygon:
    def __init__(self, points, colour):
        self.points, self.colour = points, colour

    def shape(self):
        return mi.polygon(self.points)

    def svg(self):
        return '<polygon points="%s" fill="%s"/>' % (
            " ".join("%s,%s" % (_n(x), _n(y)) for x, y in self.points), _hex(self.colour))


class Segment:
    """A stroke with round ends."""

    def __init__(self, ax, ay, bx, by, width, colour):
        self.ax, self.ay, self.bx, self.by, self.width, self.colour = ax, ay, bx, by, width, colour

    def shape(self):
        return mi.segment(self.ax, self.ay, self.bx, self.by, self.width)

    def svg(self):
        return ('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s" '
                'stroke-linecap="round"/>' % (_n(self.ax), _n(self.ay), _n(self.bx), _n(self.by),
                                              _hex(self.colour), _n(self.width)))


class Rotated:
    """Primitives turned clockwise on screen by `degrees` about (cx, cy)."""

    def __init__(self, parts, cx, cy, degrees):
        self.parts, self.cx, self.cy, self.degrees = parts, cx, cy, degrees

    def layers(self):
        return [(mi.rotated(s, self.cx, self.cy, self.degrees), c)
                for p in self.parts for s, c in flatten([p])]

    def svg(self):
        return '<g transform="rotate(%s %s %s)">%s</g>' % (
            _n(self.degrees), _n(self.cx), _n(self.cy), "".join(p.svg() for p in self.parts))


def flatten(parts):
    """(shape, colour) layers of the primitives, bottom first."""
    layers = []
    for p in parts:
        if isinstance(p, Rotated):
            layers += p.layers()
        else:
            layers.append((p.shape(), p.colour))
    return layers


def disk(c, r):
    """The platter of the About window's disk, its red slice at the top right."""
    parts = [Circle(c, c, r, mi.INK), Circle(c, c, r - 1.6, mi.SILVER)]
    for k in (0.74, 0.52):
        parts.append(Ring(c, c, r * k - 0.6, r * k + 0.6, (175, 180, 190)))
    parts.append(Sector(c, c, r - 1.6, 250, 320, mi.RED))
    parts.append(Sector(c, c, r - 1.6, 70, 95, (230, 232, 240)))
    parts += [Circle(c, c, r * 0.3, mi.INK), Circle(c, c, r * 0.15, (90, 95, 110)),
              Circle(c, c, r * 0.07, mi.SILVER)]
    return parts


def broom(cx, cy, angle, s):
    """make_images.broom as primitives: standing at (cx, cy), tilted by `angle` degrees."""
    parts = [Segment(cx, cy - 8 * s, cx, cy - 19 * s, 1.8 * s, mi.BROWN),
             Polygon([(cx - 3 * s, cy - 7 * s), (cx + 3 * s, cy - 7 * s), (cx + 6 * s, cy),
                      (cx - 6 * s, cy)], mi.YELLOW_DARK),
             Polygon([(cx - 2.2 * s, cy - 6.5 * s), (cx + 2.2 * s, cy - 6.5 * s),
                      (cx + 4.8 * s, cy - 0.8 * s), (cx - 4.8 * s, cy - 0.8 * s)], mi.STRAW),
             Polygon([(cx - 3.2 * s, cy - 8.5 * s), (cx + 3.2 * s, cy - 8.5 * s),
                      (cx + 3.2 * s, cy - 6.5 * s), (cx - 3.2 * s, cy - 6.5 * s)], mi.RED)]
    for k in (-2, 0, 2):
        parts.append(Segment(cx + k * s * 0.8, cy - 6 * s, cx + k * s * 1.9, cy - 1 * s,
                             0.6 * s, mi.YELLOW_DARK))
    return [Rotated(parts, cx, cy, angle)]


def icon():
    parts = disk(27, 25.5)
    # Dust swept off the disk.
    for x, y, r in ((24, 60, 1.6), (30, 58, 1.2), (20, 56.5, 1.0)):
        parts.append(Circle(x, y, r, mi.GREY))
    return parts + broom(46, 61.5, -32, 2.45)


def write_svg(path, parts):
    with open(path, "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" '
                'viewBox="0 0 64 64">\n')
        for p in parts:
            f.write("  " + p.svg() + "\n")
        f.write("</svg>\n")


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    os.makedirs(out, exist_ok=True)
    parts = icon()
    write_svg(os.path.join(out, "zelkova.svg"), parts)
    layers = flatten(parts)
    for size in SIZES:
        k = DESIGN / size
        scaled = [((lambda s: lambda x, y: s(x * k, y * k))(s), c) for s, c in layers]
        # Four samples a pixel along each axis keep small sizes smooth; big ones need fewer.
        mi.SS = 4 if size <= 64 else 2
        mi.write_png(os.path.join(out, "zelkova-%d.png" % size), size, size,
                     mi.render(size, size, scaled, "alpha"), alpha=True)


if __name__ == "__main__":
    main()
