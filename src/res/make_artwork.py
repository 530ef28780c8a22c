#!/usr/bin/env python3
"""Draws the launcher's PNG artwork into png/ (standard library only, deterministic).

Every picture is drawn from signed distance fields, so edges are anti-aliased and the soft
shadows come out of the alpha channel. Run it again after changing a shape:
    python3 src/res/make_artwork.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "png")


# ---------------------------------------------------------------------------------------------
# Canvas and PNG output

class Canvas:
    """Premultiplied RGBA floats, composited with the 'over' operator."""

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.px = [0.0] * (width * height * 4)

    def over(self, x, y, rgb, alpha):
        if alpha <= 0.0:
            return
        if alpha > 1.0:
            alpha = 1.0
        i = (y * self.w + x) * 4
        px = self.px
        inv = 1.0 - alpha
        px[i] = rgb[0] * alpha + px[i] * inv
        px[i + 1] = rgb[1] * alpha + px[i + 1] * inv
        px[i + 2] = rgb[2] * alpha + px[i + 2] * inv
        px[i + 3] = alpha + px[i + 3] * inv

    def layer(self, fn, box=None):
        """fn(x, y) -> (rgb, alpha) or None for pixel centres (x + 0.5, y + 0.5)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                hit = fn(x + 0.5, y + 0.5)
                if hit is not None:
                    self.over(x, y, hit[0], hit[1])

    def save(self, name):
        rows = bytearray()
        for y in range(self.h):
            rows.append(0)
            for x in range(self.w):
                i = (y * self.w + x) * 4
                a = self.px[i + 3]
                if a <= 0.0:
                    rows += b"\0\0\0\0"
                    continue
                for c in range(3):
                    rows.append(max(0, min(255, int(round(self.px[i + c] / a * 255.0)))))
                rows.append(max(0, min(255, int(round(a * 255.0)))))
        write_png(os.path.join(OUT, name), self.w, self.h, bytes(rows))


def write_png(path, width, height, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# ---------------------------------------------------------------------------------------------
# Colours, shapes and noise

def hexrgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def mix(a, b, t):
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def coverage(sd):
    """Anti-aliased coverage of a pixel whose centre lies at signed distance sd."""
    return 0.0 if sd >= 0.5 else 1.0 if sd <= -0.5 else 0.5 - sd


def smooth(t):
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    return t * t * (3.0 - 2.0 * t)


def polygon_sd(points):
    """Signed distance to a closed polygon (negative inside)."""
    n = len(points)
    edges = [(points[i], points[(i + 1) % n]) for i in range(n)]

    def sd(x, y):
        best = 1e18
        inside = False
        for (ax, ay), (bx, by) in edges:
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            length = ex * ex + ey * ey
            t = (wx * ex + wy * ey) / length if length else 0.0
            t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
            dx, dy = wx - ex * t, wy - ey * t
            d = dx * dx + dy * dy
            if d < best:
                best = d
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        d = math.sqrt(best)
        return -d if inside else d

    return sd


def chamfer_rect(x0, y0, x1, y1, tl, tr, br, bl):
    return [(x0 + tl, y0), (x1 - tr, y0), (x1, y0 + tr), (x1, y1 - br), (x1 - br, y1),
            (x0 + bl, y1), (x0, y1 - bl), (x0, y0 + tl)]


def segment_sd(ax, ay, bx, by, radius):
    ex, ey = bx - ax, by - ay
    length = ex * ex + ey * ey

    def sd(x, y):
        wx, wy = x - ax, y - ay
        t = (wx * ex + wy * ey) / length if length else 0.0
        t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
        return math.hypot(wx - ex * t, wy - ey * t) - radius

    return sd


def union(fields):
    def sd(x, y):
        return min(f(x, y) for f in fields)
    return sd


def grid_of(canvas, fn):
    """Samples a field once per pixel centre so several layers can share it."""
    return [fn(x + 0.5, y + 0.5) for y in range(canvas.h) for x in range(canvas.w)]


def hash2(ix, iy, seed):
    h = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


def value_noise(x, y, seed):
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = smooth(x - ix), smooth(y - iy)
    a, b = hash2(ix, iy, seed), hash2(ix + 1, iy, seed)
    c, d = hash2(ix, iy + 1, seed), hash2(ix + 1, iy + 1, seed)
    return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy


def fbm(x, y, seed, octaves=3):
    total, amp, norm = 0.0, 1.0, 0.0
    for o in range(octaves):
        total += value_noise(x, y, seed + o * 31) * amp
        norm += amp
        x, y, amp = x * 2.03, y * 2.03, amp * 0.5
    return total / norm


def star(cx, cy, outer, inner, rotation=-math.pi / 2):
    pts = []
    for i in range(10):
        r = outer if i % 2 == 0 else inner
        a = rotation + i * math.pi / 5
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


# Angular letters on a 4 x 6 grid, drawn as strokes: a stencil-like military wordmark.
LETTERS = {
    "Z": [(0, 0, 4, 0), (4, 0, 0, 6), (0, 6, 4, 6)],
    "O": [(1, 0, 3, 0), (3, 0, 4, 1), (4, 1, 4, 5), (4, 5, 3, 6), (3, 6, 1, 6), (1, 6, 0, 5),
          (0, 5, 0, 1), (0, 1, 1, 0)],
    "R": [(0, 0, 0, 6), (0, 0, 3, 0), (3, 0, 4, 1), (4, 1, 4, 2), (4, 2, 3, 3), (3, 3, 0, 3),
          (2, 3, 4, 6)],
    "N": [(0, 6, 0, 0), (0, 0, 4, 6), (4, 6, 4, 0)],
    "H": [(0, 0, 0, 6), (4, 0, 4, 6), (0, 3, 4, 3)],
    "L": [(0, 0, 0, 6), (0, 6, 4, 6)],
    "D": [(0, 0, 0, 6), (0, 0, 3, 0), (3, 0, 4, 1), (4, 1, 4, 5), (4, 5, 3, 6), (3, 6, 0, 6)],
}


def wordmark_sd(text, x, y, cell, stroke, spacing):
    fields = []
    for index, letter in enumerate(text):
        ox = x + index * (4 + spacing) * cell
        for ax, ay, bx, by in LETTERS[letter]:
            fields.append(segment_sd(ox + ax * cell, y + ay * cell, ox + bx * cell, y + by * cell,
                                     stroke))
    return union(fields)


def shadow_alpha(d, reach, strength):
    """Soft shadow outside a shape: d is the distance outside, fading to zero at reach."""
    if d <= 0.0:
        return strength
    if d >= reach:
        return 0.0
    t = 1.0 - d / reach
    return strength * t * t


# Palette
STEEL_TOP = hexrgb("#1f262e")
STEEL_BOTTOM = hexrgb("#0c0f13")
SCREEN_TOP = hexrgb("#111820")
SCREEN_BOTTOM = hexrgb("#07090c")
EDGE = hexrgb("#3f4a56")
EDGE_LIGHT = hexrgb("#71839a")
ORANGE = hexrgb("#ff8a1e")
ORANGE_DEEP = hexrgb("#b5500c")
AMBER = hexrgb("#ffc46b")
CONTOUR = hexrgb("#6f93b0")
BLACK = (0.0, 0.0, 0.0)
WHITE = (1.0, 1.0, 1.0)


def plate(canvas, sd_grid, top, bottom, seed, reach, shadow, height):
    """Shadowed steel plate: soft shadow outside, brushed gradient inside, bevelled rim."""
    w = canvas.w

    def fn(x, y):
        d = sd_grid[int(y) * w + int(x)]
        if d > 0.5:
            a = shadow_alpha(d - 0.5, reach, shadow)
            return (BLACK, a) if a > 0.0 else None
        t = y / height
        grain = fbm(x / 90.0, y / 14.0, seed) - 0.5
        colour = mix(top, bottom, t)
        colour = tuple(max(0.0, c * (1.0 + grain * 0.35)) for c in colour)
        # Bevel: a light rim on the inner edge, brighter along the top.
        if d > -2.5:
            rim = EDGE_LIGHT if y < height * 0.5 else EDGE
            colour = mix(colour, rim, 0.75 * (1.0 - (-d) / 2.5))
        cov = coverage(d)
        if cov < 1.0:
            # Blend the rim into the shadow instead of into nothing.
            return (mix(BLACK, colour, cov), cov + (1.0 - cov) * shadow)
        return (colour, 1.0)

    canvas.layer(fn)


def brackets(canvas, x0, y0, x1, y1, length, colour, alpha, thickness=1.0):
    """HUD corner brackets around a rectangle."""
    segs = []
    for cx, cy, sx, sy in ((x0, y0, 1, 1), (x1, y0, -1, 1), (x1, y1, -1, -1), (x0, y1, 1, -1)):
        segs.append(segment_sd(cx, cy, cx + sx * length, cy, thickness))
        segs.append(segment_sd(cx, cy, cx, cy + sy * length, thickness))
    sd = union(segs)
    canvas.layer(lambda x, y: (colour, alpha * coverage(sd(x, y))),
                 (x0 - 3, y0 - 3, x1 + 3, y1 + 3))


# ---------------------------------------------------------------------------------------------
# Pictures

def main_background():
    """PNG 137, 780 x 340: the launcher window."""
    c = Canvas(780, 340)
    outline = [(56, 44), (80, 20), (596, 20), (608, 30), (742, 30), (756, 44), (756, 226),
               (772, 256), (756, 282), (756, 298), (734, 320), (98, 320), (56, 278)]
    plate_sd = polygon_sd(outline)
    medal_c = (66.0, 98.0)
    medal_sd = lambda x, y: math.hypot(x - medal_c[0], y - medal_c[1]) - 50.0
    body = lambda x, y: min(plate_sd(x, y), medal_sd(x, y))
    grid = grid_of(c, body)
    plate(c, grid, STEEL_TOP, STEEL_BOTTOM, 7, 14.0, 0.62, 340.0)

    # The screen: a dark tactical map where the foreground window carries its controls.
    screen = polygon_sd(chamfer_rect(92, 54, 724, 286, 12, 4, 12, 4))
    glow_c = (250.0, 214.0)

    def screen_fn(x, y):
        d = screen(x, y)
        cov = coverage(d)
        if cov <= 0.0:
            return None
        colour = mix(SCREEN_TOP, SCREEN_BOTTOM, (y - 54) / 232.0)
        # Fire on the horizon behind the armour, fading out before the text areas.
        g = math.hypot((x - glow_c[0]) / 1.6, y - glow_c[1])
        colour = mix(colour, hexrgb("#7a3410"), 0.55 * (1.0 - smooth(g / 150.0)))
        # Topographic contours and a faint grid.
        n = fbm(x / 120.0, y / 120.0, 11) * 9.0
        line = abs(n - round(n))
        if line < 0.06:
            colour = mix(colour, CONTOUR, 0.16 * (1.0 - line / 0.06))
        if int(x - 92) % 32 == 0 or int(y - 54) % 32 == 0:
            colour = mix(colour, CONTOUR, 0.05)
        # Inner shadow along the screen's rim makes it sit below the plate.
        if d > -6.0:
            colour = mix(colour, BLACK, 0.5 * (1.0 + d / 6.0))
        return (colour, cov)

    c.layer(screen_fn, (90, 52, 726, 288))

    # Armour on the horizon: a tank and a ridge, dark against the glow.
    ridge = polygon_sd([(94, 230), (150, 214), (210, 222), (300, 206), (370, 219), (470, 212),
                        (560, 224), (722, 216), (722, 288), (94, 288)])
    c.layer(lambda x, y: (hexrgb("#06080b"), 0.85 * coverage(ridge(x, y))), (92, 200, 726, 288))
    tank = union([
        polygon_sd([(158, 214), (274, 214), (286, 222), (274, 232), (166, 232), (150, 222)]),
        polygon_sd([(176, 201), (244, 201), (256, 214), (168, 214)]),
        polygon_sd([(196, 190), (232, 190), (240, 201), (190, 201)]),
        segment_sd(236, 194, 318, 188, 2.2),
    ])
    c.layer(lambda x, y: (hexrgb("#040507"), coverage(tank(x, y))), (140, 180, 330, 236))
    wheels = union([lambda x, y, cx=cx: math.hypot(x - cx, y - 225.5) - 4.2
                    for cx in range(170, 272, 13)])
    c.layer(lambda x, y: (hexrgb("#2a323b"), 0.7 * coverage(abs(wheels(x, y)) - 0.6)),
            (160, 218, 282, 233))

    # Briefing box behind the tips: darker glass with an orange edge.
    brief = polygon_sd(chamfer_rect(380, 194, 704, 248, 0, 8, 0, 0))
    def brief_fn(x, y):
        d = brief(x, y)
        cov = coverage(d)
        if cov <= 0.0:
            return None
        colour = mix(hexrgb("#1b2633"), hexrgb("#0b1016"), (y - 194) / 54.0)
        if d > -1.0:
            colour = mix(colour, CONTOUR, 0.35)
        return (colour, 0.78 * cov)

    c.layer(brief_fn, (378, 192, 706, 250))
    c.layer(lambda x, y: (ORANGE, 0.95) if 380 <= x < 383 else None, (380, 194, 383, 248))

    # Header: the wordmark, an underline with chevrons, and the band under the window buttons.
    mark = wordmark_sd("ZORNHOLD", 130, 70, 5.0, 2.3, 1.9)
    c.layer(lambda x, y: (BLACK, 0.7 * coverage(mark(x - 2, y - 2) - 0.8)), (120, 60, 360, 110))

    def mark_fn(x, y):
        cov = coverage(mark(x, y))
        if cov <= 0.0:
            return None
        return (mix(AMBER, ORANGE_DEEP, (y - 68) / 34.0), cov)

    c.layer(mark_fn, (120, 60, 360, 110))
    c.layer(lambda x, y: (ORANGE, 0.85 * (1.0 - smooth((x - 130) / 260.0)))
            if 111 <= y < 113 else None, (130, 111, 392, 113))
    chevrons = union([polygon_sd([(ox, 118), (ox + 5, 118), (ox + 10, 123), (ox + 5, 128),
                                  (ox, 128), (ox + 5, 123)]) for ox in (130, 142, 154)])
    c.layer(lambda x, y: (ORANGE, 0.9 * coverage(chevrons(x, y))), (128, 116, 168, 130))

    band = polygon_sd([(612, 54), (724, 54), (724, 82), (626, 82)])
    c.layer(lambda x, y: (hexrgb("#040608"), 0.6 * coverage(band(x, y))), (610, 52, 726, 84))

    # Progress groove under the fill picture (the bar draws 6 pixels from its top).
    groove = polygon_sd(chamfer_rect(108, 250, 628, 260, 2, 2, 2, 2))

    def groove_fn(x, y):
        d = groove(x, y)
        cov = coverage(d)
        if cov <= 0.0:
            return None
        colour = mix(hexrgb("#020304"), hexrgb("#0b0e12"), (y - 250) / 10.0)
        if d > -1.2:
            colour = mix(colour, hexrgb("#2f3944"), 0.8)
        return (colour, cov)

    c.layer(groove_fn, (106, 248, 630, 262))
    for tick in range(108, 629, 52):
        c.layer(lambda x, y: (CONTOUR, 0.35), (tick, 262, tick + 1, 266))

    brackets(c, 98, 60, 718, 280, 16, ORANGE, 0.75)

    # Chevron in the pointed tab on the right.
    tab = polygon_sd([(740, 240), (748, 240), (760, 256), (748, 272), (740, 272), (752, 256)])
    c.layer(lambda x, y: (ORANGE, coverage(tab(x, y))), (738, 238, 762, 274))

    # The medal: steel disc, orange ring, white star.
    mx, my = medal_c

    def medal_fn(x, y):
        r = math.hypot(x - mx, y - my)
        if r > 47.5:
            return None
        colour = mix(hexrgb("#36414d"), hexrgb("#101418"), smooth((y - my + 46) / 92.0))
        if 37.0 < r < 42.0:
            colour = mix(colour, mix(AMBER, ORANGE_DEEP, (y - my + 42) / 84.0),
                         coverage(abs(r - 39.5) - 2.0))
        if r > 45.0:
            colour = mix(colour, EDGE_LIGHT, 0.6 * coverage(abs(r - 46.2) - 0.8))
        return (colour, coverage(r - 47.0))

    c.layer(medal_fn, (mx - 49, my - 49, mx + 49, my + 49))
    star_sd = polygon_sd(star(mx, my + 1, 28, 11.5))

    def star_fn(x, y):
        cov = coverage(star_sd(x, y))
        if cov <= 0.0:
            return None
        return (mix(hexrgb("#f3f6f9"), hexrgb("#8e9baa"), (y - my + 28) / 56.0), cov)

    c.layer(star_fn, (mx - 30, my - 30, mx + 30, my + 30))
    c.save("main_background.png")


def message_box_frame():
    """PNG 138, 384 x 198: the frame of a message box; (20, 18)-(364, 180) stays opaque."""
    c = Canvas(384, 198)
    body = polygon_sd(chamfer_rect(10, 8, 374, 190, 10, 3, 10, 3))
    grid = grid_of(c, body)
    plate(c, grid, hexrgb("#222a33"), hexrgb("#0d1115"), 3, 10.0, 0.6, 198.0)

    inner = polygon_sd(chamfer_rect(22, 22, 362, 176, 6, 2, 6, 2))

    def inner_fn(x, y):
        d = inner(x, y)
        cov = coverage(d)
        if cov <= 0.0:
            return None
        colour = mix(hexrgb("#121920"), hexrgb("#080b0e"), (y - 22) / 154.0)
        n = fbm(x / 70.0, y / 70.0, 5) * 7.0
        line = abs(n - round(n))
        if line < 0.05:
            colour = mix(colour, CONTOUR, 0.10 * (1.0 - line / 0.05))
        if d > -5.0:
            colour = mix(colour, BLACK, 0.45 * (1.0 + d / 5.0))
        return (colour, cov)

    c.layer(inner_fn, (20, 20, 364, 178))
    # Orange accent along the top rim and a steel one at the bottom.
    c.layer(lambda x, y: (ORANGE, 0.95 * (1.0 - smooth(abs(x - 192) / 150.0))), (40, 12, 344, 14))
    c.layer(lambda x, y: (EDGE_LIGHT, 0.35 * (1.0 - smooth(abs(x - 192) / 160.0))),
            (40, 184, 344, 185))
    brackets(c, 27, 27, 357, 171, 10, ORANGE, 0.7)
    c.save("message_box_frame.png")


def button_face(name, top, bottom, rim, light, light_alpha, stripes):
    """137 x 47 faces of the message box buttons (their design size)."""
    c = Canvas(137, 47)
    shape = polygon_sd(chamfer_rect(0.5, 0.5, 136.5, 46.5, 7, 2, 7, 2))

    def fn(x, y):
        d = shape(x, y)
        cov = coverage(d)
        if cov <= 0.0:
            return None
        colour = mix(top, bottom, y / 47.0)
        if stripes and int(x + y) % 10 < 2:
            colour = mix(colour, BLACK, 0.07)
        if y < 24.0:
            colour = mix(colour, WHITE, 0.08 * (1.0 - y / 24.0))
        if d > -1.5:
            colour = mix(colour, rim, 0.9)
        elif d > -2.8 and y < 30:
            colour = mix(colour, light, light_alpha)
        return (colour, cov)

    c.layer(fn)
    c.save(name)


def window_button(name, glyph, fill, fill_alpha, rim, ink):
    """24 x 24 close and minimise buttons."""
    c = Canvas(24, 24)
    shape = polygon_sd(chamfer_rect(1, 1, 23, 23, 5, 1, 5, 1))

    def fn(x, y):
        d = shape(x, y)
        cov = coverage(d)
        if cov <= 0.0:
            return None
        colour = fill
        alpha = fill_alpha
        if d > -1.2:
            colour, alpha = rim, 1.0
        return (colour, cov * alpha)

    c.layer(fn)
    if glyph == "close":
        mark = union([segment_sd(8, 8, 16, 16, 1.1), segment_sd(16, 8, 8, 16, 1.1)])
    else:
        mark = segment_sd(7.5, 15.5, 16.5, 15.5, 1.1)
    c.layer(lambda x, y: (ink, coverage(mark(x, y))))
    c.save(name)


def progress_fill():
    """PNG 141, 520 x 6: the bar at 100 %, darker at the start, glowing at the end."""
    c = Canvas(520, 6)

    def fn(x, y):
        t = x / 520.0
        colour = mix(hexrgb("#9a3c08"), ORANGE, smooth(t * 1.4))
        colour = mix(colour, AMBER, smooth((t - 0.75) * 4.0))
        if y < 1.0:
            colour = mix(colour, WHITE, 0.35)
        elif y > 5.0:
            colour = mix(colour, BLACK, 0.35)
        if int(x) % 8 == 7:
            colour = mix(colour, BLACK, 0.25)
        return (colour, 1.0)

    c.layer(fn)
    c.save("progress_fill.png")


def main():
    os.makedirs(OUT, exist_ok=True)
    main_background()
    message_box_frame()
    button_face("button_highlight.png", hexrgb("#d9782a"), hexrgb("#93400a"), hexrgb("#5a2304"),
                hexrgb("#ffd08a"), 0.55, True)
    button_face("button_highlight_hot.png", hexrgb("#f39436"), hexrgb("#b5520e"),
                hexrgb("#ffc46b"), hexrgb("#ffe2b0"), 0.6, True)
    button_face("button_dark.png", hexrgb("#35414d"), hexrgb("#171c23"), hexrgb("#566676"),
                hexrgb("#9fb3c8"), 0.3, False)
    button_face("button_dark_hot.png", hexrgb("#455465"), hexrgb("#1f262e"), hexrgb("#ff8a1e"),
                hexrgb("#c4d3e2"), 0.35, False)
    window_button("close.png", "close", hexrgb("#0d1115"), 0.72, hexrgb("#4e5d6c"),
                  hexrgb("#c8d2e6"))
    window_button("close_hot.png", "close", hexrgb("#c4510c"), 0.95, hexrgb("#ffb04d"), WHITE)
    window_button("minimize.png", "minimize", hexrgb("#0d1115"), 0.72, hexrgb("#4e5d6c"),
                  hexrgb("#c8d2e6"))
    window_button("minimize_hot.png", "minimize", hexrgb("#2f3a46"), 0.95, hexrgb("#8fa3b8"),
                  WHITE)
    progress_fill()


if __name__ == "__main__":
    main()
