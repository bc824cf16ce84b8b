"""What the CPU measurements share: CPU time of processes from /proc, the Wine server of a
session, the screens a saver runs on (Xvfb of a size, or the dummy Xorg's layouts), and the
hack's X server with the desktop picture on its root."""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test import xorg  # noqa: E402
from fluttera_test.pictures import Image, pink_changes  # noqa: E402
from fluttera_test.session import Session  # noqa: E402
from fluttera_test.xvfb import Xvfb  # noqa: E402

PETALS = 300  # the setting; the saver runs one more, on each monitor
LAYOUTS = {"one": xorg.ONE, "three": xorg.THREE}
TICK = os.sysconf("SC_CLK_TCK")
GRADIENT = "gradient:#1f3c6e-#5a9a8a"


def cpu_ticks(pid):
    """utime + stime of a process (all its threads), in clock ticks; 0 once it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])
    except (OSError, IndexError):
        return 0


def wineserver_pids(prefix):
    pids = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/comm") as f:
                if not f.read().strip().startswith("wineserver"):
                    continue
            with open(f"/proc/{name}/environ", "rb") as f:
                if f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0"):
                    pids.append(int(name))
        except OSError:
            pass
    return pids


def shares(pids, seconds):
    """{part: share of one core in %} of each part's processes ({part: [pid, ...]}) over
    `seconds` from now."""
    before = {k: sum(cpu_ticks(q) for q in v) for k, v in pids.items()}
    t0 = time.monotonic()
    time.sleep(seconds)
    took = time.monotonic() - t0
    after = {k: sum(cpu_ticks(q) for q in v) for k, v in pids.items()}
    return {k: (after[k] - before[k]) / TICK / took * 100 for k in pids}


def load():
    return os.getloadavg()[0]


class Screen:
    """A session on one screen, its desktop picture and its monitors' places on the X
    screen (outputs None: one monitor, all of it)."""

    def __init__(self, name, scr):
        self.name, self.outputs, self.checked = name, LAYOUTS.get(name), False
        if self.outputs:
            self.s = Session(scr, x_server=lambda: xorg.DummyXorg(self.outputs)).start()
        else:
            width, height = (int(v) for v in name.split("x"))
            self.s = Session(scr, width=width, height=height).start()
        self.picture = os.path.join(self.s.root, "desktop.png")
        self.s.x("convert", "-size", f"{self.s.width}x{self.s.height}", GRADIENT, self.picture, check=True)
        self.desktop = Image.read_ppm(self.shot(self.picture))
        self.petals = (PETALS + 1) * len(self.outputs or (None,))

    def shot(self, source="x:root"):
        path = os.path.join(self.s.root, "shot.ppm")
        self.s.x("convert", source, "-depth", "8", path, check=True)
        return path

    def check_every_monitor_drawn(self):
        """Stops the run when a monitor of the X server shows no petals: Wine saw fewer
        monitors than there are (a 32-bit X library missing, say), and the figures would be
        of fewer petals than the layout's."""
        if not self.outputs or self.checked:
            return
        shot, desktop = Image.read_ppm(self.shot()), self.desktop
        for o in self.outputs:
            if not pink_changes(desktop.crop(o.x, o.y, o.width, o.height), shot.crop(o.x, o.y, o.width, o.height)):
                raise SystemExit(f"no petals on {o.name} ({o.width}x{o.height} at {o.x},{o.y}): Wine does not see "
                                 "every monitor of the X server")
        self.checked = True


class HackScreen:
    """Xvfb of one size with the desktop picture on its root, for the native hack."""

    def __init__(self, width=1920, height=1080):
        self.xvfb = Xvfb(width, height, ["-noreset"])
        self.env = dict(os.environ, DISPLAY=self.xvfb.display)
        self.env.pop("XSCREENSAVER_WINDOW", None)
        with tempfile.TemporaryDirectory() as tmp:
            picture = os.path.join(tmp, "desktop.png")
            subprocess.run(["convert", "-size", f"{width}x{height}", GRADIENT, picture], check=True)
            subprocess.run(["display", "-window", "root", picture], env=self.env)

    @property
    def pid(self):
        return self.xvfb.pid

    def stop(self):
        self.xvfb.stop()
