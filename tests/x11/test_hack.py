"""fluttera, the Linux hack, natively under Xvfb: petals over the desktop in a window named
by id and on the root, its end on SIGTERM and with its window, and the real XScreenSaver
daemon running it. Run from tests/: python3 -m x11.test_hack (prints "x11: N passed, N failed,
N skipped"; a skipped test did not run, and the run fails)."""
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

from fluttera_test import counting
from fluttera_test.pictures import Image
from fluttera_test.xvfb import Xvfb

HACK = os.path.abspath(os.environ.get("FLUTTERA_HACK", os.path.join(os.path.dirname(__file__),
                                                                    "../../build/native/fluttera")))
TEST_USER = "fluttera-test"  # XScreenSaver will not run hacks as root
WIDTH, HEIGHT = 1280, 800
# Where petals can ever be: the drift's centre lies between 3/8 and about 17/24 of the
# width, the drift reaches 275 pixels either side, and a sprite is 16 pixels wide.
BAND_LEFT = int(WIDTH * 3 / 8) - 275 - 2
BAND_RIGHT = int(WIDTH * 3 / 8 + WIDTH / 3) + 275 + 16 + 2
# Grab the desktop for the backdrop, as a user who allows it would have set it.
XSS_IMAGES = "grabDesktopImages:\tTrue\ngrabVideoFrames:\tFalse\nchooseRandomImages:\tFalse\n"

env = dict(os.environ)
xvfb = None
tmp = tempfile.mkdtemp(prefix="fluttera-x11-")
base = None


def x(*args, **kw):
    return subprocess.run(list(args), env=env, capture_output=True, text=True, **kw)


def shot():
    path = os.path.join(tmp, f"shot-{time.monotonic_ns()}.ppm")
    x("import", "-window", "root", "-depth", "8", path, check=True)
    return Image.read_ppm(path)


def petals(before, after):
    """(changed pixels, pink ones among them, changed pixels outside the band)."""
    changed = pink = outside = 0
    for y in range(before.height):
        row_a, row_b = before.region(0, y, before.width, y + 1), after.region(0, y, after.width, y + 1)
        if row_a == row_b:
            continue
        for xx in range(before.width):
            i = xx * 3
            if row_a[i:i + 3] != row_b[i:i + 3]:
                changed += 1
                r, g, b = row_b[i:i + 3]
                pink += r > g + 25 and r >= b
                outside += xx < BAND_LEFT or xx >= BAND_RIGHT
    return changed, pink, outside


def wait_for_petals(test, timeout=8.0):
    """Screenshots until pink petals show; then nothing may have changed outside the band
    (the backdrop is the desktop picture)."""
    end, seen = time.monotonic() + timeout, (0, 0, 0)
    while time.monotonic() < end:
        time.sleep(1)
        seen = petals(base, shot())
        if seen[1] >= 150:
            break
    test.assertGreaterEqual(seen[1], 150, f"no petals showed: {seen}")
    test.assertEqual(seen[2], 0, "something changed outside the band petals fall in")
    test.assertGreater(seen[1], seen[0] // 2, "the petals are not pink")


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


class UnderXScreenSaver(unittest.TestCase):
    """The real daemon, run as an ordinary user, configured to run `fluttera --root`."""

    def setUp(self):
        set_desktop()
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
        self.home = self.user.pw_dir
        with open(os.path.join(self.home, ".xscreensaver"), "w") as f:
            f.write("timeout:\t1:00:00\ncycle:\t0:00:00\nlock:\tFalse\nfade:\tFalse\nunfade:\tFalse\n"
                    "splash:\tFalse\nmode:\tone\nselected:\t0\n" + XSS_IMAGES +
                    f"programs:\t{self.hack} --root\t\\n\n")
        os.chown(os.path.join(self.home, ".xscreensaver"), self.user.pw_uid, self.user.pw_gid)

    def as_user(self, *args, **kw):
        cmd = ["env", f"DISPLAY={env['DISPLAY']}", f"HOME={self.home}", *args]
        if os.geteuid() == 0:
            cmd = ["runuser", "-u", TEST_USER, "--", *cmd]
        return cmd

    def hack_pids(self):
        r = subprocess.run(["pgrep", "-u", str(self.user.pw_uid), "-f", f"^{self.hack} "], capture_output=True, text=True)
        return r.stdout.split()

    def command(self, what):
        return subprocess.run(self.as_user("xscreensaver-command", what), capture_output=True, text=True, timeout=20)

    def test_activate_shows_petals_and_deactivate_ends_the_hack(self):
        daemon = subprocess.Popen(self.as_user("xscreensaver", "-no-splash"), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)

        def stop_daemon():
            self.command("-exit")
            if not ended(daemon, 10):
                daemon.kill()
                daemon.wait()
        self.addCleanup(stop_daemon)
        for _ in range(50):  # the daemon answers once it is up
            if self.command("-version").returncode == 0:
                break
            time.sleep(0.2)
        self.assertEqual(self.command("-activate").returncode, 0)
        wait_for_petals(self)
        self.assertTrue(self.hack_pids(), "the hack is not running")
        self.assertEqual(self.command("-deactivate").returncode, 0)
        end = time.monotonic() + 5
        while self.hack_pids() and time.monotonic() < end:
            time.sleep(0.1)
        self.assertEqual(self.hack_pids(), [], "the hack outlived -deactivate")


if __name__ == "__main__":
    sys.exit(counting.run("x11", unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])))
