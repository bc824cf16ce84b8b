"""fluttera, the Linux hack, natively under Xvfb: petals over the desktop in a window named
by id and on the root, its end on SIGTERM and with its window, and the real XScreenSaver
daemon running it, on one screen and (on Xorg's dummy driver) once per monitor of three.
Run from tests/: python3 -m x11.test_hack (prints "x11: N passed, N failed, N skipped"; a
skipped test did not run, and the run fails)."""
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from fluttera_test import counting
from fluttera_test.pictures import Image, differences, is_pink, known_points, petal_band, read_picture
from fluttera_test.session import GUARD, ended, wait_until
from fluttera_test.users import TEST_USER, ordinary_user
from fluttera_test.xorg import THREE, DummyXorg
from fluttera_test.xvfb import Xvfb

HACK = os.path.abspath(os.environ.get("FLUTTERA_HACK", os.path.join(os.path.dirname(__file__),
                                                                    "../../build/native/fluttera")))
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
    pixels, pink ones among them, changed pixels outside the band petals can ever be in)."""
    left, top, width, height = area or (0, 0, before.width, before.height)
    band_left, band_right = petal_band(width)
    changed = pink = outside = 0
    for y in range(top, top + height):
        row_a, row_b = before.region(left, y, left + width, y + 1), after.region(left, y, left + width, y + 1)
        if row_a == row_b:
            continue
        for xx in range(width):
            i = xx * 3
            if row_a[i:i + 3] != row_b[i:i + 3]:
                changed += 1
                pink += is_pink(*row_b[i:i + 3])
                outside += xx < band_left or xx >= band_right
    return changed, pink, outside


def wait_for_petals(test, desktop=None, areas=(None,), display=None, proc=None):
    """Screenshots until pink petals show in every area (a window's place on the screen,
    default all); then nothing may have changed outside the band in any of them (the
    backdrop is that part of the desktop picture). Fails at once when `proc` has ended."""
    seen = []

    def shown():
        now = shot(display)
        seen[:] = [petals(desktop or base, now, a) for a in areas]
        return all(s[1] >= 150 for s in seen)
    wait_until(shown, GUARD, 0.2, proc)
    for area, (changed, pink, outside) in zip(areas, seen):
        test.assertGreaterEqual(pink, 150, f"no petals showed in {area}: {seen}")
        test.assertEqual(outside, 0, f"something changed outside the band petals fall in, in {area}")
        test.assertGreater(pink, changed // 2, f"the petals in {area} are not pink")


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
    return show_on_root(os.path.join(tmp, "desktop.png"), [(0, 0, WIDTH, HEIGHT)])


def show_on_root(path, areas, display=None):
    """Puts the picture on the root; returns the first screenshot that shows it at known
    points of every area (each monitor)."""
    display = display or env["DISPLAY"]
    subprocess.run(["display", "-window", "root", path], env=dict(env, DISPLAY=display))
    picture, points = read_picture(path), known_points(areas)

    def shown():
        now = shot(display)
        return None if differences(now, picture, points) else now
    now = wait_until(shown, step=0.2)
    assert now, f"the desktop picture is not on the root: {differences(shot(display), picture, points)[:3]}"
    return now


def tearDownModule():
    if xvfb:
        xvfb.stop()
    shutil.rmtree(tmp, ignore_errors=True)


class Hack(unittest.TestCase):
    def setUp(self):
        set_desktop()

    def start(self, *args, **variables):
        p = subprocess.Popen([HACK, *args], env=dict(env, **variables), stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE)
        self.addCleanup(lambda: (p.poll() is None and p.kill(), p.wait(), p.stderr.close()))
        return p

    def test_a_window_named_or_handed_petals_then_ends_with_it(self):
        xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
        xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
            [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        for f in (xlib.XMapWindow, xlib.XDestroyWindow):
            f.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        for f in (xlib.XSync, xlib.XDefaultRootWindow, xlib.XCloseDisplay):
            f.argtypes = [ctypes.c_void_p] + ([ctypes.c_int] if f is xlib.XSync else [])
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XCreatePixmap.restype = xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XCreatePixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_uint] * 3
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XChangeProperty.argtypes = [ctypes.c_void_p] + [ctypes.c_ulong] * 3 + [ctypes.c_int] * 2 + \
            [ctypes.c_void_p, ctypes.c_int]
        xlib.XFreePixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        xlib.XDeleteProperty.argtypes = xlib.XSetWindowBackgroundPixmap.argtypes = [ctypes.c_void_p] + [ctypes.c_ulong] * 2
        dpy = xlib.XOpenDisplay(env["DISPLAY"].encode())
        self.assertTrue(dpy)
        root = xlib.XDefaultRootWindow(dpy)
        # The root names a background picture that is gone, as a wallpaper setter that ended
        # may leave it: a saver other than XScreenSaver handing the window leaves the hack
        # its still of the screen then.
        gone = ctypes.c_ulong(xlib.XCreatePixmap(dpy, root, 8, 8, 24))
        xlib.XFreePixmap(dpy, gone.value)
        xrootpmap = xlib.XInternAtom(dpy, b"_XROOTPMAP_ID", 0)
        xlib.XChangeProperty(dpy, root, xrootpmap, 20, 32, 0, ctypes.byref(gone), 1)  # XA_PIXMAP, replace
        self.addCleanup(lambda: (xlib.XDeleteProperty(dpy, root, xrootpmap), xlib.XCloseDisplay(dpy)))
        for handed in ("by --window-id", "by another saver"):
            with self.subTest(handed):
                win = xlib.XCreateSimpleWindow(dpy, root, 0, 0, WIDTH, HEIGHT, 0, 0, 0)
                # Its background is the root's: the desktop picture shows through it.
                xlib.XSetWindowBackgroundPixmap(dpy, win, 1)  # ParentRelative
                xlib.XMapWindow(dpy, win)
                xlib.XSync(dpy, 0)
                p = self.start("--window-id", hex(win)) if handed == "by --window-id" else \
                    self.start(XSCREENSAVER_WINDOW=hex(win))
                wait_for_petals(self, proc=p)
                xlib.XDestroyWindow(dpy, win)
                xlib.XSync(dpy, 0)
                self.assertTrue(ended(p, GUARD), "still running after its window was destroyed")
                self.assertEqual(p.returncode, 0, p.stderr.read())

    def test_its_own_window_resized_under_it_then_q_ends_it(self):
        p = self.start()
        wait_for_petals(self, areas=[(0, 0, WIDTH * 3 // 4, HEIGHT * 3 // 4)])
        win = x("xdotool", "search", "--sync", "--class", "fluttera", timeout=10).stdout.split()[0]
        small = (0, 0, 640, 400)
        self.assertEqual(x("xdotool", "windowsize", "--sync", win, *map(str, small[2:])).returncode, 0,
                         "its window was gone or kept its size")
        wait_for_petals(self, areas=[small])
        self.assertGreater(petals(shot(), (time.sleep(0.5), shot())[1], small)[0], 0, "no pass after the resize")
        x("xdotool", "key", "--window", win, "q")
        self.assertTrue(ended(p, 3), "q did not end it")
        self.assertEqual(p.returncode, 0, p.stderr.read())

    def test_root_petals_then_sigterm_ends_at_once(self):
        p = self.start("--root")
        wait_for_petals(self, proc=p)
        t = time.monotonic()
        p.send_signal(signal.SIGTERM)
        self.assertTrue(ended(p, GUARD), "SIGTERM did not end it")
        self.assertLess(time.monotonic() - t, 0.5)
        self.assertEqual(p.returncode, 0, p.stderr.read())



# Apart from the cases above, which the sanitized hack runs too: AddressSanitizer reserves
# terabytes of address space for itself and cannot start under a limit on it.
class HackOutOfMemory(unittest.TestCase):
    def test_a_new_size_it_has_no_memory_for_ends_it_with_a_message(self):
        # Its address space has room for its own window, not for 16000 x 16000 pixels.
        p = subprocess.Popen(["prlimit", f"--as={300 << 20}", HACK], env=env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True)
        self.addCleanup(lambda: (p.poll() is None and p.kill(), p.wait(), p.stderr.close()))
        window = wait_until(lambda: x("xdotool", "search", "--name", "^Fluttera$").stdout.split(), proc=p)
        self.assertTrue(window, "no window of its own")
        x("xdotool", "windowsize", window[0], "16000", "16000", check=True)
        self.assertTrue(ended(p, GUARD), "still running")
        self.assertEqual((p.returncode, p.stderr.read()), (1, "fluttera: no memory for a picture of the window's size\n"))


def as_user(user, *args, display=None, home=None, **variables):
    """A command line that runs as the test user on a display (default the test display),
    with a home (default the user's own) and these variables."""
    extra = [f"{k}={v}" for k, v in variables.items()]
    cmd = ["env", f"DISPLAY={display or env['DISPLAY']}", f"HOME={home or user.pw_dir}", *extra, *args]
    return ["runuser", "-u", TEST_USER, "--", *cmd] if os.geteuid() == 0 else cmd


def hack_pids(user, path):
    r = subprocess.run(["pgrep", "-u", str(user.pw_uid), "-f", f"^{path} "], capture_output=True, text=True)
    return r.stdout.split()


class XScreenSaverUser(unittest.TestCase):
    """The real daemon, run as an ordinary user, configured to run `fluttera --root`, on
    self.display (the module's Xvfb unless a subclass sets another first)."""
    fade = "fade:\tFalse\nunfade:\tFalse\n"

    def setUp(self):
        self.display = getattr(self, "display", None) or env["DISPLAY"]
        self.user = ordinary_user(self)
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

    def as_user(self, *args):
        return as_user(self.user, *args, display=self.display, home=self.home)

    def hack_pids(self):
        return hack_pids(self.user, self.hack)

    def command(self, what):
        return subprocess.run(self.as_user("xscreensaver-command", what), capture_output=True, text=True, timeout=GUARD)

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
        # The daemon answers once it is up.
        self.assertTrue(wait_until(lambda: self.command("-version").returncode == 0, step=0.2, proc=daemon),
                        "the daemon never answered")
        self.assertEqual(self.command("-activate").returncode, 0)

    def deactivate_ends_every_hack(self):
        self.assertEqual(self.command("-deactivate").returncode, 0)
        wait_until(lambda: not self.hack_pids())
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
        self.desktop = show_on_root(picture, [(o.x, o.y, o.width, o.height) for o in THREE], self.display)
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
        wait_until(lambda: len(self.hack_pids()) >= len(THREE), step=0.2)
        monitors = [(o.x, o.y, o.width, o.height) for o in THREE]
        self.assertEqual(sorted(self.window_place(p) for p in self.hack_pids()), sorted(monitors))
        wait_for_petals(self, self.desktop, monitors, self.display)
        self.deactivate_ends_every_hack()


class UnderMate(unittest.TestCase):
    """MATE's real saver, run as an ordinary user on a session bus of its own, with the
    hack's theme chosen through gsettings over a background that a wallpaper setter
    published on the root (_XROOTPMAP_ID). The hack and its theme entry are where the
    package puts them (MATE runs themes only from its own folders under /usr) as the saver
    sees them: folders of the test's own mounted there in a mount namespace of the saver's,
    so nothing under /usr changes, even when the test is killed."""
    THEME = "/usr/share/applications/screensavers/fluttera.desktop"
    PROGRAM = "/usr/libexec/xscreensaver/fluttera"

    def setUp(self):
        self.user = ordinary_user(self)
        entry = os.path.join(os.path.dirname(HACK), "generated", "fluttera.desktop")
        self.mounts = {}  # a folder under /usr: the test's folder the saver sees there
        for source, target, mode in ((HACK, self.PROGRAM, 0o755), (entry, self.THEME, 0o644)):
            folder = tempfile.mkdtemp(prefix="fluttera-mate-")
            self.addCleanup(shutil.rmtree, folder, True)
            os.chmod(folder, 0o755)
            shutil.copy(source, os.path.join(folder, os.path.basename(target)))
            os.chmod(os.path.join(folder, os.path.basename(target)), mode)
            self.mounts[os.path.dirname(target)] = folder
        # The background: another picture than the root showed, set as a desktop sets it.
        picture = os.path.join(tmp, "background.png")
        x("convert", "-size", f"{WIDTH}x{HEIGHT}", "gradient:#6e3c1f-#8a9a5a", "-fill", "#20d0f0",
          "-draw", "rectangle 60,500 300,700", picture, check=True)
        self.assertEqual(x("hsetroot", "-full", picture).returncode, 0)
        self.background = shot()
        self.assertEqual(self.background.pixel(100, 600), (0x20, 0xd0, 0xf0), "hsetroot set no background")

    def test_activate_shows_petals_over_the_background_and_deactivate_ends_the_hack(self):
        # A session bus that lasts as long as this command's input stays open.
        bus = subprocess.Popen(as_user(self.user, "dbus-run-session", "--", "sh", "-c",
                                       'echo "$DBUS_SESSION_BUS_ADDRESS"; exec cat >/dev/null'),
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(lambda: (bus.stdin.close(), ended(bus, 10) or bus.kill(), bus.wait(), bus.stdout.close()))
        session = dict(DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip(), XDG_CURRENT_DESKTOP="MATE")

        def user(*args):
            return subprocess.run(as_user(self.user, *args, **session), capture_output=True, text=True, timeout=GUARD)
        for key, value in (("themes", "['screensavers-fluttera']"), ("mode", "single"), ("lock-enabled", "false")):
            self.assertEqual(user("gsettings", "set", "org.mate.screensaver", key, value).returncode, 0, key)
        log = open(os.path.join(tmp, "mate-screensaver.log"), "w+")
        mounts = " && ".join(f"mount --bind '{ours}' '{usr}'" for usr, ours in self.mounts.items())
        saver = subprocess.Popen(["unshare", "--mount", "--propagation", "private", "--", "sh", "-c",
                                  mounts + ' && exec "$@"', "sh",
                                  *as_user(self.user, "mate-screensaver", "--no-daemon", "--debug", **session)],
                                 stdout=log, stderr=subprocess.STDOUT)
        self.addCleanup(lambda: (user("mate-screensaver-command", "--exit"), ended(saver, 10) or saver.kill(),
                                 saver.wait(), log.close()))
        wait_until(lambda: user("mate-screensaver-command", "--query").returncode == 0, proc=saver)  # once on the bus
        self.assertEqual(user("mate-screensaver-command", "--activate").returncode, 0)
        log.seek(0)
        self.assertTrue(wait_until(lambda: hack_pids(self.user, self.PROGRAM)),
                        "the hack is not running: " + "".join(l for l in log if "command for job" in l))
        wait_for_petals(self, desktop=self.background)
        self.assertEqual(shot().pixel(100, 600), (0x20, 0xd0, 0xf0), "the backdrop is not the background")
        self.assertEqual(user("mate-screensaver-command", "--deactivate").returncode, 0)
        t = time.monotonic()  # the request is with the saver
        wait_until(lambda: not hack_pids(self.user, self.PROGRAM), step=0.05)
        took = time.monotonic() - t
        print(f"(the hack ended {took:.2f} s after --deactivate)", end=" ", file=sys.stderr)
        self.assertEqual(hack_pids(self.user, self.PROGRAM), [], "the hack outlived --deactivate")
        self.assertLess(took, 1.0, "the hack took over a second to end")


if __name__ == "__main__":
    sys.exit(counting.run("x11", unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])))
