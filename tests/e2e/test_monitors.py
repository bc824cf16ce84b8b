"""The saver on three monitors of different sizes (Xorg's dummy driver), the left one lower
than the primary: petals on each, over that monitor's own part of the desktop, nothing where
no monitor is; a monitor switched off or on while it runs. First of all, Wine must see the
monitors the X server has: 32-bit Wine opens the X extension libraries only at run time, and
without them sees one monitor the size of the whole X screen."""
import os
import time
import unittest

from fluttera_test.pictures import is_pink
from fluttera_test.session import GUARD, Session, wait_until
from fluttera_test.xorg import THREE, DummyXorg, windows_places

from . import test_saver
from .shared import SAVER, scr_path
from .test_saver import changed, still_runs

# The right one switched off, or on again.
TWO = THREE[:2]


def inside(output, x, y):
    return output.x <= x < output.x + output.width and output.y <= y < output.y + output.height


class SeveralMonitors(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.s = Session(scr_path(), x_server=lambda: DummyXorg(THREE)).start()
        cls.addClassCleanup(cls.s.stop)
        cls.x = cls.s.x_server
        # Red is never above green or blue, so nothing of it looks like a petal; blue grows
        # to the right and green downwards, so a snapshot shifted either way shows.
        cls.picture = os.path.join(cls.s.root, "desktop.png")
        w, h = cls.x.width, cls.x.height
        cls.s.x("convert", "-size", f"{w}x{h}", "gradient:#000000-#00ff00", "(", "-size", f"{h}x{w}",
                "gradient:#0000ff-#000000", "-rotate", "90", ")", "-compose", "plus", "-composite", cls.picture,
                check=True)

    def setUp(self):
        self.s.kill_wine_programs()
        if self.x.outputs != THREE:
            self.x.lay_out(THREE)

    def tearDown(self):
        self.s.kill_wine_programs()

    def start(self, petals=100):
        self.s.write_settings(petals=petals, kind=0, repeat=0, music="")
        p = self.s.start_scr("/s")
        self.assertTrue(self.s.wait_window(SAVER, proc=p), "no saver window")
        return p

    def left_over(self):
        """Command lines of the saver and of Wine's crash handler still running in this
        session's Wine folder."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    env = f.read().split(b"\0")
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    cmd = f.read().replace(b"\0", b" ").decode(errors="replace")
            except OSError:
                continue
            if ("WINEPREFIX=" + self.s.env["WINEPREFIX"]).encode() in env and (
                    "Fluttera.scr" in cmd or "winedbg" in cmd):
                found.append(cmd)
        return found

    def wine_monitors(self, *args):
        """What the system tells a Windows program: a sorted list of (left, top, right,
        bottom), and which of them is the primary."""
        r = self.s.run_wine(self.s.install_tool("monitors.exe"), *args)
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = [line.split() for line in r.stdout.decode().splitlines() if line.strip()]
        primary = [tuple(int(v) for v in line[:4]) for line in lines if line[4:] == ["primary"]]
        return sorted(tuple(int(v) for v in line[:4]) for line in lines), primary

    def test_wine_sees_the_monitors_the_x_server_has(self):
        self.assertEqual(self.x.monitors(), {(o.name, o.width, o.height, o.x, o.y) for o in THREE})
        seen, primary = self.wine_monitors()
        self.assertEqual(seen, sorted(windows_places(THREE)),
                         "Wine sees other monitors than the X server has (32-bit Wine: are its X "
                         "libraries installed, libxrandr2:i386 and libxinerama1:i386 first?)")
        self.assertEqual(primary, [(0, 0, 1920, 1080)])

    def test_petals_fall_on_each_monitor_over_its_own_desktop_and_a_key_ends(self):
        base = self.s.set_root_picture(self.picture)
        p = self.start()
        # Every petal starts hidden: the first picture is the desktop on every monitor,
        # unshifted, bar the few petals whose hidden fall was already over.
        self.assertLess(len(changed(base, self.s.screenshot())), self.x.width * self.x.height // 100,
                        "the first screenshot is not the desktop")
        pink_seen = {o.name: 0 for o in THREE}

        def petals_on_each():
            shot = self.s.screenshot()
            diff = changed(base, shot)
            for o in THREE:
                mine = [q for q in diff if inside(o, *q)]
                pink = sum(1 for q in mine if is_pink(*shot.pixel(*q)))
                pink_seen[o.name] = max(pink_seen[o.name], pink)
                # What changed is petals: the rest of the monitor is the desktop, byte for byte.
                self.assertLessEqual(len(mine) - pink, max(5, pink // 100), f"not petals on {o.name}")
            nowhere = [q for q in diff if not any(inside(o, *q) for o in THREE)]
            self.assertEqual(nowhere[:5], [], "drawn where no monitor is")
            return min(pink_seen.values()) > 300
        self.assertTrue(wait_until(petals_on_each, step=0.5, proc=p), f"no petals on a monitor: {pink_seen}")
        self.assertTrue(still_runs(self.s, p), "the saver ended by itself")
        self.s.key("space")
        t = time.monotonic()
        p.wait(timeout=GUARD)
        self.assertLess(time.monotonic() - t, 1.0)
        self.assertEqual(p.returncode, 0)

    def test_a_monitor_switched_off_or_on_ends_the_saver_as_a_key_does(self):
        for change, before, after in (("off", THREE, TWO), ("on", TWO, THREE)):
            with self.subTest(change):
                self.s.kill_wine_programs()
                self.x.lay_out(before)
                p = self.start()
                # Drawing: the saver has taken the monitors as they were.
                first = self.s.screenshot().data
                self.assertTrue(wait_until(lambda: self.s.screenshot().data != first, proc=p),
                                "the saver draws nothing")
                self.assertTrue(still_runs(self.s, p), "the saver ended before the change")
                self.x.lay_out(after)
                self.assertTrue(wait_until(lambda: self.wine_monitors()[0] == sorted(windows_places(after)), proc=p),
                                "Wine did not see the change")
                # Wine 8 tells no window of a change made by the X server; Windows would.
                self.wine_monitors("changed")
                self.assertTrue(wait_until(lambda: p.poll() is not None), "the saver did not end")
                self.assertEqual(p.returncode, 0, "the saver did not end as on a key")
                self.assertTrue(wait_until(lambda: not self.left_over()), self.left_over())

    def test_the_preview_is_unchanged(self):
        test_saver.Saver.test_preview_lives_in_its_host_and_ends_with_it(self)


if __name__ == "__main__":
    unittest.main()
