"""Several monitors for a test or a measurement: the one place Xorg with the dummy driver
is started. Xvfb cannot show Wine more than one monitor; the dummy driver's RandR outputs
(DUMMY0 to DUMMY15) each become one, at its true place.

As a command, it runs another command on a fresh server and stops the server after it:
    python3 -m fluttera_test.xorg [--one] -- COMMAND [ARG ...]
(--one: a single 1920x1080 monitor; default: the three monitors of THREE).
The command gets DISPLAY; the exit code is the command's."""
import os
import subprocess
import sys
import tempfile
from collections import namedtuple

from . import end_process
from .xvfb import run_on, start_server

# One output: its RandR name, size and place on the X screen.
Output = namedtuple("Output", "name width height x y primary")

# Three monitors of different sizes, the left one lower than and left of the primary, so
# Windows places it at negative x and its top below the primary's.
THREE = (Output("DUMMY0", 1024, 768, 0, 200, False),
         Output("DUMMY1", 1920, 1080, 1024, 0, True),
         Output("DUMMY2", 1280, 1024, 2944, 0, False))
ONE = (Output("DUMMY0", 1920, 1080, 0, 0, True),)

# The X screen can grow to this while outputs are switched on (every output must fit).
MAX_WIDTH, MAX_HEIGHT = 8192, 2048

CONFIG = """\
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual {w} {h}
  EndSubSection
EndSection
"""


def bounds(outputs):
    """The X screen that just holds these outputs: (width, height)."""
    return (max(o.x + o.width for o in outputs), max(o.y + o.height for o in outputs))


def windows_places(outputs):
    """Where Windows (Wine) puts each output: the primary at 0,0, the rest relative to it.
    A list of (left, top, right, bottom) in the order of `outputs`."""
    p = next(o for o in outputs if o.primary)
    return [(o.x - p.x, o.y - p.y, o.x - p.x + o.width, o.y - p.y + o.height) for o in outputs]


class DummyXorg:
    """Xorg with the dummy driver on a display number no one else uses, its outputs laid
    out as given, no TCP, open to every local user (the XScreenSaver tests run as another)."""

    def __init__(self, outputs=THREE):
        self.folder = tempfile.mkdtemp(prefix="fluttera-xorg-")
        config = os.path.join(self.folder, "xorg.conf")
        with open(config, "w") as f:
            f.write(CONFIG.format(w=MAX_WIDTH, h=MAX_HEIGHT))
        os.makedirs(os.path.join(self.folder, "conf.d"))
        self.proc, self.display = start_server(
            ["/usr/lib/xorg/Xorg", "-config", config, "-configdir", os.path.join(self.folder, "conf.d"),
             "-noreset", "-nolisten", "tcp", "-ac", "-novtswitch", "-sharevts",
             "-logfile", os.path.join(self.folder, "Xorg.log")],
            f"Xorg with the dummy driver did not start (see {self.folder}/Xorg.log)")
        self.outputs = ()
        self.lay_out(outputs)

    @property
    def pid(self):
        return self.proc.pid

    @property
    def width(self):
        return bounds(self.outputs)[0]

    @property
    def height(self):
        return bounds(self.outputs)[1]

    def xrandr(self, *args):
        subprocess.run(["xrandr", *args], env=dict(os.environ, DISPLAY=self.display), check=True,
                       stdout=subprocess.DEVNULL, timeout=30)

    def lay_out(self, outputs):
        """Switches on exactly these outputs at their places (the others off) and sizes the
        X screen to hold them, as a user's display settings would."""
        args = []
        for o in outputs:
            mode = f"{o.width}x{o.height}"
            if o.name != "DUMMY0":
                # The dummy's other outputs start without modes; adding one twice is refused.
                subprocess.run(["xrandr", "--addmode", o.name, mode], env=dict(os.environ, DISPLAY=self.display),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            args += ["--output", o.name, "--mode", mode, "--pos", f"{o.x}x{o.y}"] + (["--primary"] if o.primary else [])
        for o in self.outputs:
            if o.name not in {n.name for n in outputs}:
                args += ["--output", o.name, "--off"]
        w, h = bounds(outputs)
        self.xrandr("--fb", f"{w}x{h}", *args)
        # Until a client asks the server to probe its outputs, those whose modes were just
        # added read as disconnected to a client that asks only for the current state, as
        # Wine does: it then sees one monitor. A query probes them.
        self.xrandr("--query")
        self.outputs = tuple(outputs)

    def monitors(self):
        """What the X server itself lists: a set of (name, width, height, x, y)."""
        out = subprocess.run(["xrandr", "--listmonitors"], env=dict(os.environ, DISPLAY=self.display),
                             capture_output=True, text=True, check=True, timeout=30).stdout
        found = set()
        for line in out.splitlines()[1:]:
            geometry, name = line.split()[2], line.split()[-1]
            size, x, y = geometry.split("+")
            w, h = (int(v.split("/")[0]) for v in size.split("x"))
            found.add((name, w, h, int(x), int(y)))
        return found

    def stop(self):
        end_process(self.proc)
        subprocess.run(["rm", "-rf", self.folder])

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def main(argv):
    outputs = THREE
    while argv and argv[0] != "--":
        if argv[0] == "--one":
            outputs, argv = ONE, argv[1:]
        else:
            sys.exit(__doc__)
    command = argv[1:]
    if not command:
        sys.exit(__doc__)
    return run_on(lambda: DummyXorg(outputs), command)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
