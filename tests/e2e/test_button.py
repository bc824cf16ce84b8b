"""The Command button on the screen: every face of the Button Gallery as Wine shows it,
and a live button under the real pointer (hover, leave and click)."""
import os
import subprocess
import time
import unittest

from fluttera_test.pictures import Image, read_picture
from fluttera_test.session import wait_until

from .shared import session, tool_path

GALLERY = "Button Gallery"
ENLARGED = "/tmp/fluttera-button-gallery-x4.png"

OUTLINE = 0x003C74
WHITE = 0xFFFFFF
PALE = 0xC6C5D7


def rgb(v):
    return (v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF)


def near(px, colour, tolerance=2):
    return all(abs(a - b) <= tolerance for a, b in zip(px, rgb(colour)))


def mix(top, bottom, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(rgb(top), rgb(bottom)))


def hexa(px):
    return "%02X%02X%02X" % px


def is_ink(px):
    r, g, b = px
    return r < 0x70 and g < 0x70 and b < 0x90


def ink_box(img):
    """Bounds of the caption's dark pixels inside the four-pixel frame, or None."""
    xs, ys = [], []
    for y in range(4, img.height - 4):
        for x in range(4, img.width - 4):
            if is_ink(img.pixel(x, y)):
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs), max(ys)


class Gallery:
    """The gallery started under Wine, with the button rectangles it reports."""

    def __init__(self, s):
        self.s = s
        exe = tool_path("button_gallery.exe")
        if not os.path.exists(exe):
            raise AssertionError(f"{exe} is missing: build the win64 preset")
        self.log = os.path.join(s.program_dir, "gallery.log")
        if os.path.exists(self.log):
            os.remove(self.log)
        self.proc = s.start_program(exe, s.windows_path("gallery.log"))
        self.buttons = {}
        if wait_until(lambda: "ready" in self.lines(), proc=self.proc):
            for line in self.lines():
                f = line.split()
                if f[0] == "button":
                    self.buttons[f[1]] = tuple(int(v) for v in f[2:6])
        if not self.buttons:
            raise AssertionError("the gallery did not start")

    def lines(self):
        try:
            with open(self.log, encoding="utf-8") as f:
                return [line.strip() for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def clicks(self, name):
        return sum(1 for line in self.lines() if line == f"click {name}")

    def crop(self, shot, name):
        x, y, w, h = self.buttons[name]
        return shot.crop(x, y, w, h)

    def face(self, name):
        return self.crop(self.s.screenshot(), name)

    def centre(self, name):
        x, y, w, h = self.buttons[name]
        return x + w // 2, y + h // 2

    def beside(self, name):
        """A point of the gallery's own background, right of the button."""
        x, y, w, h = self.buttons[name]
        return x + w + 8, y + h // 2

    def wait_face(self, name, test, since=None):
        """Waits for a screenshot whose face passes `test`. Returns the seconds from `since`
        (the time just before an event; default now) to the end of the first screenshot that
        passed: the face had changed by then, so a bound on it is one the screen kept to,
        however slow the screenshots are. None when no face passed."""
        start = time.monotonic() if since is None else since

        def passes():
            return test(self.face(name)) and time.monotonic() - start
        return wait_until(passes, step=0.02, proc=self.proc) or None


def rim(img, row):
    return img.pixel(img.width // 2, row)


def shows_highlight(img):
    return near(rim(img, 2), 0xFFF0CF)


def shows_normal(img):
    return near(rim(img, 1), OUTLINE) and near(rim(img, 2), 0xF3F3EE)


def shows_selected(img):
    return near(rim(img, 2), 0xCEE7FF)


class ButtonFaces(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.s = session()
        cls.s.kill_wine_programs()
        cls.g = Gallery(cls.s)
        # Keep the pointer off every button while the faces are looked at.
        cls.s.move(cls.s.width - 5, cls.s.height - 5)
        shots = [cls.s.screenshot()]

        def settled():  # the faces have followed the pointer: two pictures alike
            shots.append(cls.s.screenshot())
            return shots[-1].data == shots[-2].data
        if not wait_until(settled, proc=cls.g.proc):
            raise AssertionError("the gallery never stood still")
        cls.shot = shots[-1]

    @classmethod
    def tearDownClass(cls):
        cls.s.kill_wine_programs()

    def sizes(self):
        return ("81x25", "29x21")

    def expect_gradient(self, img, top, bottom):
        """Interior rows beside the caption follow the ramp from `top` at row 0 to
        `bottom` at the last row."""
        h = img.height
        for y in range(4, h - 4):
            for x in (4, img.width - 5):
                want = mix(top, bottom, y / (h - 1))
                got = img.pixel(x, y)
                self.assertTrue(all(abs(a - b) <= 4 for a, b in zip(got, want)),
                                f"row {y} column {x}: {hexa(got)}, expected about {hexa(want)}")

    def test_00_save_the_enlarged_gallery(self):
        xs = [b[0] for b in self.g.buttons.values()]
        ys = [b[1] for b in self.g.buttons.values()]
        x0, y0 = min(xs) - 10, min(ys) - 30
        x1 = max(b[0] + b[2] for b in self.g.buttons.values()) + 10
        y1 = max(b[1] + b[3] for b in self.g.buttons.values()) + 10
        path = os.path.join(self.s.root, "gallery.png")
        self.s.save_png(path)
        subprocess.run(["convert", path, "-crop", f"{x1 - x0}x{y1 - y0}+{x0}+{y0}", "+repage", "-scale", "400%",
                        ENLARGED], check=True)
        # The picture is the gallery, every face pixel for pixel as the screen showed it.
        big = read_picture(ENLARGED)
        self.assertEqual((big.width, big.height), (4 * (x1 - x0), 4 * (y1 - y0)))
        for name, (x, y, w, h) in self.g.buttons.items():
            with self.subTest(button=name):
                seen = Image(w, h, b"".join(bytes(big.pixel(4 * (x - x0 + i), 4 * (y - y0 + j)))
                                            for j in range(h) for i in range(w)))
                self.assertEqual(seen.data, self.g.crop(self.shot, name).data, f"{name} is not as on the screen")

    def test_normal_runs_from_white_to_pale_inside_the_outline(self):
        for size in self.sizes():
            with self.subTest(size=size):
                img = self.g.crop(self.shot, "Normal" + size)
                self.assertTrue(near(rim(img, 0), 0xE0DCC9), hexa(rim(img, 0)))
                self.assertTrue(near(rim(img, 1), OUTLINE), hexa(rim(img, 1)))
                self.assertTrue(near(rim(img, img.height - 2), OUTLINE))
                self.assertTrue(near(img.pixel(1, img.height // 2), OUTLINE))
                self.assertTrue(near(img.pixel(img.width - 2, img.height // 2), OUTLINE))
                self.expect_gradient(img, WHITE, PALE)

    def test_highlight_is_pale_at_the_top_under_the_orange_rim(self):
        for size in self.sizes():
            with self.subTest(size=size):
                img = self.g.crop(self.shot, "HighLight" + size)
                h = img.height
                self.assertTrue(near(rim(img, 1), OUTLINE))
                for row, colour in ((2, 0xFFF0CF), (3, 0xFDD889), (h - 4, 0xF8B330), (h - 3, 0xE59700)):
                    self.assertTrue(near(rim(img, row), colour), f"row {row}: {hexa(rim(img, row))}")
                self.expect_gradient(img, PALE, WHITE)

    def test_highlight_select_from_selected_keeps_white_at_the_top(self):
        for size in self.sizes():
            with self.subTest(size=size):
                img = self.g.crop(self.shot, "HighLightSelect" + size)
                self.assertTrue(near(rim(img, 2), 0xFFF0CF))
                self.assertTrue(near(rim(img, img.height - 3), 0xE59700))
                self.expect_gradient(img, WHITE, PALE)

    def test_selected_has_the_blue_rim(self):
        for size in self.sizes():
            with self.subTest(size=size):
                img = self.g.crop(self.shot, "Selected" + size)
                h = img.height
                self.assertTrue(near(rim(img, 1), OUTLINE))
                self.assertTrue(near(rim(img, 2), 0xCEE7FF), hexa(rim(img, 2)))
                self.assertTrue(near(rim(img, h - 3), 0x6982EE), hexa(rim(img, h - 3)))
                # The sides shade from light to deeper blue.
                top_side, low_side = img.pixel(2, 4), img.pixel(2, h - 5)
                self.assertGreater(sum(top_side), sum(low_side))
                self.expect_gradient(img, WHITE, PALE)

    def test_pressed_frame_lies_one_pixel_further_in(self):
        for size in self.sizes():
            with self.subTest(size=size):
                img = self.g.crop(self.shot, "Pressed" + size)
                self.assertTrue(near(rim(img, 0), 0xECE9D8), hexa(rim(img, 0)))
                self.assertTrue(near(rim(img, 1), 0xE0DCC9), hexa(rim(img, 1)))
                self.assertTrue(near(rim(img, 2), OUTLINE), hexa(rim(img, 2)))
                self.assertTrue(near(rim(img, img.height - 3), OUTLINE))
                # Reached by hover and focus: the hover's pale-topped gradient stays.
                self.assertLess(sum(img.pixel(5, 4)), sum(img.pixel(5, img.height - 5)))

    def test_disabled_face_has_no_outline_and_a_grey_caption(self):
        for size in self.sizes():
            with self.subTest(size=size):
                img = self.g.crop(self.shot, "Disable" + size)
                pixels = [img.pixel(x, y) for y in range(img.height) for x in range(img.width)]
                self.assertFalse(any(near(p, OUTLINE, 16) for p in pixels), "an outline is drawn")
                self.assertTrue(near(rim(img, 0), 0xECE9D8))
                self.assertTrue(near(rim(img, 1), 0xC9C7BA), hexa(rim(img, 1)))
                self.assertIsNone(ink_box(img), "the caption is not greyed")
                greys = [p for p in pixels if max(p) - min(p) < 16 and max(p) < 0xB0]
                self.assertTrue(greys, "no greyed caption")

    def test_caption_is_centred_just_above_the_middle(self):
        for face in ("Normal", "HighLight", "Selected"):
            for size, label_top in (("81x25", 5), ("29x21", 3)):
                with self.subTest(face=face, size=size):
                    img = self.g.crop(self.shot, face + size)
                    box = ink_box(img)
                    self.assertIsNotNone(box, "no caption")
                    left, top, right, bottom = box
                    self.assertLessEqual(abs((left + right) / 2 - (img.width - 1) / 2), 1.5, box)
                    # Inside the caption label: 13 pixels high from 80 (50) twips down.
                    self.assertGreaterEqual(top, label_top, box)
                    self.assertLess(bottom, label_top + 13, box)
                    if size == "81x25":
                        # Full-height letters: their middle about 10 twips above the face's.
                        middle = (top + bottom) / 2
                        self.assertLessEqual(middle, (img.height - 1) / 2, box)
                        self.assertGreaterEqual(middle, (img.height - 1) / 2 - 2.5, box)


class LiveButton(unittest.TestCase):
    """The live buttons under the real pointer, moved and clicked with xdotool."""

    @classmethod
    def setUpClass(cls):
        cls.s = session()
        cls.s.kill_wine_programs()
        cls.g = Gallery(cls.s)

    @classmethod
    def tearDownClass(cls):
        cls.s.kill_wine_programs()

    def test_hover_leave_and_one_click(self):
        g, s = self.g, self.s
        big, small = "Live81x25", "Live29x21"
        # Start on the gallery's background, so Wine sees the pointer arrive.
        s.move(*g.beside(big))
        self.assertIsNotNone(g.wait_face(big, shows_normal), "not Normal at rest")

        s.move(*g.centre(big))
        self.assertIsNotNone(g.wait_face(big, shows_highlight), "no HighLight under the pointer")
        img = g.face(big)
        self.assertLess(sum(img.pixel(5, 4)), sum(img.pixel(5, img.height - 5)), "gradient not reversed")

        # Off onto the form: the watch, every 100 ms, brings Normal back.
        t = time.monotonic()
        s.move(*g.beside(big))
        took = g.wait_face(big, shows_normal, since=t)
        self.assertIsNotNone(took, "HighLight stayed after the pointer left")
        self.assertLess(took, 0.5, "still HighLight half a second after the pointer left")
        print(f"\n  hover gone in a screenshot ending {took * 1000:.0f} ms after the move began")

        # A click: exactly one Click, and the button keeps the focus.
        s.move(*g.centre(big))
        self.assertIsNotNone(g.wait_face(big, shows_highlight))
        s.x("xdotool", "click", "1")
        self.assertTrue(wait_until(lambda: g.clicks(big) >= 1, proc=g.proc), "no Click")
        self.assertEqual(g.clicks(big), 1)
        self.assertTrue(shows_highlight(g.face(big)), "not HighLightSelect after the click")
        t = time.monotonic()
        s.move(*g.beside(big))
        took = g.wait_face(big, shows_selected, since=t)
        self.assertIsNotNone(took, "focused button not Selected once left")
        self.assertLess(took, 0.5, "focused button not Selected half a second after the pointer left")
        # Selected is the watch's pass after the move, which the gallery handles after the
        # click's press and release: a second Click of theirs would be in the log by now.
        self.assertEqual(g.clicks(big), 1)

        # The other live button takes the click and the focus; the first goes back to Normal.
        s.move(*g.beside(small))
        s.move(*g.centre(small))
        self.assertIsNotNone(g.wait_face(small, shows_highlight), "no HighLight on the other button")
        t = time.monotonic()
        s.x("xdotool", "click", "1")
        self.assertTrue(wait_until(lambda: g.clicks(small) >= 1, proc=g.proc), "no Click on the other button")
        self.assertEqual(g.clicks(small), 1)
        took = g.wait_face(big, shows_normal, since=t)
        self.assertIsNotNone(took, "the first button kept its focus face")
        self.assertLess(took, 0.5, "the first button kept its focus face for half a second")
        # Many passes of the watch after the first click: still one Click.
        self.assertEqual(g.clicks(big), 1)


if __name__ == "__main__":
    unittest.main()
