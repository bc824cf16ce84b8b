"""The real Fluttera.scr on an X server (Xvfb, or the dummy Xorg for several monitors) and
a Wine folder of its own, driven from outside as a person would: a known picture on the X
root window, the saver started with its switches, keys and clicks sent with xdotool,
windows listed by caption, screenshots taken and the settings file's bytes read. The
end-to-end tests and the benchmarks use it."""
import os
import shutil
import subprocess
import tempfile
import time

from .pictures import Image, differences, known_points, read_picture
from .wine import choose, make_prefix
from .wine import environment as wine_env
from .xvfb import Xvfb

# The one guard of every wait for a state: generous, since a loaded machine may take long to
# get there; a wait that is met ends at once.
GUARD = 60.0


class Session:
    """An X server of its own (x_server: Xvfb or the dummy Xorg) plus a Wine folder of the
    chosen Wine (wine.choose()), with the program copied into its own folder."""

    def __init__(self, scr, width=1280, height=800, workdir=None, wine=None, x_server=None):
        """x_server: makes the X server (default: an Xvfb of width x height), for example
        lambda: xorg.DummyXorg() for several monitors."""
        self.scr_source = os.path.abspath(scr)
        self.width, self.height = width, height
        self._new_x_server = x_server or (lambda: Xvfb(self.width, self.height))
        self.root = workdir or tempfile.mkdtemp(prefix="fluttera-e2e-")
        self.wine = wine or choose()
        self.display = None
        self.x_server = None
        self.env = dict(os.environ)
        self._keeper = None
        self._logs = 0

    # -- life cycle ------------------------------------------------------------
    def start(self):
        self.x_server = self._new_x_server()
        self.display = self.x_server.display
        self.width, self.height = self.x_server.width, self.x_server.height
        self.env = wine_env(os.path.join(self.root, "prefix"), self.display, self.wine)
        make_prefix(self.wine, self.env, unmanaged=True)
        self.program_dir = os.path.join(self.env["WINEPREFIX"], "drive_c", "Fluttera")
        os.makedirs(self.program_dir, exist_ok=True)
        shutil.copy(self.scr_source, os.path.join(self.program_dir, "Fluttera.scr"))
        return self

    def stop(self):
        try:
            subprocess.run([self.wine.server, "-k"], env=self.env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except Exception:
            pass
        if self.x_server:
            self.x_server.stop()
        shutil.rmtree(self.root, ignore_errors=True)

    def kill_wine_programs(self):
        """Ends every Wine program of the session, its desktop and its server included, so
        no state (a key still held down, say) passes from one test to the next."""
        subprocess.run([self.wine.server, "-k"], env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([self.wine.server, "-w"], env=self.env, timeout=30)

    def start_desktop(self):
        """Starts Wine's desktop and keeps it: it paints the X root black when it starts, so
        a root picture must be put there after it, and again about a second after the last
        Wine program ended: a program that waits (cmd, reading a pipe no one writes to) runs
        until kill_wine_programs."""
        subprocess.run([self.wine.server, "-p"], env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self._keeper is None or self._keeper.poll() is not None:
            self._keeper = subprocess.Popen([self.wine.loader, "cmd"], env=self.env, stdin=subprocess.PIPE,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.run_scr("/a", timeout=120)

    # -- the program -------------------------------------------------------------
    @property
    def ini_path(self):
        return os.path.join(self.program_dir, "Fluttera.ini")

    def write_ini(self, data):
        with open(self.ini_path, "wb") as f:
            f.write(data)

    def read_ini(self):
        try:
            with open(self.ini_path, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def remove_ini(self):
        if os.path.exists(self.ini_path):
            os.remove(self.ini_path)

    def start_scr(self, *args, env=None, stderr=None, cwd=None):
        """Starts the saver with its switches, from the program folder unless cwd names
        another; returns the Wine process. A long Wine trace should go to a file
        (stderr=open file), or it fills the pipe and stalls the program. Without one, Wine's
        own diagnoses go to a file of the session, so a wait can tell when Wine's desktop
        failed (see desktop_failure)."""
        e = dict(self.env)
        if env:
            e.update(env)
        log = None
        if stderr is None:
            if not (env and "WINEDEBUG" in env):
                e["WINEDEBUG"] = e.get("WINEDEBUG", "-all") + ",err+winediag"
            self._logs += 1
            log = os.path.join(self.root, f"wine-{self._logs}.log")
            stderr = open(log, "wb")
        # No pipes: a wineserver started by the program would inherit and hold them open.
        try:
            p = subprocess.Popen([self.wine.loader, r"C:\Fluttera\Fluttera.scr", *args], env=e,
                                 cwd=cwd or self.program_dir, stdout=subprocess.DEVNULL, stderr=stderr)
        finally:
            if log:
                stderr.close()
        p.wine_log = log
        return p

    def start_scr_shown(self, caption, *args, env=None):
        """Starts the saver and waits until a window of that caption is shown; returns the
        process, or None when none was shown. A fresh Wine server starts Wine's desktop with
        the first window, and on a loaded machine that desktop now and then fails to open
        the display: then no program of that server can show a window, and the saver ends
        at once. Wine says so itself; only then are the session's Wine programs ended and
        the saver started again on a fresh server. Each new start prints a "retried:" line,
        which the test command and the flake hunt count."""
        for attempt in range(1, 4):
            p = self.start_scr(*args, env=env)
            try:
                return p if self.wait_window(caption, proc=p) else None
            except WineDesktopFailed as failed:
                self.kill_wine_programs()
                if attempt == 3:
                    raise AssertionError(f"Wine's desktop failed to start three times in a row ({failed})")
                print(f"\nretried: {failed} (attempt {attempt} of 3)", flush=True)

    def start_program(self, path, *args, env=None):
        """Copies a Windows program (a test tool) into the program folder and starts it
        there, as start_scr starts the saver; returns the Wine process."""
        name = os.path.basename(path)
        shutil.copy(path, os.path.join(self.program_dir, name))
        e = dict(self.env)
        if env:
            e.update(env)
        return subprocess.Popen([self.wine.loader, self.windows_path(name), *args], env=e, cwd=self.program_dir,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def windows_path(self, name):
        """How the programs under Wine name a file of the program folder."""
        return "C:\\Fluttera\\" + name

    def run_scr(self, *args, timeout=30, env=None):
        """Runs the saver to its end; returns (exit code, seconds taken)."""
        t = time.monotonic()
        p = self.start_scr(*args, env=env)
        try:
            p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
            return None, time.monotonic() - t
        return p.returncode, time.monotonic() - t

    def install_tool(self, name):
        """Copies a test tool built beside the saver into the program folder; returns its
        Windows path."""
        src = os.path.join(os.path.dirname(self.scr_source), name)
        shutil.copy(src, os.path.join(self.program_dir, name))
        return "C:\\Fluttera\\" + name

    def start_wine(self, *args, env=None):
        e = dict(self.env)
        if env:
            e.update(env)
        return subprocess.Popen([self.wine.loader, *args], env=e, cwd=self.program_dir,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def write_settings(self, petals=None, kind=None, repeat=None, music=None):
        """A settings file as the dialog writes it (Shift-JIS, the number form)."""
        def number(v):
            return f" {v}" if v >= 0 else str(v)
        lines = ["[Section]"]
        if petals is not None:
            lines.append("花びらの数=" + number(petals))
        if kind is not None:
            lines.append("BGM区分=" + number(kind))
        if repeat is not None:
            lines.append("BGMﾘﾋﾟｰﾄ=" + number(repeat))
        if music is not None:
            lines.append("BGMﾌｧｲﾙ=" + music)
        self.write_ini(("\r\n".join(lines) + "\r\n").encode("cp932"))

    def run_wine(self, *args, timeout=60, env=None):
        e = dict(self.env)
        if env:
            e.update(env)
        return subprocess.run([self.wine.loader, *args], env=e, capture_output=True, timeout=timeout)

    # -- the screen --------------------------------------------------------------
    def x(self, *args, check=False):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, check=check)

    def set_root_picture(self, path, timeout=GUARD):
        """Puts the picture (of the screen's size) on the root and returns the first
        screenshot that shows it at known points of every monitor."""
        self.start_desktop()
        picture = read_picture(path, (self.width, self.height))
        monitors = [(o.x, o.y, o.width, o.height) for o in getattr(self.x_server, "outputs", ())]
        points = known_points(monitors or [(0, 0, self.width, self.height)])
        # display returns 1 after setting the root picture; what counts is the screen.
        self.x("display", "-window", "root", "-resize", f"{self.width}x{self.height}!", path)

        def shown():
            shot = self.screenshot()
            return shot if not differences(shot, picture, points) else None
        shot = wait_until(shown, timeout, 0.2)
        if not shot:
            wrong = differences(self.screenshot(), picture, points)
            raise AssertionError(f"the desktop picture is not on the root ((point, shown, wanted): {wrong[:3]})")
        return shot

    def windows(self, caption, visible=False):
        """X windows of that caption; with visible, only those shown (mapped)."""
        shown = ["--onlyvisible"] if visible else []
        r = self.x("xdotool", "search", *shown, "--name", f"^{caption}$")
        return [int(w) for w in r.stdout.split()]

    def wait_window(self, caption, present=True, timeout=GUARD, proc=None):
        """Waits until a window of that caption is shown (present), or until none exists at
        all. Wine makes the X window when the program creates it, before it is shown: keys
        sent then are lost. Fails at once when `proc`, the program to show it, has ended."""
        return bool(wait_until(lambda: bool(self.windows(caption, visible=present)) == present, timeout,
                               proc=proc if present else None))

    def wait_focus(self, caption, timeout=GUARD, proc=None):
        """Waits until the window with this caption has the X input focus. A window is
        mapped before it is focused, and a key sent in between goes elsewhere."""
        def focused():
            focus = self.x("xdotool", "getwindowfocus").stdout.strip()
            return focus.isdigit() and int(focus) in self.windows(caption)
        return bool(wait_until(focused, timeout, 0.05, proc))

    def window_geometry(self, wid):
        r = self.x("xdotool", "getwindowgeometry", "--shell", str(wid))
        geo = dict(line.split("=", 1) for line in r.stdout.split() if "=" in line)
        return {k: int(v) for k, v in geo.items() if v.lstrip("-").isdigit()}

    def screenshot(self, path=None):
        path = path or os.path.join(self.root, f"shot-{time.monotonic_ns()}.ppm")
        self.x("import", "-window", "root", "-depth", "8", path, check=True)
        return Image.read_ppm(path)

    def save_png(self, path):
        self.x("import", "-window", "root", path, check=True)

    def key(self, name):
        self.x("xdotool", "key", name)

    def move(self, x, y):
        self.x("xdotool", "mousemove", str(x), str(y))

    def click(self, x, y, button=1):
        self.x("xdotool", "mousemove", str(x), str(y), "click", str(button))

    # -- windows seen as a person sees them -----------------------------------------
    def client_origin(self, wid, client_width, client_height):
        """Screen position of the client area's top-left corner of a window whose client
        size is known. Without a window manager Wine draws the frame itself, inside the X
        window: equal borders left, right and below, the caption bar on top."""
        g = self.window_geometry(wid)
        border = (g["WIDTH"] - client_width) // 2
        top = g["HEIGHT"] - client_height - border
        return g["X"] + border, g["Y"] + top

    def type_text(self, text):
        self.x("xdotool", "type", "--delay", "40", text)

    def key_to(self, wid, name):
        """A key for the window (focused first, so Wine takes it as real input)."""
        self.x("xdotool", "key", "--window", str(wid), name)

    def mouse_down(self, x, y, button=1):
        self.x("xdotool", "mousemove", str(x), str(y), "mousedown", str(button))

    def mouse_up(self, button=1):
        self.x("xdotool", "mouseup", str(button))


class WineDesktopFailed(AssertionError):
    """Wine's desktop process could not open the display, so no program of that Wine session
    can show a window: a fault of the test machine, not of the program."""


def desktop_failure(proc):
    """Wine's own lines, in the log start_scr kept for that process, saying that no display
    driver could be loaded (its desktop process failed to start); empty when it said none."""
    log = getattr(proc, "wine_log", None)
    if not log:
        return ""
    with open(log, "rb") as f:
        said = [line for line in f.read().decode(errors="replace").splitlines() if "nodrv_CreateWindow" in line]
    return " / ".join(said) if any("no driver could be loaded" in line for line in said) else ""


def ended(p, timeout):
    """Whether the process p ends within timeout seconds."""
    try:
        p.wait(timeout)
        return True
    except subprocess.TimeoutExpired:
        return False


def wait_until(predicate, timeout=GUARD, step=0.1, proc=None):
    """Polls until predicate() is true; returns its last value. With proc (a process the
    state depends on), fails at once, with its exit status, when that process has ended."""
    end = time.monotonic() + timeout
    value = predicate()
    while not value and time.monotonic() < end:
        if proc is not None and proc.poll() is not None:
            value = predicate()
            if value:
                break
            said = desktop_failure(proc)
            if said:
                raise WineDesktopFailed(f"Wine's desktop could not open the display ({said})")
            raise AssertionError(f"the program ended (status {proc.returncode}) before the state waited for")
        time.sleep(step)
        value = predicate()
    return value


