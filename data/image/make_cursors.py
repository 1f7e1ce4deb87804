#!/usr/bin/env python3
"""Draws the two pointers of the configuration window and writes them as Windows .cur files.

hand.cur   the pointing hand of buttons and tabs; hotspot at the tip of the index finger.
attack.cur the target pointer of the sliders; hotspot in the centre of the ring.

Each file holds one 32 x 32 image: a 32-bit BGRA bitmap (bottom-up, straight alpha) followed by
its 1-bit AND mask, as Windows reads cursors. Shapes are signed-distance functions, sampled 4 x 4
per pixel for anti-aliasing. Run from anywhere; the files are written next to this script.
"""

import math
import os
import struct

SIZE = 32
SUB = 4  # samples per pixel along each axis

OUTLINE = (0x0B, 0x0E, 0x12)
HAND_FILL = (0xF2, 0xF4, 0xF6)
HAND_SHADE = (0xC9, 0xCE, 0xD6)
ACCENT = (0x3D, 0xDC, 0x84)
ACCENT_DARK = (0x23, 0x8A, 0x52)


def capsule(ax, ay, bx, by, radius):
    """Distance to a stroke from (ax, ay) to (bx, by) with round ends."""
    def sdf(x, y):
        px, py = x - ax, y - ay
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - dx * t, py - dy * t) - radius
    return sdf


def rounded_box(left, top, right, bottom, radius):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return sdf


def ring(cx, cy, radius, half_width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) - half_width


def circle(cx, cy, radius):
    return lambda x, y: math.hypot(x - cx, y - cy) - radius


class Canvas:
    """Straight-alpha RGBA pixels, composited with the usual source-over rule."""

    def __init__(self):
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * SIZE for _ in range(SIZE)]

    def coverage(self, sdf, x, y):
        inside = 0
        for sy in range(SUB):
            for sx in range(SUB):
                if sdf(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB) < 0:
                    inside += 1
        return inside / (SUB * SUB)

    def blend(self, x, y, colour, alpha):
        if alpha <= 0:
            return
        r, g, b, a = self.pixels[y][x]
        out_a = alpha + a * (1 - alpha)
        mix = [(c * alpha + d * a * (1 - alpha)) / out_a for c, d in zip(colour, (r, g, b))]
        self.pixels[y][x] = (mix[0], mix[1], mix[2], out_a)

    def fill(self, sdf, colour, opacity=1.0, offset=(0.0, 0.0)):
        ox, oy = offset
        shifted = (lambda x, y: sdf(x - ox, y - oy)) if offset != (0.0, 0.0) else sdf
        for y in range(SIZE):
            for x in range(SIZE):
                self.blend(x, y, colour, self.coverage(shifted, x, y) * opacity)

    def shape(self, sdf, fill, outline=OUTLINE, width=1.3):
        """A filled shape with an outline of `width` pixels drawn inside its edge."""
        self.fill(sdf, outline)
        self.fill(lambda x, y: sdf(x, y) + width, fill)


def draw_hand():
    c = Canvas()
    index = capsule(11.5, 4.0, 11.5, 15.0, 3.0)
    middle = capsule(15.5, 11.5, 15.5, 16.0, 2.6)
    ring_finger = capsule(19.3, 12.5, 19.3, 17.0, 2.5)
    little = capsule(22.8, 14.0, 22.8, 18.0, 2.3)
    thumb = capsule(5.2, 16.2, 9.2, 21.5, 2.6)
    palm = rounded_box(8.5, 14.0, 25.3, 27.0, 4.5)
    cuff = rounded_box(10.0, 26.0, 24.0, 30.5, 1.5)
    parts = [palm, thumb, index, middle, ring_finger, little, cuff]
    for part in parts:  # soft shadow down and to the right
        c.fill(part, (0, 0, 0), opacity=0.22, offset=(1.2, 1.2))
    c.shape(palm, HAND_FILL)
    c.shape(thumb, HAND_FILL)
    c.shape(little, HAND_FILL)
    c.shape(ring_finger, HAND_FILL)
    c.shape(middle, HAND_FILL)
    c.shape(index, HAND_FILL)
    # Hide the outlines where the fingers meet the palm, keeping the gaps between the fingers.
    c.fill(rounded_box(9.8, 17.8, 24.0, 25.8, 3.5), HAND_FILL)
    c.fill(capsule(14.0, 23.2, 21.0, 23.2, 0.45), HAND_SHADE, opacity=0.8)  # crease of the palm
    c.shape(cuff, ACCENT, outline=OUTLINE)
    c.fill(capsule(11.8, 28.2, 22.2, 28.2, 0.5), ACCENT_DARK)
    return c, (11, 1)


def draw_attack():
    c = Canvas()
    cx = cy = 15.5
    rim = ring(cx, cy, 8.5, 1.6)
    ticks = [
        capsule(cx, 1.8, cx, 7.4, 1.6),
        capsule(cx, 23.6, cx, 29.2, 1.6),
        capsule(1.8, cy, 7.4, cy, 1.6),
        capsule(23.6, cy, 29.2, cy, 1.6),
    ]
    dot = circle(cx, cy, 2.1)
    for part in [rim, dot] + ticks:  # a dark halo keeps the pointer visible on any colour
        c.fill(lambda x, y, p=part: p(x, y) - 0.8, OUTLINE, opacity=0.75)
    c.fill(rim, ACCENT)
    for tick in ticks:
        c.fill(tick, HAND_FILL)
    c.fill(dot, ACCENT)
    c.fill(circle(cx, cy, 0.9), HAND_FILL)
    return c, (15, 15)


def cursor_bytes(canvas, hotspot):
    xor_rows = []
    and_rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        row = bytearray()
        mask = 0
        for x in range(SIZE):
            r, g, b, a = canvas.pixels[y][x]
            alpha = round(a * 255)
            if alpha == 0:
                row += bytes(4)
                mask |= 1 << (SIZE - 1 - x)
            else:
                row += bytes((round(b), round(g), round(r), alpha))
        xor_rows.append(bytes(row))
        and_rows.append(mask.to_bytes(4, "big"))
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    # The bitmap header counts the AND mask in its height, hence 2 * SIZE.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0, len(pixels), 0, 0, 0, 0)
    image = header + pixels
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + entry + image


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for name, draw in (("hand.cur", draw_hand), ("attack.cur", draw_attack)):
        canvas, hotspot = draw()
        with open(os.path.join(folder, name), "wb") as out:
            out.write(cursor_bytes(canvas, hotspot))


if __name__ == "__main__":
    main()
