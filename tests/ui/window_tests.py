#!/usr/bin/env python3
"""Skinned message boxes in real windows under Wine, driven by real input and read back from the
screen. Usage: window_tests.py UI_GALLERY_EXE CASE [--shots DIR]
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_driver import (Failure, Gallery, bright_bounds, centre, check, click_on, glide,  # noqa
                           is_orange, key, load_png, mean_colour, mean_difference, move_to, press,
                           release, save_crop, screenshot)

ENCOURAGEMENTS = [
    "万人同服，震撼全世界！可以再等等…",
    "真实战斗场景！值得你的等待~",
    "不再等等了吗… 纯3D特效战争场景哦！",
    "玩命下载，很快的，您可以喝杯茶再等等~",
    "无尽的战争，搞笑的战斗，值得拥有！",
    "说什么好呢……还是再等等吧！",
]

FRAME = load_png("message_box_frame.png")
FACES = {name: load_png(name) for name in ("button_highlight.png", "button_highlight_hot.png",
                                           "button_dark.png", "button_dark_hot.png")}
SHOTS = None
GALLERY = None


def offset(rect, dx, dy):
    return (rect[0] - dx, rect[1] - dy, rect[2], rect[3])


def shot(name, rect):
    if SHOTS:
        save_crop(os.path.join(SHOTS, name), rect)


def expected_box(scale, screen_w=1920, screen_h=1080):
    """Where a box without anchor or owner must be: centred on the desktop."""
    fw, fh = int(384 * scale), int(198 * scale)
    fx, fy = screen_w // 2 - fw // 2, screen_h // 2 - fh // 2
    left, top = int(scale * 20), int(scale * 18)
    cw, ch = int(fw - scale * 40), int(fh - scale * 36)
    return (fx, fy, fw, fh), (fx + left, fy + top, cw, ch)


def scaled(content, left, top, right, bottom, scale):
    x0, y0, x1, y1 = (int(v * scale) for v in (left, top, right, bottom))
    return (content[0] + x0, content[1] + y0, x1 - x0, y1 - y0)


def check_frame_on_screen(screen, frame):
    """The layered frame shows PNG 138 at its place: compare the ring outside the content."""
    fx, fy = frame[0], frame[1]
    ring = [(0, 0, 384, 18), (0, 180, 384, 18), (0, 18, 20, 162), (364, 18, 20, 162)]
    for x, y, w, h in ring:
        diff = mean_difference(screen, fx + x, fy + y, FRAME, x, y, w, h)
        check(diff < 6.0, "frame ring %r differs from the picture by %.1f" % ((x, y, w, h), diff))


def check_content_background(screen, content):
    """Around its controls the content paints the piece (20, 18, 344, 162) of PNG 138."""
    cx, cy = content[0], content[1]
    for x, y, w, h in [(0, 0, 344, 10), (0, 142, 344, 20), (310, 0, 34, 162)]:
        diff = mean_difference(screen, cx + x, cy + y, FRAME, 20 + x, 18 + y, w, h)
        check(diff < 8.0, "content area %r differs from the frame picture by %.1f"
              % ((x, y, w, h), diff))


def check_text(screen, label):
    """Light grey glyphs inside the label, centred in it."""
    bounds = bright_bounds(screen, label, 330)
    check(bounds is not None, "no text drawn in the label")
    x0, y0, x1, y1 = bounds
    middle = label[0] + label[2] / 2.0
    check(abs((x0 + x1) / 2.0 - middle) <= 8, "text not centred: %r in %r" % (bounds, label))
    check(y0 > label[1] and y1 < label[1] + label[3], "text outside the label: %r" % (bounds,))


def face_patch(rect):
    # Left part of a face, clear of the centred caption.
    return (rect[0] + 10, rect[1] + 8, 14, rect[3] - 16)


def face_of(screen, rect):
    """Which face picture a button shows (compared on a patch without caption)."""
    colour = mean_colour(screen, face_patch(rect))
    best, best_diff = None, 1e9
    for name, picture in FACES.items():
        patch = face_patch((0, 0, 137, 47))
        ref = mean_colour_picture(picture, patch)
        diff = sum(abs(colour[i] - ref[i]) for i in range(3))
        if diff < best_diff:
            best, best_diff = name, diff
    return best


def mean_colour_picture(picture, rect):
    x0, y0, w, h = rect
    total = [0.0, 0.0, 0.0]
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            p = picture.over_black(x, y)
            for i in range(3):
                total[i] += p[i]
    return tuple(t / (w * h) for t in total)


def wait_face(box_index, button, face, gallery):
    """Polls the screen until the button shows the face (the repaint follows the state)."""
    deadline = time.monotonic() + 20
    while True:
        boxes = gallery.boxes
        seen = face_of(screen_now(), boxes[box_index][button])
        if seen == face:
            return
        if time.monotonic() > deadline:
            raise Failure("%s shows %s, expected %s (boxes %r)" % (button, seen, face, boxes))
        time.sleep(0.2)


def screen_now():
    return screenshot()


def eventually(checks, timeout=20.0):
    """Runs checks(screen) on fresh screenshots until they pass: painting may lag on a busy
    machine. Returns the screenshot they passed on."""
    deadline = time.monotonic() + timeout
    while True:
        screen = screenshot()
        try:
            checks(screen)
            return screen
        except Failure:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.5)


# ---------------------------------------------------------------------------------------------
# Cases

def case_layout():
    """Frame, content, text and buttons of two-button boxes at scale 1, for both options."""
    for option, highlighted in ((0, "first"), (1, "second")):
        with Gallery(GALLERY, "box", "--style", "1", "--option", str(option), "--text",
                     "网络连接失败，请检查网络后重试。") as g:
            box = g.wait_box_count(1)[0]
            frame, content = expected_box(1.0)
            check(box["frame"] == frame, "frame %r, expected %r" % (box["frame"], frame))
            check(box["content"] == content, "content %r, expected %r" % (box["content"], content))
            check(box["first"] == scaled(content, 12, 91, 149, 138, 1.0), "first button place")
            check(box["second"] == scaled(content, 172, 91, 309, 138, 1.0), "second button place")
            check(box["text"] == scaled(content, 9, 12, 305, 80, 1.0), "text place")
            check(g.has_line("dpi-aware 1"), "the manifest did not make the process DPI-aware")

            def on_screen(screen):
                check_frame_on_screen(screen, frame)
                check_content_background(screen, content)
                check_text(screen, box["text"])
                first = mean_colour(screen, face_patch(box["first"]))
                second = mean_colour(screen, face_patch(box["second"]))
                orange, dark = (first, second) if highlighted == "first" else (second, first)
                check(is_orange(orange) and not is_orange(dark),
                      "option %d: highlighted face not on the %s button (%r / %r)"
                      % (option, highlighted, first, second))

            eventually(on_screen)
            shot("message_box_two_buttons_option%d.png" % option, frame)
            move_to(5, 5)


def case_single_button():
    """One-button styles hide the second button and centre the first, captioned 确定."""
    for style in ("0", "0x10", "0x4000"):
        with Gallery(GALLERY, "box", "--style", style, "--text",
                     "磁盘空间不足，请清理后重试。") as g:
            box = g.wait_boxes(lambda b: len(b) == 1 and b[0]["second"] is None
                               and b[0]["first"] is not None and b[0]["content"] is not None,
                               "a one-button box")[0]
            content = box["content"]
            first = box["first"]
            check(first[0] - content[0] == (344 - 137) // 2, "button not centred: %r" % (first,))
            check(first[1] - content[1] == 91 and first[2:] == (137, 47), "button place %r"
                  % (first,))
            def on_screen(screen):
                check(is_orange(mean_colour(screen, face_patch(first))),
                      "centred button not orange")
                # Where the second button would be, only the frame's picture.
                check_content_background(screen, content)

            eventually(on_screen)
            if style == "0":
                shot("message_box_one_button.png", box["frame"])
            click_on(g, first, state_index=0)
            g.wait_line("result 1")


def case_scaled():
    """At 120 dpi (scale 1.25) the frame is 480 x 247 and the content 430 x 202 at (25, 22)."""
    with Gallery(GALLERY, "box", "--dpi", "120", "--style", "1") as g:
        g.wait_line("scale 1250")
        box = g.wait_box_count(1)[0]
        frame, content = expected_box(1.25)
        check(frame[2:] == (480, 247) and box["frame"] == frame, "frame %r" % (box["frame"],))
        check(content[2:] == (430, 202) and box["content"] == content,
              "content %r" % (box["content"],))
        check((content[0] - frame[0], content[1] - frame[1]) == (25, 22), "inset")
        check(box["first"] == scaled(content, 12, 91, 149, 138, 1.25), "first button place")
        def on_screen(screen):
            # The drawn picture spans the scaled size: its visible extent scales with it.
            area = (frame[0] - 20, frame[1] - 20, frame[2] + 40, frame[3] + 40)
            seen = bright_bounds(screen, area, 60)
            want = bright_bounds(FRAME, (0, 0, 384, 198), 60)
            check(seen is not None and want is not None, "frame not visible")
            for i, origin in enumerate((frame[0], frame[1], frame[0], frame[1])):
                expected = origin + want[i] * 1.25
                check(abs(seen[i] - expected) <= 3, "scaled frame edge %d at %d, expected %.1f"
                      % (i, seen[i], expected))
            check_text(screen, box["text"])

        eventually(on_screen)
        shot("message_box_scaled_125.png", frame)


def case_results():
    """Clicks give 1 and 7; Alt+F4 gives 2; Escape and Enter do nothing."""
    for button, index, result in (("first", 0, "1"), ("second", 1, "7")):
        with Gallery(GALLERY, "box", "--style", "1") as g:
            box = g.wait_box_count(1)[0]
            click_on(g, box[button], state_index=index)
            g.wait_line("result " + result)
            check(g.wait_exit() == 0, "gallery failed")
    with Gallery(GALLERY, "box", "--style", "1") as g:
        box = g.wait_box_count(1)[0]
        # Keys go to the box under the pointer; give it the focus with a click on its text.
        move_to(*centre(box["text"]))
        press()
        release()
        time.sleep(0.5)
        for name in ("Escape", "Return", "KP_Enter", "ctrl+Break"):
            key(name)
        time.sleep(2.0)
        check(not g.has_line(r"result .*"), "a key answered the box: %r" % g.lines)
        check(g.proc.poll() is None and len(g.boxes) == 1, "the box went away after a key")
        key("alt+F4")
        g.wait_line("result 2")


def case_nested():
    """A second box hides the first; when it closes the first comes back unchanged."""
    trigger = os.path.join(os.environ.get("TMPDIR", "/tmp"), "ui-nested-%d" % os.getpid())
    if os.path.exists(trigger):
        os.remove(trigger)
    with Gallery(GALLERY, "box", "--style", "1", "--text", "第一个", "--second-box-file",
                 trigger, "--second-box-text", "第二个", "--second-box-style", "0") as g:
        first_box = g.wait_box_count(1)[0]
        eventually(lambda screen: check_content_background(screen, first_box["content"]))
        time.sleep(0.5)
        before = screenshot()
        open(trigger, "w").close()
        boxes = g.wait_boxes(lambda b: len(b) == 2 and b[0]["frame"] is None
                             and b[0]["content"] is None and b[1]["content"] is not None
                             and b[1]["second"] is None, "the second box over the hidden first")
        # The first box's second button is gone from the screen: only the frame picture there.
        eventually(lambda screen: check_content_background(screen, boxes[1]["content"]))
        click_on(g, boxes[1]["first"], box_index=1, state_index=0)
        g.wait_line("second result 1")
        again = g.wait_boxes(lambda b: len(b) == 1 and b[0]["content"] is not None,
                             "the first box back")[0]
        check(again == first_box, "first box changed: %r -> %r" % (first_box, again))
        frame = first_box["frame"]

        def unchanged(after):
            diff = mean_difference_screens(before, after, frame)
            check(diff < 3.0, "first box looks different after the second closed (%.1f)" % diff)

        eventually(unchanged)
        click_on(g, again["second"], state_index=1)
        g.wait_line("result 7")


def mean_difference_screens(a, b, rect):
    x0, y0, w, h = rect
    total, count = 0.0, 0
    for y in range(y0, y0 + h, 2):
        for x in range(x0, x0 + w, 2):
            p, q = a.rgb(x, y), b.rgb(x, y)
            total += abs(p[0] - q[0]) + abs(p[1] - q[1]) + abs(p[2] - q[2])
            count += 3
    return total / count


def case_confirm():
    """A close request asks with one of the six texts, 退出 dark and 取消 highlighted;
    取消 keeps the window, 退出 lets the close through."""
    with Gallery(GALLERY, "confirm") as g:
        host = g.wait_line(r"host=(\d+),(\d+),(\d+),(\d+)")
        host_rect = tuple(int(v) for v in host.groups())
        for attempt, (button, index, result) in enumerate((("second", 1, "7"),
                                                           ("first", 0, "1"))):
            start = len(g.lines)
            move_to(host_rect[0] + 20, host_rect[1] + 20)
            press()
            release()
            time.sleep(0.5)
            key("alt+F4")
            asked = g.wait_line(r"confirm text=(.*) first=(.*) second=(.*) style=(\d+) "
                                r"option=(\d+)", start=start)
            check(asked.group(1) in ENCOURAGEMENTS, "unexpected text %r" % asked.group(1))
            check(asked.groups()[1:] == ("退出", "取消", "4", "1"), "question %r" % (asked.groups(),))
            box = g.wait_box_count(1)[0]
            eventually(lambda screen: check(
                not is_orange(mean_colour(screen, face_patch(box["first"]))) and
                is_orange(mean_colour(screen, face_patch(box["second"]))),
                "取消 should carry the highlighted face"))
            frame, content = box["frame"], box["content"]
            # Centred over the window that asked.
            check(abs(centre(frame)[0] - centre(host_rect)[0]) <= 1 and
                  abs(centre(frame)[1] - centre(host_rect)[1]) <= 1, "box not centred on host")
            check((content[0] - frame[0], content[1] - frame[1]) == (20, 18), "content inset")
            if attempt == 0:
                shot("close_confirmation.png", frame)
            click_on(g, box[button], state_index=index)
            g.wait_line("confirm result " + result, start=start)
            if result == "7":
                time.sleep(1.0)
                check(not g.has_line("closing", start=start) and g.proc.poll() is None,
                      "取消 closed the window")
        g.wait_line("closing")
        g.wait_line(r"closed 2")


def case_drag():
    """Dragging the content or the frame moves both together, keeping the inset; a layered
    picture window sums its drags into MoveBy."""
    with Gallery(GALLERY, "box", "--style", "1") as g:
        box = g.wait_box_count(1)[0]
        frame, content = box["frame"], box["content"]
        # A spot of the content clear of the text and the buttons.
        x, y = content[0] + 4, content[1] + 150
        move_to(x, y)
        time.sleep(0.3)
        press()
        time.sleep(0.3)
        glide(x, y, x + 60, y - 40)
        time.sleep(0.3)
        release()
        moved = g.wait_boxes(lambda b: b[0]["frame"] == offset(frame, -60, 40),
                             "the frame moved by (60, -40)")[0]
        check(moved["content"] == offset(content, -60, 40), "content %r did not follow frame %r"
              % (moved["content"], moved["frame"]))
        def on_screen(screen):
            check_frame_on_screen(screen, moved["frame"])
            check_content_background(screen, moved["content"])

        eventually(on_screen)
        # The frame's own rim drags the pair as well.
        fx, fy = moved["frame"][0] + 190, moved["frame"][1] + 12
        move_to(fx, fy)
        time.sleep(0.3)
        press()
        time.sleep(0.3)
        glide(fx, fy, fx - 25, fy + 15)
        time.sleep(0.3)
        release()
        again = g.wait_boxes(lambda b: b[0]["frame"] == offset(moved["frame"], 25, -15),
                             "the frame moved by (-25, 15)")[0]
        check(again["content"] == offset(moved["content"], 25, -15), "content did not follow")
        click_on(g, again["first"], state_index=0)
        g.wait_line("result 1")
    # A layered picture window reports drags to MoveBy: a 10 x 5 drag in many small moves.
    with Gallery(GALLERY, "picture", "--id", "137") as g:
        m = g.wait_line(r"picture=(\d+),(\d+),780,340")
        x0, y0 = int(m.group(1)), int(m.group(2))
        check((x0, y0) == (570, 370), "picture not centred on the desktop: %r" % ((x0, y0),))
        start = (x0 + 66, y0 + 98)  # on the medal
        move_to(*start)
        time.sleep(0.3)
        press()
        time.sleep(0.3)
        glide(start[0], start[1], start[0] + 10, start[1] + 5, steps=10)
        time.sleep(0.3)
        release()
        g.wait_line("picture=%d,%d,780,340" % (x0 + 10, y0 + 5))


def case_button_states():
    """Normal, hover and pressed by real pointer moves; a press released outside is no click."""
    with Gallery(GALLERY, "box", "--style", "1") as g:
        box = g.wait_box_count(1)[0]
        first = box["first"]
        empty = (box["content"][0] + 4, box["content"][1] + 150)
        time.sleep(1.0)
        wait_face(0, "first", "button_highlight.png", g)
        wait_face(0, "second", "button_dark.png", g)
        glide(empty[0], empty[1], *centre(box["second"]))
        g.wait_boxes(lambda b: b[0]["states"] == (1, 3), "hover on the second button")
        wait_face(0, "second", "button_dark_hot.png", g)
        glide(*centre(box["second"]), *empty)
        g.wait_boxes(lambda b: b[0]["states"] == (1, 1), "the second button normal again")
        wait_face(0, "second", "button_dark.png", g)
        glide(empty[0], empty[1], *centre(first))
        g.wait_boxes(lambda b: b[0]["states"][0] == 3, "hover on the first button")
        wait_face(0, "first", "button_highlight_hot.png", g)
        press()
        g.wait_boxes(lambda b: b[0]["states"][0] == 2, "the first button pressed")
        wait_face(0, "first", "button_highlight_hot.png", g)
        glide(*centre(first), *empty)
        release()
        g.wait_boxes(lambda b: b[0]["states"][0] == 1, "normal after a release outside")
        wait_face(0, "first", "button_highlight.png", g)
        time.sleep(1.5)
        check(not g.has_line(r"result .*"), "a release outside clicked the button")
        click_on(g, first, state_index=0)
        g.wait_line("result 1")


def case_progress():
    """The bar shows the left part of the fill picture: 0, half and all of a 400-pixel bar."""
    for value, expected in (("0", 0), ("0.5", 200), ("1", 400)):
        with Gallery(GALLERY, "progress", "--value", value, "--bar-width", "400") as g:
            m = g.wait_line(r"progress bar=(\d+),(\d+),(\d+),(\d+)")
            x, y, w, h = (int(v) for v in m.groups())
            check((w, h) == (400, 14), "bar size %r" % ((w, h),))
            deadline = time.monotonic() + 20
            while True:
                time.sleep(1.0)
                screen = screenshot()
                filled = [sum(1 for row in range(y, y + 6) if is_orange(screen.rgb(col, row))) >= 4
                          for col in range(x - 4, x + w + 4)]
                width = sum(filled)
                if width == expected or time.monotonic() > deadline:
                    break
            check(abs(width - expected) <= 1, "value %s fills %d pixels, expected %d"
                  % (value, width, expected))
            if expected:
                check(filled[4] and not filled[4 + expected + 1], "fill does not start at the left")
            # Nothing below the 6 fill rows.
            check(not any(is_orange(screen.rgb(col, y + 8)) for col in range(x, x + w)),
                  "fill taller than 6 pixels")
            if value == "0.5":
                shot("progress_half.png", (x - 20, y - 22, w + 40, 60))


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    global GALLERY, SHOTS
    if len(sys.argv) < 3 or sys.argv[2] not in CASES:
        print("usage: window_tests.py UI_GALLERY_EXE CASE [--shots DIR]; cases: "
              + " ".join(sorted(CASES)))
        return 2
    GALLERY = sys.argv[1]
    if "--shots" in sys.argv:
        SHOTS = sys.argv[sys.argv.index("--shots") + 1]
        os.makedirs(SHOTS, exist_ok=True)
    if not os.environ.get("DISPLAY"):
        print("no DISPLAY: run through scripts/test, which starts Xvfb")
        return 1
    started = time.monotonic()
    try:
        CASES[sys.argv[2]]()
    except Failure as failure:
        print("FAILED %s: %s" % (sys.argv[2], failure))
        return 1
    print("passed %s in %.1f s" % (sys.argv[2], time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
