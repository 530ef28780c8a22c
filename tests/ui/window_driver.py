"""Drives ui-gallery under Wine on the X display: starts it, follows what it prints, moves and
clicks the real pointer with xdotool, types keys, and reads the screen back with ImageMagick.

Everything waits by polling with generous time-outs, so a slow machine only makes tests slower.
"""
import os
import re
import struct
import subprocess
import threading
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, "..", ".."))
WINE_RUN = os.path.join(SOURCE, "scripts", "wine-run")
PICTURES = os.path.join(SOURCE, "src", "res", "png")

TIMEOUT = 60.0


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wine_prefix():
    return os.environ.get("WINEPREFIX", os.path.join(SOURCE, "build", "wineprefix"))


# ---------------------------------------------------------------------------------------------
# The gallery process and what it prints

def parse_rect(text):
    if text == "hidden":
        return None
    x, y, w, h = (int(v) for v in text.split(","))
    return (x, y, w, h)


def parse_box(line):
    """'box 0 frame=x,y,w,h content=... states=1,1' -> dict."""
    fields = line.split()
    box = {"index": int(fields[1])}
    for field in fields[2:]:
        key, _, value = field.partition("=")
        box[key] = tuple(int(v) for v in value.split(",")) if key == "states" else parse_rect(value)
    return box


class Gallery:
    def __init__(self, gallery_exe, *args):
        env = dict(os.environ)
        env.setdefault("WINEPREFIX", wine_prefix())
        # A pointer left over a button by an earlier test would make it hover from the start.
        xdotool("mousemove", 0, 0)
        self.lines = []
        self.boxes = None  # newest geometry report: list of boxes
        self.reports = 0
        self._cond = threading.Condition()
        self.proc = subprocess.Popen([WINE_RUN, gallery_exe] + list(args), stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=env)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        pending = None
        for raw in self.proc.stdout:
            line = raw.decode("utf-8", errors="replace").rstrip("\r\n")
            with self._cond:
                if line == "geometry":
                    pending = []
                elif pending is not None and line == "end":
                    boxes = [] if pending == ["box none"] else [parse_box(b) for b in pending]
                    self.boxes = boxes
                    self.reports += 1
                    pending = None
                elif pending is not None:
                    pending.append(line)
                else:
                    self.lines.append(line)
                self._cond.notify_all()
        with self._cond:
            self._cond.notify_all()

    def wait(self, predicate, what, timeout=TIMEOUT):
        deadline = time.monotonic() + timeout
        with self._cond:
            while True:
                value = predicate()
                if value:
                    return value
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    raise Failure("timed out waiting for %s; printed: %r; boxes: %r"
                                  % (what, self.lines[-12:], self.boxes))
                self._cond.wait(min(remaining, 0.25))

    def wait_line(self, pattern, timeout=TIMEOUT, start=0):
        regex = re.compile(pattern)

        def find():
            for line in self.lines[start:]:
                m = regex.fullmatch(line)
                if m:
                    return m
            return None

        return self.wait(find, "a line like %r" % pattern, timeout)

    def has_line(self, pattern, start=0):
        regex = re.compile(pattern)
        with self._cond:
            return any(regex.fullmatch(line) for line in self.lines[start:])

    def wait_boxes(self, predicate, what, timeout=TIMEOUT):
        def test():
            boxes = self.boxes
            return boxes if boxes is not None and predicate(boxes) else None
        return self.wait(test, what, timeout)

    def wait_box_count(self, count, timeout=TIMEOUT):
        """The newest report with `count` boxes whose newest box is visible."""
        return self.wait_boxes(lambda b: len(b) == count and b[-1]["frame"] is not None
                               and b[-1]["content"] is not None,
                               "%d open box(es)" % count, timeout)

    def wait_exit(self, timeout=TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("ui-gallery did not end; printed: %r" % self.lines[-12:])

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(30)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


# ---------------------------------------------------------------------------------------------
# Real input

def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True)


def move_to(x, y):
    xdotool("mousemove", x, y)


def glide(x0, y0, x1, y1, steps=12, pause=0.03):
    """Moves the pointer in small steps, as a hand does, so every step is a mouse move."""
    for i in range(1, steps + 1):
        move_to(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps))
        time.sleep(pause)


def press():
    xdotool("mousedown", 1)


def release():
    xdotool("mouseup", 1)


def key(name):
    xdotool("key", name)


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def click_on(gallery, rect, box_index=-1, state_index=None):
    """Points at a button, waits until it shows hover, then presses and releases it."""
    x, y = centre(rect)
    move_to(x - 3, y)
    time.sleep(0.05)
    move_to(x, y)
    if state_index is not None:
        gallery.wait_boxes(lambda b: b and b[box_index]["states"][state_index] == 3,
                           "hover on the button")
    press()
    if state_index is not None:
        gallery.wait_boxes(lambda b: b and b[box_index]["states"][state_index] == 2,
                           "the button pressed")
    else:
        time.sleep(0.3)
    release()


# ---------------------------------------------------------------------------------------------
# Screen and pictures

class Image:
    def __init__(self, width, height, pixels, channels):
        self.w, self.h, self.px, self.ch = width, height, pixels, channels

    def rgb(self, x, y):
        i = (y * self.w + x) * self.ch
        return self.px[i], self.px[i + 1], self.px[i + 2]

    def rgba(self, x, y):
        i = (y * self.w + x) * self.ch
        a = self.px[i + 3] if self.ch == 4 else 255
        return self.px[i], self.px[i + 1], self.px[i + 2], a

    def over_black(self, x, y):
        r, g, b, a = self.rgba(x, y)
        return r * a / 255.0, g * a / 255.0, b * a / 255.0


def screenshot(path=None):
    """The whole X screen as RGB; optionally also saved as a PNG for people to look at."""
    raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                         stdout=subprocess.PIPE, check=True).stdout
    size = subprocess.run(["xdpyinfo"], stdout=subprocess.PIPE, check=True).stdout.decode()
    m = re.search(r"dimensions:\s+(\d+)x(\d+)", size)
    width, height = int(m.group(1)), int(m.group(2))
    check(len(raw) == width * height * 3, "unexpected screenshot size")
    if path:
        subprocess.run(["import", "-window", "root", path], check=True)
    return Image(width, height, raw, 3)


def save_crop(path, rect, margin=24):
    x, y, w, h = rect
    subprocess.run(["import", "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (w + 2 * margin, h + 2 * margin, x - margin, y - margin),
                    "+repage", path], check=True)


def load_png(name):
    """Decodes one of the project's PNGs (8-bit RGB or RGBA, not interlaced)."""
    with open(os.path.join(PICTURES, name), "rb") as f:
        data = f.read()
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            check(depth == 8 and colour in (2, 6), "unsupported PNG " + name)
            channels = 4 if colour == 6 else 3
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    out = bytearray(height * stride)
    prev = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = prev[i]
            corner = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + pred) & 255
        out[y * stride:(y + 1) * stride] = line
        prev = line
    return Image(width, height, bytes(out), channels)


def mean_difference(screen, sx, sy, picture, px, py, w, h, step=2):
    """Mean absolute channel difference between a screen area and a picture over black."""
    total, count = 0.0, 0
    for y in range(0, h, step):
        for x in range(0, w, step):
            a = screen.rgb(sx + x, sy + y)
            b = picture.over_black(px + x, py + y)
            total += abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2])
            count += 3
    return total / max(count, 1)


def mean_colour(image, rect):
    x0, y0, w, h = rect
    r = g = b = 0.0
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            p = image.rgb(x, y)
            r, g, b = r + p[0], g + p[1], b + p[2]
    n = float(w * h)
    return r / n, g / n, b / n


def is_orange(colour):
    r, g, b = colour
    return r > g + 30 and r > b + 60


def bright_bounds(image, rect, threshold):
    """Bounding box (x0, y0, x1, y1) of pixels brighter than threshold within rect."""
    x0, y0, w, h = rect
    found = None
    for y in range(max(0, y0), min(image.h, y0 + h)):
        for x in range(max(0, x0), min(image.w, x0 + w)):
            if sum(image.over_black(x, y) if image.ch == 4 else image.rgb(x, y)) > threshold:
                if found is None:
                    found = [x, y, x, y]
                else:
                    found[0], found[1] = min(found[0], x), min(found[1], y)
                    found[2], found[3] = max(found[2], x), max(found[3], y)
    return found
