"""The running saver under Wine, looked at as a person would: the desktop picture, petals
falling in the middle band, the end on a key or a click, and the preview in its host."""
import os
import tempfile
import time
import unittest

from .shared import PREVIEW, SAVER, session

WIDTH, HEIGHT = 1280, 800
# Where petals can ever be drawn: the drift's centre lies between 3/8 and about 17/24 of
# the width, the drift reaches 275 pixels either side, and a sprite is 16 pixels wide.
BAND_LEFT = int(WIDTH * 3 / 8) - 275 - 2
BAND_RIGHT = int(WIDTH * 3 / 8 + WIDTH / 3) + 275 + 16 + 2


def desktop_picture(path):
    """A desktop with no pink in it: blue-green gradient, a white and a dark box."""
    session().x("convert", "-size", f"{WIDTH}x{HEIGHT}", "gradient:#1f3c6e-#5a9a8a",
                "-fill", "#f4f4f4", "-draw", "rectangle 40,40 400,260",
                "-fill", "#202020", "-draw", "rectangle 900,500 1240,760", path, check=True)


def changed(base, shot):
    """Positions where the screenshot differs from the desktop picture."""
    out = set()
    a, b, w = base.data, shot.data, base.width
    for i in range(0, len(a), 3):
        if a[i:i + 3] != b[i:i + 3]:
            p = i // 3
            out.add((p % w, p // w))
    return out


def groups(points, gap=2):
    """Changed pixels grouped into petals: pixels within `gap` of each other belong together."""
    seen, out = set(), []
    for p in points:
        if p in seen:
            continue
        stack, group = [p], []
        seen.add(p)
        while stack:
            x, y = stack.pop()
            group.append((x, y))
            for dx in range(-gap, gap + 1):
                for dy in range(-gap, gap + 1):
                    q = (x + dx, y + dy)
                    if q in points and q not in seen:
                        seen.add(q)
                        stack.append(q)
        out.append(group)
    return out


def blobs(points, gap=2):
    """How many petals (or groups of overlapping ones) the changed pixels make."""
    return len(groups(points, gap))


class Saver(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.s = session()
        cls.tmp = tempfile.mkdtemp()
        cls.picture = os.path.join(cls.tmp, "desktop.png")
        desktop_picture(cls.picture)

    def setUp(self):
        self.s.kill_wine_programs()
        self.s.set_root_picture(self.picture)
        time.sleep(0.3)
        self.base = self.s.screenshot()

    def tearDown(self):
        self.s.kill_wine_programs()

    def start(self, petals):
        self.s.write_settings(petals=petals, kind=0, repeat=0, music="")
        p = self.s.start_scr("/s")
        self.assertTrue(self.s.wait_window(SAVER), "no saver window")
        return p

    def end_with_key(self, p, key="space"):
        t = time.monotonic()
        self.s.key(key)
        p.wait(timeout=10)
        return time.monotonic() - t

    def test_petals_fall_over_the_desktop_in_the_middle_band(self):
        p = self.start(300)
        first = self.s.screenshot()
        diff = changed(self.base, first)
        # All petals start hidden: the first picture is the desktop, bar the few petals
        # whose first hidden fall was already over.
        self.assertLess(len(diff), WIDTH * HEIGHT // 50, "the first screenshot is not the desktop")
        pink_seen = 0
        for _ in range(6):
            time.sleep(2)
            shot = self.s.screenshot()
            diff = changed(self.base, shot)
            outside = [q for q in diff if q[0] < BAND_LEFT or q[0] >= BAND_RIGHT]
            self.assertEqual(outside, [], "something changed outside the band petals fall in")
            pink = 0
            for (x, y) in diff:
                r, g, b = shot.pixel(x, y)
                if r > g + 25 and r >= b:
                    pink += 1
            pink_seen = max(pink_seen, pink)
            self.assertGreater(len(diff), 200, "no petals drawn")
            self.assertGreater(pink, len(diff) // 2, "the petals are not pink")
        self.s.save_png(os.path.join(self.s.root, "saver.png"))
        self.assertIsNone(p.poll(), "the saver ended by itself")
        self.end_with_key(p)

    def test_about_half_the_petals_are_on_screen(self):
        p = self.start(40)  # 41 petals
        time.sleep(10)  # every first (hidden) fall is over by now
        counts = []
        for _ in range(3):
            counts.append(blobs(changed(self.base, self.s.screenshot())))
            time.sleep(1)
        mean = sum(counts) / len(counts)
        self.assertGreaterEqual(mean, 9, counts)
        self.assertLessEqual(mean, 32, counts)
        self.end_with_key(p)

    def test_any_key_ends_within_a_second(self):
        for key in ("space", "a", "Shift_L", "Left", "F1"):
            with self.subTest(key=key):
                p = self.start(300)
                time.sleep(1.5)
                took = self.end_with_key(p, key)
                self.assertLess(took, 1.0)
                self.assertEqual(p.returncode, 0)

    def test_moving_the_mouse_does_not_end_but_a_click_does(self):
        for button in (1, 3):
            with self.subTest(button=button):
                p = self.start(300)
                for x, y in ((100, 100), (600, 400), (1000, 700), (640, 420)):
                    self.s.move(x, y)
                    time.sleep(0.3)
                time.sleep(1)
                self.assertIsNone(p.poll(), "moving the mouse ended the saver")
                t = time.monotonic()
                self.s.click(640, 400, button)
                p.wait(timeout=10)
                self.assertLess(time.monotonic() - t, 1.0)

    def test_petals_fall_thirty_to_forty_two_pixels_a_second_and_input_ends_at_once(self):
        # Petals enter at the top and fall 0.5 to 0.7 pixels a pass, 60 passes a second.
        # The lowest petal's bottom edge is the highest of lines rising 30 to 42 pixels a
        # second, so it too rises within those rates (until the first falls reach the bottom).
        def lowest(shot):
            rows = [y for (_, y) in changed(self.base, shot)]
            return max(rows) if rows else None

        def timed_shot():
            t0 = time.monotonic()
            shot = self.s.screenshot()
            return shot, t0, time.monotonic()

        p = self.start(300)
        time.sleep(2)
        first, a0, a1 = timed_shot()
        time.sleep(6)
        second, b0, b1 = timed_shot()
        y1, y2 = lowest(first), lowest(second)
        self.assertIsNotNone(y1, "no petal entered in the first two seconds")
        self.assertLess(y2, HEIGHT - 1, "the first petals reached the bottom: too fast")
        # The pictures were taken somewhere within each screenshot's time; a petal's lowest
        # row moves a few pixels as it tumbles.
        fallen, shape = y2 - y1, 8
        self.assertGreaterEqual(fallen + shape, 30 * (b0 - a1), (y1, y2, b0 - a1))
        self.assertLessEqual(fallen - shape, 42 * (b1 - a0), (y1, y2, b1 - a0))
        self.assertLess(self.end_with_key(p), 0.5)
        p = self.start(300)
        time.sleep(1)
        t = time.monotonic()
        self.s.click(640, 400)
        p.wait(timeout=10)
        self.assertLess(time.monotonic() - t, 0.5)

    def test_no_passes_while_the_display_is_off_and_a_key_still_ends(self):
        power = self.s.install_tool("display_power.exe")

        def display(state):
            r = self.s.run_wine(power, SAVER, str(state))
            self.assertEqual(r.returncode, 0, f"display_power.exe {state} failed")
            time.sleep(0.3)  # a pass under way when the message came is over

        p = self.start(300)
        time.sleep(3)
        for off, back in ((0, 1), (0, 2)):  # off, then on; off, then dimmed
            display(off)
            still = self.s.screenshot()
            time.sleep(1.5)
            self.assertEqual(len(changed(still, self.s.screenshot())), 0, "passes went on with the display off")
            display(back)
            self.assertNotEqual(changed(still, self.s.screenshot()), set(), f"no passes after state {back}")
        display(0)
        self.assertLess(self.end_with_key(p), 1.0)

    def test_no_petals_leave_the_desktop_untouched(self):
        p = self.start(-1)
        time.sleep(4)
        self.assertEqual(changed(self.base, self.s.screenshot()), set())
        self.assertLess(self.end_with_key(p), 1.0)

    def test_preview_lives_in_its_host_and_ends_with_it(self):
        host = self.s.install_tool("preview_host.exe")
        report = os.path.join(self.s.program_dir, "host.txt")
        stop = os.path.join(self.s.program_dir, "host.stop")
        for f in (report, report + ".children", stop):
            if os.path.exists(f):
                os.remove(f)
        self.s.start_wine(host, r"C:\Fluttera\host.txt", r"C:\Fluttera\host.stop")
        for _ in range(100):
            if os.path.exists(report) and os.path.getsize(report) > 0:
                break
            time.sleep(0.1)
        with open(report) as f:
            handle = f.read().split()[0]
        preview = self.s.start_scr("/p", handle)
        children = ""
        for _ in range(100):
            time.sleep(0.1)
            try:
                with open(report + ".children", encoding="utf-16-le", errors="replace") as f:
                    children = f.read()
            except FileNotFoundError:
                continue
            if PREVIEW in children:
                break
        try:
            with open(report + ".children", "rb") as f:
                raw = f.read()
            children = raw.decode("utf-8", errors="replace") if b"\x00" not in raw else raw.decode("utf-16-le")
        except FileNotFoundError:
            pass
        self.assertIn(PREVIEW + "|0|0|152|112|1", children, children)
        time.sleep(2)
        self.assertIsNone(preview.poll(), "the preview ended while its host was open")
        open(stop, "w").close()
        t = time.monotonic()
        preview.wait(timeout=10)
        self.assertLess(time.monotonic() - t, 2.0)
        self.assertEqual(preview.returncode, 0)


if __name__ == "__main__":
    unittest.main()
