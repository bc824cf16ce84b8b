"""The running saver under Wine, looked at as a person would: the desktop picture, petals
falling in the middle band, the end on a key or a click, and the preview in its host."""
import os
import re
import tempfile
import time
import unittest

from fluttera_test.pictures import is_pink, petal_band
from fluttera_test.session import GUARD, wait_until

from .shared import PREVIEW, SAVER, session

WIDTH, HEIGHT = 1280, 800
BAND_LEFT, BAND_RIGHT = petal_band(WIDTH)
CONSOLE_DISPLAY_STATE = "6fe69556-704a-47a0-8f24-c28d936fda47"


def desktop_picture(path):
    """A desktop with no pink in it: blue-green gradient, a white and a dark box."""
    session().x("convert", "-size", f"{WIDTH}x{HEIGHT}", "gradient:#1f3c6e-#5a9a8a",
                "-fill", "#f4f4f4", "-draw", "rectangle 40,40 400,260",
                "-fill", "#202020", "-draw", "rectangle 900,500 1240,760", path, check=True)


def changed(base, shot):
    """Positions where the screenshot differs from the desktop picture. Equal rows, and
    equal runs of 16 pixels, are passed over whole: a busy machine leaves a test little time."""
    out = set()
    a, b, row = base.data, shot.data, base.width * 3
    for y in range(base.height):
        start = y * row
        if a[start:start + row] == b[start:start + row]:
            continue
        for run in range(start, start + row, 48):
            if a[run:run + 48] != b[run:run + 48]:
                for i in range(run, min(run + 48, start + row), 3):
                    if a[i:i + 3] != b[i:i + 3]:
                        out.add(((i - start) // 3, y))
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


def loop_turns(p):
    """How often the program's window thread has woken from a wait (Linux counts it). The
    saver waits for its next pass and for the Wine server's answers in every pass: some 300
    wakes a second were counted while it ran freely."""
    try:
        with open(f"/proc/{p.pid}/status") as f:
            return next(int(line.split()[1]) for line in f if line.startswith("voluntary_ctxt_switches"))
    except (OSError, StopIteration):
        return 0


def still_runs(s, p, turns=300):
    """Whether the saver still runs, its window shown, after `turns` more turns of its loop
    (a second of passes on a quiet machine, longer on a loaded one, as the saver's own time
    goes): a saver that ends by itself soon after a wait, say at its first music tick, fails
    it. Its window goes first, maybe seconds before its process."""
    until = loop_turns(p) + turns
    turned = wait_until(lambda: p.poll() is not None or loop_turns(p) >= until) and p.poll() is None
    return turned and bool(s.windows(SAVER, visible=True))


def seconds_to_end(p):
    """Seconds from now (an event just sent) until the program has ended."""
    t = time.monotonic()
    p.wait(timeout=GUARD)
    return time.monotonic() - t


class Saver(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.s = session()
        cls.tmp = tempfile.mkdtemp()
        cls.picture = os.path.join(cls.tmp, "desktop.png")
        desktop_picture(cls.picture)

    def setUp(self):
        self.s.kill_wine_programs()
        self.base = self.s.set_root_picture(self.picture)

    def tearDown(self):
        self.s.kill_wine_programs()

    def start(self, petals, **how):
        self.s.write_settings(petals=petals, kind=0, repeat=0, music="")
        p = self.s.start_scr("/s", **how)
        self.assertTrue(self.s.wait_window(SAVER, proc=p), "no saver window")
        return p

    def running(self, p, pixels=200):
        """Waits until the saver shows petals (its passes run) and has the focus."""
        self.assertTrue(wait_until(lambda: len(changed(self.base, self.s.screenshot())) >= pixels, proc=p),
                        "no petals drawn")
        self.assertTrue(self.s.wait_focus(SAVER, proc=p), "the saver window never got the focus")

    def next_frame(self, p):
        """Waits until the saver draws another picture: it has handled what came before."""
        before = self.s.screenshot().data
        self.assertTrue(wait_until(lambda: self.s.screenshot().data != before, proc=p), "the saver stopped drawing")

    def end_with_key(self, p, key="space"):
        self.s.key(key)
        return seconds_to_end(p)

    def test_petals_fall_over_the_desktop_in_the_middle_band(self):
        p = self.start(300)
        first = self.s.screenshot()
        diff = changed(self.base, first)
        # All petals start hidden: the first picture is the desktop, bar the few petals
        # whose first hidden fall was already over.
        self.assertLess(len(diff), WIDTH * HEIGHT // 50, "the first screenshot is not the desktop")
        # Twice the bound each picture below must pass: a petal turned edge-on shows a few
        # pixels, so a wave caught just at the bound can dip under it for a picture.
        self.running(p, pixels=400)
        pink_seen = 0
        for _ in range(6):
            self.next_frame(p)
            shot = self.s.screenshot()
            diff = changed(self.base, shot)
            outside = [q for q in diff if q[0] < BAND_LEFT or q[0] >= BAND_RIGHT]
            self.assertEqual(outside, [], "something changed outside the band petals fall in")
            pink = sum(1 for q in diff if is_pink(*shot.pixel(*q)))
            pink_seen = max(pink_seen, pink)
            self.assertGreater(len(diff), 200, "no petals drawn")
            self.assertGreater(pink, len(diff) // 2, "the petals are not pink")
        self.s.save_png(os.path.join(self.s.root, "saver.png"))
        self.assertTrue(still_runs(self.s, p), "the saver ended by itself")
        self.end_with_key(p)

    def test_about_half_the_petals_are_on_screen(self):
        # 41 petals start hidden at random heights and show from the end of that hidden
        # fall, one by one, until nearly all are on screen (a whole fall takes some 22 s);
        # each respawn flips them, so then they go one by one. Over that wave (a rise to
        # more than three quarters and a fall to under a quarter) about half are on screen.
        p = self.start(40)
        counts = []

        def wave_over():
            counts.append(blobs(changed(self.base, self.s.screenshot())))
            return max(counts) > 30 and counts[-1] < 10
        self.assertTrue(wait_until(wave_over, timeout=3 * GUARD, step=0.5, proc=p),
                        f"no rise to more than 30 petals, then fall to under 10: {counts}")
        share = sum(counts) / len(counts) / 41
        self.assertTrue(0.35 < share < 0.65, f"{share:.0%} of the petals on screen on average: {counts}")
        self.end_with_key(p)

    def test_any_key_ends_within_a_second(self):
        for key in ("space", "a", "Shift_L", "Left", "F1"):
            with self.subTest(key=key):
                p = self.start(300)
                self.running(p)
                took = self.end_with_key(p, key)
                self.assertLess(took, 1.0)
                self.assertEqual(p.returncode, 0)

    def test_moving_the_mouse_does_not_end_but_a_click_does(self):
        for button in (1, 3):
            with self.subTest(button=button):
                p = self.start(300)
                self.running(p)
                for x, y in ((100, 100), (600, 400), (1000, 700), (640, 420)):
                    self.s.move(x, y)
                    self.next_frame(p)
                self.assertIsNone(p.poll(), "moving the mouse ended the saver")
                self.s.click(640, 400, button)
                self.assertLess(seconds_to_end(p), 1.0)

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
        first, a0, a1 = wait_until(lambda: (lambda t: t if lowest(t[0]) is not None else None)(timed_shot()), proc=p)
        time.sleep(6)  # the time the fall is measured over
        second, b0, b1 = timed_shot()
        y1, y2 = lowest(first), lowest(second)
        self.assertLess(y2, HEIGHT - 1, "the first petals reached the bottom: too fast")
        # The pictures were taken somewhere within each screenshot's time; a petal's lowest
        # row moves a few pixels as it tumbles.
        fallen, shape = y2 - y1, 8
        self.assertGreaterEqual(fallen + shape, 30 * (b0 - a1), (y1, y2, b0 - a1))
        self.assertLessEqual(fallen - shape, 42 * (b1 - a0), (y1, y2, b1 - a0))
        self.assertLess(self.end_with_key(p), 0.5)
        p = self.start(300)
        self.running(p)
        self.s.click(640, 400)
        self.assertLess(seconds_to_end(p), 0.5)

    def test_no_passes_while_the_display_is_off_and_a_key_still_ends(self):
        power = self.s.install_tool("display_power.exe")

        def display(state):
            """Tells the saver the display's state (as the system would, had it registered);
            returns its window's handle."""
            r = self.s.run_wine(power, SAVER, str(state))
            self.assertEqual(r.returncode, 0, f"display_power.exe {state} failed")
            return int(r.stdout.split()[0], 16)

        trace = os.path.join(self.s.root, "power.txt")
        with open(trace, "w") as f:
            p = self.start(300, env={"WINEDEBUG": "-all,fixme+win"}, stderr=f)
        self.running(p)
        # Wine 8 never sends the display's state, but its stub of the registration says
        # which window asked for which setting: the saver's own, for the console display.
        window = display(1)
        with open(trace, errors="replace") as f:
            asked = re.findall(r"RegisterPowerSettingNotification \(([0-9A-Fa-f]+),\{([-0-9a-f]+)\}", f.read())
        self.assertIn((window, CONSOLE_DISPLAY_STATE), [(int(w, 16), g) for w, g in asked],
                      "the saver window never registered for the display's state")
        for off, back in ((0, 1), (0, 2)):  # off, then on; off, then dimmed
            display(off)
            # A pass under way when the message came ends; then none follows.
            shots = [self.s.screenshot()]

            def same():
                shots.append(self.s.screenshot())
                return shots[-1].data == shots[-2].data
            self.assertTrue(wait_until(same, proc=p), "passes went on with the display off")
            still = shots[-1]
            for _ in range(2):  # two more messages answered while resting: still no pass
                display(off)
            self.assertEqual(len(changed(still, self.s.screenshot())), 0, "passes went on with the display off")
            display(back)
            self.assertTrue(wait_until(lambda: changed(still, self.s.screenshot()), proc=p),
                            f"no passes after state {back}")
        display(0)
        self.assertLess(self.end_with_key(p), 1.0)

    def test_no_petals_leave_the_desktop_untouched(self):
        p = self.start(-1)
        self.assertTrue(self.s.wait_focus(SAVER, proc=p), "the saver window never got the focus")
        # Some four seconds of passes: 301 petals would have shown in the first second.
        self.assertTrue(still_runs(self.s, p, turns=1200), "the saver ended by itself")
        self.assertEqual(changed(self.base, self.s.screenshot()), set())
        self.assertLess(self.end_with_key(p), 1.0)

    def test_preview_lives_in_its_host_and_ends_with_it(self):
        host = self.s.install_tool("preview_host.exe")
        report = os.path.join(self.s.program_dir, "host.txt")
        stop = os.path.join(self.s.program_dir, "host.stop")
        for f in (report, report + ".children", stop):
            if os.path.exists(f):
                os.remove(f)
        host_proc = self.s.start_wine(host, r"C:\Fluttera\host.txt", r"C:\Fluttera\host.stop")
        self.assertTrue(wait_until(lambda: os.path.exists(report) and os.path.getsize(report) > 0, proc=host_proc),
                        "the host never said its window")
        with open(report) as f:
            handle = f.read().split()[0]
        preview = self.s.start_scr("/p", handle)

        def children():
            try:
                with open(report + ".children", "rb") as f:
                    raw = f.read()
            except FileNotFoundError:
                return ""
            return raw.decode("utf-8", errors="replace") if b"\x00" not in raw else raw.decode("utf-16-le", "replace")
        # The host reports its children every 100 ms: the preview may show there before it
        # has its size.
        wait_until(lambda: PREVIEW + "|0|0|152|112|1" in children(), proc=preview)
        self.assertIn(PREVIEW + "|0|0|152|112|1", children(), children())
        # A while in its host: 25 more of the host's lists (some ten of the preview's own
        # looks at its host) still name it.
        lists = set()

        def listed_a_while():
            if PREVIEW + "|0|0|152|112|1" in children():
                lists.add(os.stat(report + ".children").st_mtime_ns)
            return len(lists) >= 25
        self.assertTrue(wait_until(listed_a_while, step=0.05, proc=preview), "the preview left its host")
        self.assertIsNone(preview.poll(), "the preview ended while its host was open")
        open(stop, "w").close()
        self.assertLess(seconds_to_end(preview), 2.0)
        self.assertEqual(preview.returncode, 0)


if __name__ == "__main__":
    unittest.main()
