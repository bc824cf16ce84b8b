"""End-to-end harness: the real Fluttera.scr under Xvfb and Wine, driven from outside.

One Xvfb server and one Wine prefix serve a whole run. A test puts a known picture on
the X root window, starts the saver with a switch, sends keys and clicks with xdotool,
lists windows by caption, takes screenshots and reads the settings file's bytes.
"""
import ctypes
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time

WINE = os.environ.get("FLUTTERA_WINE", "/usr/lib/wine/wine64")
WINESERVER = os.environ.get("FLUTTERA_WINESERVER", "/usr/lib/wine/wineserver64")


def _free_display():
    for n in range(91, 140):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    raise RuntimeError("no free X display number")


class Image:
    """An RGB picture read from a PPM file."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @staticmethod
    def read_ppm(path):
        with open(path, "rb") as f:
            raw = f.read()
        fields, pos = [], 0
        while len(fields) < 4:
            while raw[pos:pos + 1].isspace():
                pos += 1
            if raw[pos:pos + 1] == b"#":
                pos = raw.index(b"\n", pos)
                continue
            end = pos
            while not raw[end:end + 1].isspace():
                end += 1
            fields.append(raw[pos:end])
            pos = end
        pos += 1
        assert fields[0] == b"P6" and fields[3] == b"255", fields
        return Image(int(fields[1]), int(fields[2]), raw[pos:])

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, x, y, w, h):
        """The w x h picture whose top-left corner is (x, y)."""
        return Image(w, h, self.region(x, y, x + w, y + h))

    def region(self, x0, y0, x1, y1):
        """Bytes of the rows x0..x1-1 of lines y0..y1-1, for comparisons."""
        rows = []
        for y in range(y0, y1):
            i = (y * self.width + x0) * 3
            rows.append(self.data[i:i + (x1 - x0) * 3])
        return b"".join(rows)


class Session:
    """Xvfb plus a Wine prefix, with the program copied into its own folder."""

    def __init__(self, scr, width=1280, height=800, workdir=None):
        self.scr_source = os.path.abspath(scr)
        self.width, self.height = width, height
        self.root = workdir or tempfile.mkdtemp(prefix="fluttera-e2e-")
        self.display = None
        self.xvfb = None
        self.env = dict(os.environ)

    # -- life cycle ------------------------------------------------------------
    def start(self):
        n = _free_display()
        self.display = f":{n}"
        self.xvfb = subprocess.Popen(
            ["Xvfb", self.display, "-screen", "0", f"{self.width}x{self.height}x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.05)
        self.env.update({
            "DISPLAY": self.display,
            "WINEPREFIX": os.path.join(self.root, "prefix"),
            "WINEDEBUG": os.environ.get("FLUTTERA_WINEDEBUG", "-all"),
            "WINEDLLOVERRIDES": "mscoree,mshtml=d;winemenubuilder.exe=d",
        })
        subprocess.run([WINE, "wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)
        # Without a window manager, Wine waits two seconds for one whenever a managed
        # window is hidden; unmanaged windows behave as on Windows.
        subprocess.run([WINE, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"],
                       env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        subprocess.run([WINESERVER, "-w"], env=self.env, timeout=300)
        self.program_dir = os.path.join(self.env["WINEPREFIX"], "drive_c", "Fluttera")
        os.makedirs(self.program_dir, exist_ok=True)
        shutil.copy(self.scr_source, os.path.join(self.program_dir, "Fluttera.scr"))
        return self

    def stop(self):
        try:
            subprocess.run([WINESERVER, "-k"], env=self.env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except Exception:
            pass
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        shutil.rmtree(self.root, ignore_errors=True)

    def kill_wine_programs(self):
        """Ends every Wine program of the session, its desktop and its server included, so
        no state (a key still held down, say) passes from one test to the next."""
        subprocess.run([WINESERVER, "-k"], env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, timeout=30)

    def start_desktop(self):
        """Starts Wine's desktop and keeps it: it paints the X root black when it starts, so
        a root picture must be put there after it."""
        subprocess.run([WINESERVER, "-p"], env=self.env, timeout=30,
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

    def start_scr(self, *args, env=None, stderr=None):
        """Starts the saver with its switches; returns the Wine process. A long Wine trace
        should go to a file (stderr=open file), or it fills the pipe and stalls the program."""
        e = dict(self.env)
        if env:
            e.update(env)
        # No pipes: a wineserver started by the program would inherit and hold them open.
        return subprocess.Popen([WINE, r"C:\Fluttera\Fluttera.scr", *args], env=e, cwd=self.program_dir,
                                stdout=subprocess.DEVNULL, stderr=stderr or subprocess.DEVNULL)

    def start_program(self, path, *args, env=None):
        """Copies a Windows program (a test tool) into the program folder and starts it
        there, as start_scr starts the saver; returns the Wine process."""
        name = os.path.basename(path)
        shutil.copy(path, os.path.join(self.program_dir, name))
        e = dict(self.env)
        if env:
            e.update(env)
        return subprocess.Popen([WINE, self.windows_path(name), *args], env=e, cwd=self.program_dir,
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
        return subprocess.Popen([WINE, *args], env=e, cwd=self.program_dir,
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
        return subprocess.run([WINE, *args], env=e, capture_output=True, timeout=timeout)

    # -- the screen --------------------------------------------------------------
    def x(self, *args, check=False):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, check=check)

    def set_root_picture(self, path):
        self.start_desktop()
        # display returns 1 after setting the root picture; what counts is the screen.
        self.x("display", "-window", "root", "-resize", f"{self.width}x{self.height}!", path)

    def windows(self, caption, visible=False):
        """X windows of that caption; with visible, only those shown (mapped)."""
        shown = ["--onlyvisible"] if visible else []
        r = self.x("xdotool", "search", *shown, "--name", f"^{caption}$")
        return [int(w) for w in r.stdout.split()]

    def wait_window(self, caption, present=True, timeout=20.0):
        """Waits until a window of that caption is shown (present), or until none exists at
        all. Wine makes the X window when the program creates it, before it is shown: keys
        sent then are lost."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if bool(self.windows(caption, visible=present)) == present:
                return True
            time.sleep(0.1)
        return False

    def wait_focus(self, caption, timeout=10.0):
        """Waits until the window with this caption has the X input focus. A window is
        mapped before it is focused, and a key sent in between goes elsewhere."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            focus = self.x("xdotool", "getwindowfocus").stdout.strip()
            if focus.isdigit() and int(focus) in self.windows(caption):
                return True
            time.sleep(0.05)
        return False

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


def wait_until(predicate, timeout=10.0, step=0.1):
    """Polls until predicate() is true; returns its last value."""
    end = time.monotonic() + timeout
    value = predicate()
    while not value and time.monotonic() < end:
        time.sleep(step)
        value = predicate()
    return value


def read_picture(path):
    """Any picture file ImageMagick reads (BMP, PNG...), as an Image."""
    with tempfile.TemporaryDirectory() as d:
        ppm = os.path.join(d, "picture.ppm")
        subprocess.run(["convert", path, "-depth", "8", ppm], check=True, capture_output=True)
        return Image.read_ppm(ppm)


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def cursor_image(display):
    """The mouse pointer's picture on an X display (XFixes): (width, height, hot x, hot y,
    pixels), each pixel None where transparent, else its (r, g, b)."""
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    xfixes = ctypes.cdll.LoadLibrary("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesQueryVersion.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    d = x11.XOpenDisplay(display.encode())
    if not d:
        raise RuntimeError(f"cannot open display {display}")
    try:
        major, minor = ctypes.c_int(5), ctypes.c_int(0)
        xfixes.XFixesQueryVersion(d, ctypes.byref(major), ctypes.byref(minor))
        ptr = xfixes.XFixesGetCursorImage(d)
        if not ptr:
            raise RuntimeError("no cursor image")
        img = ptr.contents
        pixels = []
        for i in range(img.width * img.height):
            argb = img.pixels[i] & 0xFFFFFFFF
            pixels.append(((argb >> 16) & 255, (argb >> 8) & 255, argb & 255) if argb >> 24 else None)
        result = (img.width, img.height, img.xhot, img.yhot, pixels)
        x11.XFree(ptr)
        return result
    finally:
        x11.XCloseDisplay(d)


def read_monochrome_cursor(path):
    """A 1-bit Windows cursor file's first picture, in the form cursor_image gives."""
    with open(path, "rb") as f:
        raw = f.read()
    width, height = raw[6] or 256, raw[7] or 256
    xhot, yhot = struct.unpack_from("<HH", raw, 10)
    offset = struct.unpack_from("<I", raw, 18)[0]
    header = struct.unpack_from("<IiiHH", raw, offset)
    assert header[4] == 1, "only 1-bit cursors"
    palette = [tuple(raw[offset + header[0] + 4 * i + k] for k in (2, 1, 0)) for i in range(2)]
    stride = ((width + 31) // 32) * 4
    xor = offset + header[0] + 8
    mask = xor + stride * height

    def bit(base, x, y):  # rows are stored bottom-up
        return (raw[base + (height - 1 - y) * stride + x // 8] >> (7 - x % 8)) & 1

    pixels = [None if bit(mask, x, y) else palette[bit(xor, x, y)] for y in range(height) for x in range(width)]
    return width, height, xhot, yhot, pixels
