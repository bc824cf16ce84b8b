"""A Wine folder of its own on an Xvfb display of its own, for the tests of the front door
and of the release files."""
import os
import shutil
import subprocess
import tempfile
import time

from fluttera_test import ROOT
from fluttera_test.captions import SAVER
from fluttera_test.pictures import pink_changes, read_picture
from fluttera_test.wine import choose, environment, make_prefix
from fluttera_test.xvfb import Xvfb

__all__ = ["ROOT", "SAVER", "WineBox", "machine_arch", "sh"]


def sh(script, env=None):
    """Runs a bash script in the checkout with the Wine choice's functions loaded."""
    return subprocess.run(["bash", "-c", ". scripts/wine-env.sh\n" + script], cwd=ROOT,
                          env=env, capture_output=True, text=True)


def machine_arch():
    """win32 where this kernel runs 32-bit Wine, else win64: the scripts' own choice."""
    return choose().preset


class WineBox:
    def __init__(self, arch):
        self.dir = tempfile.mkdtemp(prefix="fluttera-release-")
        wine = choose(arch)
        self.wine, self.server = wine.loader, wine.server
        self.xvfb = Xvfb(1280, 800)
        self.env = environment(os.path.join(self.dir, "prefix"), self.xvfb.display, wine)
        make_prefix(wine, self.env)
        # One server for the whole test: each Wine command then starts in a fraction of a second.
        subprocess.run([self.server, "-p"], env=self.env, timeout=30)

    def close(self):
        subprocess.run([self.server, "-k"], env=self.env, capture_output=True, timeout=30)
        self.xvfb.stop()
        shutil.rmtree(self.dir, ignore_errors=True)

    def run(self, *args, timeout=120):
        """Runs a Wine program to its end; its output is read from files, since the Wine
        services it may start would hold a pipe open long after."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            p = subprocess.run([self.wine, *args], env=self.env, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            p.stdout = out.read().decode(errors="replace").replace("\r\n", "\n")
            p.stderr = err.read().decode(errors="replace")
        return p

    def start(self, *args):
        return subprocess.Popen([self.wine, *args], env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def unix_path(self, windows_path):
        return self.run("winepath", "-u", windows_path).stdout.strip()

    def reg_value(self, key, name):
        """The value's text, or None when it is not there."""
        r = self.run("reg", "query", key, "/v", name)
        for line in r.stdout.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[0].lower() == name.lower():
                return parts[2]
        return None

    def x(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True)

    def screenshot(self, name):
        path = os.path.join(self.dir, name)
        self.x("import", "-window", "root", path)
        return path

    def wait_shown(self, caption, proc, seconds=60):
        end = time.monotonic() + seconds
        while time.monotonic() < end and proc.poll() is None:
            if self.x("xdotool", "search", "--onlyvisible", "--name", f"^{caption}$").stdout.strip():
                return True
            time.sleep(0.2)
        return False

    def pink_over(self, base, tries=10):
        """The most pink pixels that differ from the picture `base`, over a few screenshots."""
        best = 0
        for i in range(tries):
            time.sleep(1.5)
            shot = self.screenshot(f"shot{i}.png")
            best = max(best, pink_changes(read_picture(base), read_picture(shot)))
            if best >= 100:
                break
        return best
