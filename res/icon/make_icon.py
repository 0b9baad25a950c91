#!/usr/bin/python3
"""Renders the application icon from its vector description into a .ico file.

Usage: make_icon.py ARTWORK_JSON OUTPUT_ICO

The artwork is a list of opaque layers, bottom first, drawn on a 16 x 16 unit
grid (see artwork.json). Each image is rendered with supersampling; the 32-bit
images keep the coverage as alpha, the 4- and 8-bit ones get a fixed palette
and a one-bit mask. Every image is an uncompressed DIB: icons in this format
work on every Windows release the program starts on, and PNG would not.

The output depends on nothing but the artwork: the same input gives the same
bytes on every run.
"""

import json
import math
import struct
import sys

GRID_UNITS = 16
SUBSAMPLES = 8
ALPHA_OPAQUE_THRESHOLD = 128

# Order and formats of the images in the icon: (size in pixels, bits per pixel).
IMAGE_FORMATS = (
    (32, 4), (16, 4),
    (48, 8), (32, 8), (16, 8),
    (48, 32), (32, 32), (16, 32),
)

VGA_COLOURS = (
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
)


def palette_for(bitcount):
    """16 colours: the VGA palette. 256: the VGA colours, a 6x6x6 cube and 24 greys."""
    if bitcount == 4:
        return list(VGA_COLOURS)
    levels = range(0, 256, 51)
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    greys = [(v, v, v) for v in range(8, 248, 10)]
    return list(VGA_COLOURS) + cube + greys


# --- Artwork --------------------------------------------------------------


def parse_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


class Layer:
    """One opaque shape with a flat or vertical-gradient fill."""

    def __init__(self, shape, fill):
        self.shape = shape
        if isinstance(fill, str):
            self.top = self.bottom = parse_colour(fill)
        else:
            self.top = parse_colour(fill["top"])
            self.bottom = parse_colour(fill["bottom"])
        self.y0, self.y1 = shape.bounds()[1], shape.bounds()[3]

    def colour_at(self, y):
        span = self.y1 - self.y0
        t = min(max((y - self.y0) / span, 0.0), 1.0) if span else 0.0
        return tuple(a + (b - a) * t for a, b in zip(self.top, self.bottom))


class Rect:
    def __init__(self, x0, y0, x1, y1, radius=0.0):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.radius = min(radius, (x1 - x0) / 2, (y1 - y0) / 2)

    def bounds(self):
        return self.x0, self.y0, self.x1, self.y1

    def inset(self, d):
        return Rect(self.x0 + d, self.y0 + d, self.x1 - d, self.y1 - d,
                    max(self.radius - d, 0.0))

    def contains(self, x, y):
        if not (self.x0 <= x < self.x1 and self.y0 <= y < self.y1):
            return False
        r = self.radius
        dx = max(self.x0 + r - x, x - (self.x1 - r), 0.0)
        dy = max(self.y0 + r - y, y - (self.y1 - r), 0.0)
        return dx * dx + dy * dy <= r * r


class Disk:
    def __init__(self, cx, cy, radius):
        self.cx, self.cy, self.radius = cx, cy, radius

    def bounds(self):
        r = self.radius
        return self.cx - r, self.cy - r, self.cx + r, self.cy + r

    def inset(self, d):
        return Disk(self.cx, self.cy, self.radius - d)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return dx * dx + dy * dy <= self.radius * self.radius


class Arc:
    """A ring open at the top by gap_degrees, with round ends."""

    def __init__(self, cx, cy, outer, inner, gap_degrees):
        self.cx, self.cy, self.outer, self.inner = cx, cy, outer, inner
        self.gap_degrees = gap_degrees
        half = math.radians(gap_degrees / 2)
        self.gap_sin, self.gap_cos = math.sin(half), math.cos(half)
        mid = (outer + inner) / 2
        cap = (outer - inner) / 2
        self.caps = [Disk(cx + side * mid * self.gap_sin, cy - mid * self.gap_cos, cap)
                     for side in (-1, 1)]

    def bounds(self):
        r = self.outer
        return self.cx - r, self.cy - r, self.cx + r, self.cy + r

    def inset(self, d):
        return Arc(self.cx, self.cy, self.outer - d, self.inner + d, self.gap_degrees)

    def contains(self, x, y):
        if any(cap.contains(x, y) for cap in self.caps):
            return True
        dx, dy = x - self.cx, y - self.cy
        dist2 = dx * dx + dy * dy
        if not self.inner * self.inner <= dist2 <= self.outer * self.outer:
            return False
        in_gap = -dy > 0 and abs(dx) * self.gap_cos < -dy * self.gap_sin
        return not in_gap


SHAPES = {
    "rect": lambda s: Rect(*s["box"], s.get("radius", 0.0)),
    "disk": lambda s: Disk(*s["centre"], s["radius"]),
    "arc": lambda s: Arc(*s["centre"], s["outer"], s["inner"], s["gap_degrees"]),
}


def layers_at_size(artwork, size, fill_key):
    """Expands the elements drawn at this size into layers.

    fill_key picks the colours: "fill" for true colour, "fill16" for the
    16-colour images, where the designer chose the VGA colours by hand because
    nearest-colour mapping turns the blues and greens grey. Outlines are whole
    pixels wide so they stay crisp at every size.
    """
    units_per_pixel = GRID_UNITS / size
    layers = []
    for element in artwork["elements"]:
        if size not in element.get("sizes", (size,)):
            continue
        shape = SHAPES[element["shape"]](element)
        outline = element.get("outline")
        if outline:
            layers.append(Layer(shape, outline.get(fill_key, outline["fill"])))
            shape = shape.inset(outline["pixels"] * units_per_pixel)
        layers.append(Layer(shape, element.get(fill_key, element["fill"])))
    return layers


# --- Rendering ------------------------------------------------------------


def overlaps(layer, x0, y0, x1, y1):
    bx0, by0, bx1, by1 = layer.shape.bounds()
    return bx0 < x1 and x0 < bx1 and by0 < y1 and y0 < by1


def sample_colour(layers, x, y):
    for layer in reversed(layers):
        if layer.shape.contains(x, y):
            return layer.colour_at(y)
    return None


def render_pixel(layers, px, py, unit):
    """Straight (not premultiplied) RGBA of one pixel, 0..255 each."""
    near = [layer for layer in layers
            if overlaps(layer, px * unit, py * unit, (px + 1) * unit, (py + 1) * unit)]
    hits = []
    for sy in range(SUBSAMPLES):
        for sx in range(SUBSAMPLES):
            x = (px + (sx + 0.5) / SUBSAMPLES) * unit
            y = (py + (sy + 0.5) / SUBSAMPLES) * unit
            colour = sample_colour(near, x, y)
            if colour is not None:
                hits.append(colour)
    if not hits:
        return (0, 0, 0, 0)
    rgb = tuple(round(sum(c[i] for c in hits) / len(hits)) for i in range(3))
    return rgb + (round(255 * len(hits) / SUBSAMPLES ** 2),)


def render(artwork, size, fill_key):
    """Rows top to bottom of RGBA pixels."""
    layers = layers_at_size(artwork, size, fill_key)
    unit = GRID_UNITS / size
    return [[render_pixel(layers, px, py, unit) for px in range(size)]
            for py in range(size)]


# --- DIB encoding ---------------------------------------------------------


def nearest_index(palette, rgb):
    def distance(item):
        index, entry = item
        return (sum((a - b) ** 2 for a, b in zip(entry, rgb)), index)
    return min(enumerate(palette), key=distance)[0]


def pad_row(row):
    return row + b"\0" * (-len(row) % 4)


def pack_bits(values, bits):
    """Packs small integers, most significant first, into a padded row."""
    per_byte = 8 // bits
    out = bytearray()
    for start in range(0, len(values), per_byte):
        byte = 0
        for offset, value in enumerate(values[start:start + per_byte]):
            byte |= value << (8 - bits * (offset + 1))
        out.append(byte)
    return pad_row(bytes(out))


def and_mask(image, is_transparent):
    rows = [pack_bits([int(is_transparent(p)) for p in row], 1) for row in image]
    return b"".join(reversed(rows))


def xor_indexed(image, palette, bitcount):
    rows = []
    for row in image:
        values = [nearest_index(palette, p[:3]) if p[3] >= ALPHA_OPAQUE_THRESHOLD else 0
                  for p in row]
        rows.append(pack_bits(values, bitcount))
    return b"".join(reversed(rows))


def xor_bgra(image):
    rows = [pad_row(b"".join(bytes((b, g, r, a)) for r, g, b, a in row)) for row in image]
    return b"".join(reversed(rows))


def bitmap_info_header(size, bitcount, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bitcount, 0,
                       image_bytes, 0, 0, 0, 0)


def encode_dib(image, bitcount):
    """BITMAPINFOHEADER, palette, colour rows and mask rows, bottom-up."""
    size = len(image)
    if bitcount == 32:
        palette_bytes = b""
        colour = xor_bgra(image)
        mask = and_mask(image, lambda p: p[3] == 0)
    else:
        palette = palette_for(bitcount)
        palette_bytes = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
        colour = xor_indexed(image, palette, bitcount)
        mask = and_mask(image, lambda p: p[3] < ALPHA_OPAQUE_THRESHOLD)
    header = bitmap_info_header(size, bitcount, len(colour) + len(mask))
    return header + palette_bytes + colour + mask


# --- Icon file ------------------------------------------------------------


def icon_file(dibs):
    """ICONDIR, its entries, then the images in the same order."""
    out = [struct.pack("<HHH", 0, 1, len(dibs))]
    offset = 6 + 16 * len(dibs)
    for (size, bitcount), dib in zip(IMAGE_FORMATS, dibs):
        colours = 1 << bitcount if bitcount < 8 else 0
        out.append(struct.pack("<BBBBHHII", size, size, colours, 0, 1, bitcount,
                               len(dib), offset))
        offset += len(dib)
    return b"".join(out + list(dibs))


def fill_key_for(bitcount):
    return "fill16" if bitcount == 4 else "fill"


def make_icon(artwork):
    renders = {}
    for size, bitcount in IMAGE_FORMATS:
        key = (size, fill_key_for(bitcount))
        if key not in renders:
            renders[key] = render(artwork, *key)
    dibs = [encode_dib(renders[size, fill_key_for(bitcount)], bitcount)
            for size, bitcount in IMAGE_FORMATS]
    return icon_file(dibs)


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    with open(argv[1], encoding="utf-8") as source:
        icon = make_icon(json.load(source))
    # Opened only once the icon is complete, so that a failure leaves no
    # truncated file behind for the build to take as up to date.
    with open(argv[2], "wb") as target:
        target.write(icon)


if __name__ == "__main__":
    main(sys.argv)
