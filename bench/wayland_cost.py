"""What the Wayland program costs with its compositor, next to the X11 hack with its X server,
at one size and petal count, side by side in one run:

- fluttera-wayland on a headless sway of its own (one output, software rendering, as the
  test user): CPU time of the program plus sway (and its background setter);
- fluttera --root on Xvfb: CPU time of the hack plus Xvfb.

Both start together over the same desktop picture and run until the end, so they share the
machine's load; after both have settled, each round measures both over the same window. The
number of petals on screen swings with a period of about a minute, so the settling and each
window last at least that long. Prints each round's shares of one core and their ratio
(Wayland / X11), and the median ratio.

Usage: python3 bench/wayland_cost.py [build dir] [rounds]
Environment: FLUTTERA_BENCH_SIZE (1920x1080), FLUTTERA_BENCH_SETTLE (60 s),
FLUTTERA_BENCH_WINDOW (60 s). Run as root (sway runs as the test user) or as that user.
"""
import os
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from cpu_share import TICK, cpu_ticks  # noqa: E402
from fluttera_test import end_process  # noqa: E402
from fluttera_test.sway import Sway  # noqa: E402
from fluttera_test.xvfb import Xvfb  # noqa: E402

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/native")
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
width, height = (int(v) for v in os.environ.get("FLUTTERA_BENCH_SIZE", "1920x1080").split("x"))
settle = max(60.0, float(os.environ.get("FLUTTERA_BENCH_SETTLE", "60")))
window = max(60.0, float(os.environ.get("FLUTTERA_BENCH_WINDOW", "60")))
COUNT = "300"
def cpu_seconds(pids):
    """User plus system time so far of these processes (those that are gone count 0)."""
    return sum(cpu_ticks(pid) for pid in pids) / TICK


def children(pid):
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as f:
            return [int(p) for p in f.read().split()]
    except OSError:
        return []


def backgrounds(sway):
    """The background setters of this sway: swaybg leaves sway's children (it is started
    through a double fork), so it is known by the session's runtime folder."""
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open(f"/proc/{entry}/comm") as f:
                if f.read().strip() != "swaybg":
                    continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                if f"XDG_RUNTIME_DIR={sway.runtime}".encode() in f.read().split(b"\0"):
                    found.append(int(entry))
        except (OSError, ValueError):
            continue
    return found


def uptime():
    return subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip()


def main():
    sway = Sway(scales=(1,), size=(width, height))
    xvfb = hack = program = None
    try:
        xvfb = Xvfb(width, height, ["-noreset"])
        env = dict(os.environ, DISPLAY=xvfb.display)
        env.pop("XSCREENSAVER_WINDOW", None)
        subprocess.run(["display", "-window", "root", os.path.join(sway.folder, "HEADLESS-1.png")], env=env)
        print(f"uptime before: {uptime()}", flush=True)
        program = sway.popen(sway.install(os.path.join(build, "fluttera-wayland")), "--count", COUNT)
        hack = subprocess.Popen([os.path.join(build, "fluttera"), "--root", "--count", COUNT], env=env)
        background = backgrounds(sway)
        if not background:
            sys.exit("no swaybg found for this sway")
        sides = {"wayland": lambda: [program.pid, sway.proc.pid, *children(sway.proc.pid), *background],
                 "x11": lambda: [hack.pid, xvfb.pid],
                 "program": lambda: [program.pid], "hack": lambda: [hack.pid], "swaybg": lambda: background}
        time.sleep(settle)
        ratios = []
        for r in range(rounds):
            t0 = time.monotonic()
            before = {k: cpu_seconds(pids()) for k, pids in sides.items()}
            time.sleep(window)
            wall = time.monotonic() - t0
            share = {k: (cpu_seconds(pids()) - before[k]) / wall for k, pids in sides.items()}
            # A process gone counts 0 from then on: a side that lost one has no figure.
            for p, what in ((program, "fluttera-wayland"), (hack, "fluttera"), (sway.proc, "sway"), (xvfb.proc, "Xvfb")):
                if p.poll() is not None:
                    sys.exit(f"{what} ended (status {p.returncode})")
            if not set(background) <= set(backgrounds(sway)):
                sys.exit("swaybg ended")
            ratios.append(share["wayland"] / share["x11"])
            print(f"round {r + 1}, {wall:.0f} s: Wayland program + sway {100 * share['wayland']:.1f} % "
                  f"(program {100 * share['program']:.1f} %, swaybg {100 * share['swaybg']:.1f} %), "
                  f"X11 hack + Xvfb {100 * share['x11']:.1f} % "
                  f"(hack {100 * share['hack']:.1f} %) of one core; ratio {ratios[-1]:.2f}", flush=True)
        print(f"{width}x{height}, {COUNT} petals, settled {settle:.0f} s: Wayland / X11 per round "
              f"{', '.join(f'{q:.2f}' for q in ratios)}, median {statistics.median(ratios):.2f}")
        print(f"uptime after: {uptime()}")
    finally:
        for p in (program, hack):
            if p:
                p.send_signal(signal.SIGTERM)
                end_process(p)
        if xvfb:
            xvfb.stop()
        sway.stop()


main()
