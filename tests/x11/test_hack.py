"""fluttera, the Linux hack, natively under Xvfb: petals over the desktop in a window named
by id and on the root, its end on SIGTERM and with its window, and the real XScreenSaver
daemon running it, on one screen and (on Xorg's dummy driver) once per monitor of three.
Run from tests/: python3 -m x11.test_hack (prints "x11: N passed, N failed, N skipped"; a
skipped test did not run, and the run fails)."""
import ctypes
import os
import pwd
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from fluttera_test.pictures import Image
from fluttera_test.xorg import THREE, DummyXorg
from fluttera_test.xvfb import Xvfb

HACK = os.path.abspath(os.environ.get("FLUTTERA_HACK", os.path.join(os.path.dirname(__file__),
                                                                    "../../build/native/fluttera")))
TEST_USER = "fluttera-test"  # XScreenSaver will not run hacks as root
WIDTH, HEIGHT = 1280, 800
# Grab the desktop for the backdrop, as a user who allows it would have set it.
XSS_IMAGES = "grabDesktopImages:\tTrue\ngrabVideoFrames:\tFalse\nchooseRandomImages:\tFalse\n"

env = dict(os.environ)
xvfb = None
tmp = tempfile.mkdtemp(prefix="fluttera-x11-")
base = None


def x(*args, **kw):
    return subprocess.run(list(args), env=env, capture_output=True, text=True, **kw)


def shot(display=None):
    path = os.path.join(tmp, f"shot-{time.monotonic_ns()}.ppm")
    subprocess.run(["import", "-window", "root", "-depth", "8", path], env=dict(env, DISPLAY=display or env["DISPLAY"]),
                   check=True, capture_output=True)
    return Image.read_ppm(path)


def petals(before, after, area=None):
    """Within area (left, top, width, height; default all) of two screenshots: (changed
    pixels, pink ones among them, changed pixels outside the band petals can ever be in:
    the drift's centre lies between 3/8 and about 17/24 of the width, the drift reaches 275
    pixels either side, and a sprite is 16 pixels wide)."""
    left, top, width, height = area or (0, 0, before.width, before.height)
    band_left, band_right = int(width * 3 / 8) - 275 - 2, int(width * 3 / 8 + width / 3) + 275 + 16 + 2
    changed = pink = outside = 0
    for y in range(top, top + height):
        row_a, row_b = before.region(left, y, left + width, y + 1), after.region(left, y, left + width, y + 1)
        if row_a == row_b:
            continue
        for xx in range(width):
            i = xx * 3
            if row_a[i:i + 3] != row_b[i:i + 3]:
                changed += 1
                r, g, b = row_b[i:i + 3]
                pink += r > g + 25 and r >= b
                outside += xx < band_left or xx >= band_right
    return changed, pink, outside


def wait_for_petals(test, desktop=None, areas=(None,), display=None, timeout=8.0):
    """Screenshots until pink petals show in every area (a window's place on the screen,
    default all); then nothing may have changed outside the band in any of them (the
    backdrop is that part of the desktop picture)."""
    end, seen = time.monotonic() + timeout, []
    while time.monotonic() < end:
        time.sleep(1)
        now = shot(display)
        seen = [petals(desktop or base, now, a) for a in areas]
        if all(s[1] >= 150 for s in seen):
            break
    for area, (changed, pink, outside) in zip(areas, seen):
        test.assertGreaterEqual(pink, 150, f"no petals showed in {area}: {seen}")
        test.assertEqual(outside, 0, f"something changed outside the band petals fall in, in {area}")
        test.assertGreater(pink, changed // 2, f"the petals in {area} are not pink")


def ended(p, timeout):
    try:
        p.wait(timeout)
        return True
    except subprocess.TimeoutExpired:
        return False


def setUpModule():
    global xvfb, base
    # -ac: the daemon runs as another user.
    xvfb = Xvfb(WIDTH, HEIGHT, ["-ac", "-noreset"])
    home = os.path.join(tmp, "home")
    os.makedirs(home)
    with open(os.path.join(home, ".xscreensaver"), "w") as f:
        f.write(XSS_IMAGES)
    env.update(DISPLAY=xvfb.display, HOME=home)
    picture = os.path.join(tmp, "desktop.png")
    x("convert", "-size", f"{WIDTH}x{HEIGHT}", "gradient:#1f3c6e-#5a9a8a", "-fill", "#f4f4f4",
      "-draw", "rectangle 40,40 400,260", picture, check=True)
    base = set_desktop()


def set_desktop():
    """The desktop picture on the root, painted anew over whatever a hack left there."""
    x("display", "-window", "root", os.path.join(tmp, "desktop.png"))
    picture = shot()
    assert picture.pixel(100, 100) == (0xf4, 0xf4, 0xf4), "no desktop picture on the root"
    return picture


def tearDownModule():
    if xvfb:
        xvfb.stop()
    shutil.rmtree(tmp, ignore_errors=True)


class Hack(unittest.TestCase):
    def setUp(self):
        set_desktop()

    def start(self, *args):
        p = subprocess.Popen([HACK, *args], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.addCleanup(lambda: (p.poll() is None and p.kill(), p.wait(), p.stderr.close()))
        return p

    def test_window_id_petals_then_ends_with_its_window(self):
        xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
        xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
            [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        for f in (xlib.XMapWindow, xlib.XDestroyWindow, xlib.XSetWindowBackgroundPixmap):
            f.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        for f in (xlib.XSync, xlib.XDefaultRootWindow, xlib.XCloseDisplay):
            f.argtypes = [ctypes.c_void_p] + ([ctypes.c_int] if f is xlib.XSync else [])
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        dpy = xlib.XOpenDisplay(env["DISPLAY"].encode())
        self.assertTrue(dpy)
        win = xlib.XCreateSimpleWindow(dpy, xlib.XDefaultRootWindow(dpy), 0, 0, WIDTH, HEIGHT, 0, 0, 0)
        # Its background is the root's: the desktop picture shows through it.
        xlib.XSetWindowBackgroundPixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
        xlib.XSetWindowBackgroundPixmap(dpy, win, 1)  # ParentRelative
        xlib.XMapWindow(dpy, win)
        xlib.XSync(dpy, 0)
        p = self.start("--window-id", hex(win))
        wait_for_petals(self)
        xlib.XDestroyWindow(dpy, win)
        xlib.XSync(dpy, 0)
        self.assertTrue(ended(p, 3), "still running after its window was destroyed")
        self.assertEqual(p.returncode, 0, p.stderr.read())
        xlib.XCloseDisplay(dpy)

    def test_root_petals_then_sigterm_ends_at_once(self):
        p = self.start("--root")
        wait_for_petals(self)
        t = time.monotonic()
        p.send_signal(signal.SIGTERM)
        self.assertTrue(ended(p, 2), "SIGTERM did not end it")
        self.assertLess(time.monotonic() - t, 0.5)
        self.assertEqual(p.returncode, 0, p.stderr.read())


class XScreenSaverUser(unittest.TestCase):
    """The real daemon, run as an ordinary user, configured to run `fluttera --root`, on
    self.display (the module's Xvfb unless a subclass sets another first)."""
    fade = "fade:\tFalse\nunfade:\tFalse\n"

    def setUp(self):
        self.display = getattr(self, "display", None) or env["DISPLAY"]
        try:
            self.user = pwd.getpwnam(TEST_USER)
        except KeyError:
            if os.geteuid() != 0:
                self.skipTest(f"no user {TEST_USER} and not root to make one")
            subprocess.run(["useradd", "-m", "-s", "/bin/sh", TEST_USER], check=True)
            print(f"(made the user {TEST_USER} for this test)", file=sys.stderr)
            self.user = pwd.getpwnam(TEST_USER)
        if os.geteuid() != 0 and os.geteuid() != self.user.pw_uid:
            self.skipTest(f"cannot run programs as {TEST_USER}")
        # A copy the test user may run, wherever the build tree is.
        self.dir = tempfile.mkdtemp(prefix="fluttera-xss-")
        os.chmod(self.dir, 0o755)
        self.hack = os.path.join(self.dir, "fluttera")
        shutil.copy(HACK, self.hack)
        os.chmod(self.hack, 0o755)
        self.addCleanup(shutil.rmtree, self.dir, True)
        # A home of its own: other runs may use the same user at the same time.
        self.home = os.path.join(self.dir, "home")
        os.mkdir(self.home)
        os.chown(self.home, self.user.pw_uid, self.user.pw_gid)
        with open(os.path.join(self.home, ".xscreensaver"), "w") as f:
            f.write("timeout:\t1:00:00\ncycle:\t0:00:00\nlock:\tFalse\n" + self.fade +
                    "splash:\tFalse\nmode:\tone\nselected:\t0\n" + XSS_IMAGES +
                    f"programs:\t{self.hack} --root\t\\n\n")
        os.chown(os.path.join(self.home, ".xscreensaver"), self.user.pw_uid, self.user.pw_gid)

    def as_user(self, *args, **kw):
        cmd = ["env", f"DISPLAY={self.display}", f"HOME={self.home}", *args]
        if os.geteuid() == 0:
            cmd = ["runuser", "-u", TEST_USER, "--", *cmd]
        return cmd

    def hack_pids(self):
        r = subprocess.run(["pgrep", "-u", str(self.user.pw_uid), "-f", f"^{self.hack} "], capture_output=True, text=True)
        return r.stdout.split()

    def command(self, what):
        return subprocess.run(self.as_user("xscreensaver-command", what), capture_output=True, text=True, timeout=20)

    def activate(self):
        daemon = subprocess.Popen(self.as_user("xscreensaver", "-no-splash"), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)

        def stop_daemon():
            self.command("-exit")
            if not ended(daemon, 10):
                daemon.kill()
                daemon.wait()
            for pid in self.hack_pids():  # what a failed test left
                os.kill(int(pid), signal.SIGKILL)
        self.addCleanup(stop_daemon)
        for _ in range(50):  # the daemon answers once it is up
            if self.command("-version").returncode == 0:
                break
            time.sleep(0.2)
        self.assertEqual(self.command("-activate").returncode, 0)

    def deactivate_ends_every_hack(self):
        self.assertEqual(self.command("-deactivate").returncode, 0)
        end = time.monotonic() + 5
        while self.hack_pids() and time.monotonic() < end:
            time.sleep(0.1)
        self.assertEqual(self.hack_pids(), [], "a hack outlived -deactivate")


class UnderXScreenSaver(XScreenSaverUser):
    def setUp(self):
        set_desktop()
        super().setUp()

    def test_activate_shows_petals_and_deactivate_ends_the_hack(self):
        self.activate()
        wait_for_petals(self)
        self.assertTrue(self.hack_pids(), "the hack is not running")
        self.deactivate_ends_every_hack()


class OnThreeMonitors(XScreenSaverUser):
    """Three monitors of Xorg's dummy driver: the daemon runs one hack per monitor, and
    hands each that monitor's part of the desktop. Fading is on: without it, the daemon
    may hand a hack its test card instead."""
    fade = "fade:\tTrue\nfadeSeconds:\t0:00:01\nunfade:\tFalse\n"

    def setUp(self):
        xorg = DummyXorg(THREE)
        self.addCleanup(xorg.stop)
        self.display = xorg.display
        # A picture that changes across and down, so any part shown at another place differs.
        picture = os.path.join(tmp, "three.png")
        x("convert", "-size", f"{xorg.width}x{xorg.height}", "xc:", "-sparse-color", "Bilinear",
          f"0,0 #1f3c6e {xorg.width - 1},0 #5a9a3c 0,{xorg.height - 1} #3c5a8a "
          f"{xorg.width - 1},{xorg.height - 1} #1f6e6e", picture, check=True)
        subprocess.run(["display", "-window", "root", picture], env=dict(env, DISPLAY=self.display))
        self.desktop = shot(self.display)
        super().setUp()

    def window_place(self, pid):
        """Where the window XScreenSaver gave the hack `pid` is: (x, y, width, height)."""
        with open(f"/proc/{pid}/environ", "rb") as f:
            window = dict(v.split(b"=", 1) for v in f.read().split(b"\0") if b"=" in v)[b"XSCREENSAVER_WINDOW"]
        info = subprocess.run(["xwininfo", "-id", window.decode()], env=dict(env, DISPLAY=self.display),
                              capture_output=True, text=True, check=True).stdout
        field = {k.strip(): v.strip() for k, _, v in (line.partition(":") for line in info.splitlines())}
        return tuple(int(field[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def test_one_hack_per_monitor_over_its_part_of_the_desktop(self):
        self.activate()
        end = time.monotonic() + 8
        while len(self.hack_pids()) < len(THREE) and time.monotonic() < end:
            time.sleep(0.2)
        monitors = [(o.x, o.y, o.width, o.height) for o in THREE]
        self.assertEqual(sorted(self.window_place(p) for p in self.hack_pids()), sorted(monitors))
        wait_for_petals(self, self.desktop, monitors, self.display)
        self.deactivate_ends_every_hack()


if __name__ == "__main__":
    result = unittest.main(exit=False, verbosity=2).result
    failed, skipped = len(result.failures) + len(result.errors), len(result.skipped)
    for test, why in result.skipped:
        print(f"not run: {test.id()}: {why}")
    print(f"x11: {result.testsRun - failed - skipped} passed, {failed} failed, {skipped} skipped")
    sys.exit(1 if failed or skipped or not result.testsRun else 0)
