"""The saver on a high-DPI screen: with Wine at 192 dpi (200 %) the petals are drawn twice
as large as at 96 dpi, in the screen's real pixels. (Several monitors: test_monitors.)"""
import os
import tempfile
import unittest

from fluttera_test.session import GUARD, wait_until

from .shared import SAVER, session
from .test_saver import changed, desktop_picture, groups

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def petal_sizes(points, gap=2):
    """The larger side of each group of changed pixels (one petal, or a few overlapping)."""
    sizes = []
    for group in groups(points, gap):
        xs, ys = [x for x, _ in group], [y for _, y in group]
        sizes.append(max(max(xs) - min(xs), max(ys) - min(ys)) + 1)
    return sizes


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


class HighDpi(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.s = session()
        cls.tmp = tempfile.mkdtemp()
        cls.picture = os.path.join(cls.tmp, "desktop.png")
        desktop_picture(cls.picture)

    def tearDown(self):
        self.s.kill_wine_programs()
        self.s.run_wine("reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        self.s.kill_wine_programs()

    def sizes_at(self, dpi, wanted=40):
        """Sizes of at least `wanted` petals seen by the saver running at that dpi."""
        self.s.kill_wine_programs()
        r = self.s.run_wine("reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.s.kill_wine_programs()
        base = self.s.set_root_picture(self.picture)
        self.s.write_settings(petals=30, kind=0, repeat=0, music="")
        p = self.s.start_scr("/s")
        self.assertTrue(self.s.wait_window(SAVER, proc=p), "no saver window")
        sizes = []

        def enough():
            sizes.extend(petal_sizes(changed(base, self.s.screenshot())))
            return len(sizes) >= wanted
        seen = wait_until(enough, timeout=2 * GUARD, step=0.5, proc=p)
        self.s.save_png(os.path.join(self.s.root, f"saver-{dpi}dpi.png"))
        self.s.key("space")
        self.assertEqual(p.wait(timeout=GUARD), 0, "the saver did not end as on a key")
        self.assertTrue(seen, f"too few petals seen at {dpi} dpi: {len(sizes)}")
        return sizes

    def test_petals_are_twice_as_large_at_192_dpi(self):
        normal = median(self.sizes_at(96))
        double = median(self.sizes_at(192))
        self.assertLessEqual(normal, 16)
        ratio = double / normal
        self.assertGreater(ratio, 1.6, (normal, double))
        self.assertLess(ratio, 2.4, (normal, double))


if __name__ == "__main__":
    unittest.main()
