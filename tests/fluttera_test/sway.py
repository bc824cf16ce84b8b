"""A Wayland desktop of its own for a test or a measurement: the one place sway is started.

sway runs headless with software rendering and no input devices, as the ordinary test user
(it will not start as root), in a runtime folder of its own, so runs beside it never meet.
Each output shows a picture of its own as its desktop (swaybg), at a scale of its own. A
keyboard and a pointer are plugged in from the start, as a user's are: a headless seat has
none, and a seat without them sends clients no keys or buttons. Keys come from wtype, the
pointer from sway's own seat commands, screenshots from grim; every
program runs as the test user, its process id being that of the program itself (setpriv
changes the user and runs it in place)."""
import json
import os
import re
import shutil
import subprocess
import tempfile

from . import end_process
from .pictures import Image, differences, known_points, read_picture
from .session import GUARD, wait_until
from .users import ordinary_user
from .wayland_wire import VirtualPointer

WIDTH, HEIGHT = 1280, 720  # every output's pixels by default, whatever its scale
# Each output's desktop: a gradient between two colours with a light rectangle on it (none is
# pink, so a petal over it is told apart), one pair per output in the order they come.
COLOURS = (("#1f3c6e", "#5a9a8a"), ("#3c5a1f", "#2a4a6a"), ("#4a3a6e", "#1f6e5a"), ("#20406a", "#6a7a3c"))
# The sanitizers' variables reach the programs: they run as another user than the tests.
PASSED_ON = ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS")


class Sway:
    """sway with outputs at the given scales (HEADLESS-1, ...) of `size` pixels, each
    showing its desktop picture once it starts."""

    def __init__(self, test=None, scales=(1,), size=(WIDTH, HEIGHT)):
        self.user, self.size = ordinary_user(test), size
        self.folder = tempfile.mkdtemp(prefix="fluttera-sway-")
        os.chmod(self.folder, 0o755)
        self.runtime = os.path.join(self.folder, "run")
        os.mkdir(self.runtime, 0o700)
        os.chown(self.runtime, self.user.pw_uid, self.user.pw_gid)
        self.bin = os.path.join(self.folder, "bin")
        os.mkdir(self.bin, 0o755)
        for name in PASSED_ON:  # a sanitizer's reports, written by the test user's programs
            folder = re.search(r"log_path=([^:]+)", os.environ.get(name, ""))
            if folder and os.path.isdir(os.path.dirname(folder.group(1))):
                os.chmod(os.path.dirname(folder.group(1)), 0o1777)
        self.pictures = {}
        config = os.path.join(self.folder, "config")
        with open(config, "w") as f:
            for i, scale in enumerate(scales):
                f.write(self.output_line(f"HEADLESS-{i + 1}", scale) + "\n")
        self.log = open(os.path.join(self.folder, "sway.log"), "w")
        self.proc = subprocess.Popen(self.as_user("sway", "-c", config), env=self.env(
            WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1",
            WLR_HEADLESS_OUTPUTS=str(len(scales))), stdout=self.log, stderr=subprocess.STDOUT)
        self.keyboard = self.pointer = None
        try:
            if not wait_until(self.answers, proc=self.proc):
                raise AssertionError(f"sway did not answer (see {self.log.name})")
            # A virtual keyboard that types nothing for a day, and a virtual pointer.
            self.keyboard = self.popen("wtype", "-s", "86400000", "x", stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            self.pointer = VirtualPointer(os.path.join(self.runtime, self.env()["WAYLAND_DISPLAY"]))
            kinds = lambda: {i["type"] for i in self.msg(kind=("-t", "get_inputs"))} >= {"keyboard", "pointer"}
            if not wait_until(kinds, proc=self.proc):
                raise AssertionError("sway has no keyboard or no pointer")
            for name in self.pictures:
                self.wait_for_desktop(name)
        except BaseException:
            self.stop()
            raise

    def output_line(self, name, scale):
        """The output's setting: its size, scale and desktop picture (made here)."""
        first, second = COLOURS[len(self.pictures) % len(COLOURS)]
        picture = os.path.join(self.folder, f"{name}.png")
        subprocess.run(["convert", "-size", "{}x{}".format(*self.size), f"gradient:{first}-{second}", "-fill", "#f0f0e8",
                        "-draw", "rectangle 40,40 300,200", picture], check=True)
        os.chmod(picture, 0o644)
        self.pictures[name] = read_picture(picture)
        return "output {} mode --custom {}x{} scale {} bg {} stretch".format(name, *self.size, scale, picture)

    def env(self, **variables):
        """The variables of a program of this session."""
        found = {k: os.environ[k] for k in PASSED_ON if k in os.environ}
        found.update(HOME=self.user.pw_dir, PATH=f"{self.bin}:/usr/bin:/bin", XDG_RUNTIME_DIR=self.runtime,
                     LANG="C.UTF-8")
        for entry in os.listdir(self.runtime):
            if re.fullmatch(r"wayland-\d+", entry):
                found["WAYLAND_DISPLAY"] = entry
            elif entry.startswith("sway-ipc."):
                found["SWAYSOCK"] = os.path.join(self.runtime, entry)
        found.update(variables)
        return found

    def as_user(self, *args):
        if os.geteuid() != 0:
            return list(args)
        return ["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}", "--init-groups", "--", *args]

    def install(self, program):
        """A copy of the program the test user may run, found by its name."""
        copy = os.path.join(self.bin, os.path.basename(program))
        shutil.copy(program, copy)
        os.chmod(copy, 0o755)
        return copy

    def popen(self, *args, **kw):
        return subprocess.Popen(self.as_user(*args), env=self.env(), **kw)

    def run(self, *args, check=True):
        return subprocess.run(self.as_user(*args), env=self.env(), capture_output=True, check=check, timeout=GUARD)

    def msg(self, *args, kind=()):
        """swaymsg's answer to a command (or to a query of that kind), read; raises when a
        command was refused."""
        answer = json.loads(self.run("swaymsg", "-r", *kind, "--", *args, check=False).stdout or "null")
        if isinstance(answer, list) and not all(a.get("success", True) for a in answer):
            raise AssertionError(f"sway refused {args}: {answer}")
        return answer

    def answers(self):
        env = self.env()
        return "SWAYSOCK" in env and "WAYLAND_DISPLAY" in env and \
            self.run("swaymsg", "-t", "get_version", check=False).returncode == 0

    def outputs(self):
        """{name: what sway says of it}"""
        return {o["name"]: o for o in self.msg(kind=("-t", "get_outputs"))}

    def shot(self, output):
        """The output's pixels now (its full resolution)."""
        return Image.parse_ppm(self.run("grim", "-t", "ppm", "-o", output, "-").stdout)

    def wait_for_desktop(self, output):
        """Waits until the output shows its desktop picture; returns that screenshot."""
        picture, points = self.pictures[output], known_points([(0, 0, *self.size)])

        def shown():
            now = self.shot(output)
            return None if differences(now, picture, points) else now
        now = wait_until(shown, step=0.2, proc=self.proc)
        assert now, f"{output} does not show its desktop: {differences(self.shot(output), picture, points)[:3]}"
        return now

    def add_output(self, scale=1):
        """A new output, as when a monitor is plugged in, at this session's size; returns its
        name once sway lists it. It shows sway's bare background: a picture set now could
        come after a program running has taken its still of the output."""
        before = set(self.outputs())
        self.msg("create_output")
        name = wait_until(lambda: (set(self.outputs()) - before or {None}).pop(), proc=self.proc)
        assert name, "sway made no output"
        self.msg("output", name, "mode", "--custom", "{}x{}".format(*self.size), "scale", str(scale))
        return name

    def stop(self):
        if self.pointer:
            self.pointer.close()
        if self.keyboard:
            end_process(self.keyboard)
        end_process(self.proc)
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)
