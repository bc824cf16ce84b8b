"""A Wine folder of its own on an Xvfb display of its own, for the tests of the front door
and of the release files."""
import importlib.util
import os
import shutil
import subprocess
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINES = {"win64": ("/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64"),
         "win32": ("/usr/lib/wine/wine", "/usr/lib/wine/wineserver32")}
_spec = importlib.util.spec_from_file_location("captions", os.path.join(ROOT, "tests", "e2e", "captions.py"))
captions = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(captions)
SAVER = captions.SAVER

_spec = importlib.util.spec_from_file_location("petal_pixels", os.path.join(ROOT, "scripts", "petal-pixels.py"))
petal_pixels = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(petal_pixels)


def sh(script, env=None):
    """Runs a bash script in the checkout with the Wine choice's functions loaded."""
    return subprocess.run(["bash", "-c", ". scripts/wine-env.sh\n" + script], cwd=ROOT,
                          env=env, capture_output=True, text=True)


def machine_arch():
    """win32 where this kernel runs 32-bit Wine, else win64: the scripts' own choice."""
    return sh('fluttera_choose_wine; echo "$FLUTTERA_PRESET"').stdout.strip()


class WineBox:
    def __init__(self, arch):
        self.dir = tempfile.mkdtemp(prefix="fluttera-release-")
        self.wine, self.server = WINES[arch]
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24",
                                      "-nolisten", "tcp"], pass_fds=(w,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            display = f.readline().strip()
        self.env = dict(os.environ, DISPLAY=":" + display, WINEARCH=arch, WINEDEBUG="-all",
                        WINEPREFIX=os.path.join(self.dir, "prefix"),
                        WINEDLLOVERRIDES="mscoree,mshtml=d;winemenubuilder.exe=d")
        self.run("wineboot", "-i", timeout=300)
        subprocess.run([self.server, "-w"], env=self.env, timeout=300)
        # One server for the whole test: each Wine command then starts in a fraction of a second.
        subprocess.run([self.server, "-p"], env=self.env, timeout=30)

    def close(self):
        subprocess.run([self.server, "-k"], env=self.env, capture_output=True, timeout=30)
        self.xvfb.terminate()
        self.xvfb.wait(10)
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
            best = max(best, petal_pixels.pink_changes(petal_pixels.rgb(base), petal_pixels.rgb(shot)))
            if best >= 100:
                break
        return best
