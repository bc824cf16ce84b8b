"""CPU time of the paced saver under Wine, as a share of one core: the saver's process, the
X server and the Wine server, over a fixed time, next to the paced bare two-copy loop, in
interleaved rounds, on one or more screens side by side.

Usage: python3 bench/saver_cpu.py [Fluttera.scr] [seconds] [rounds] [SCREEN[,SCREEN...]]
A SCREEN is WIDTHxHEIGHT (one Xvfb screen, default 1920x1080), or "one" or "three": Xorg's
dummy driver with one 1920x1080 monitor or three of different sizes (the tests' layouts).
Every round runs each screen in turn (the order reversed every other round), and the
summary gives the saver's cost per petal on each (each monitor has its own petals) as a
ratio to the first screen's. The programs beside the saver: bare_loop.exe,
Fluttera_bench.scr. FLUTTERA_CPU_RUNS is a comma list of what to run each round (default
"bare,scr"): bare (the paced bare loop), scr (the real saver, 300 petals),
bench:MODE[:RECTCOST] (the benchmark build, paced, with that presentation; MODE rects,
region or whole), or on and off (the benchmark build, paced, with the display left on, or
told it went off after its 60th pass, as the system tells the saver; Wine never does). FLUTTERA_CPU_SETTLE: seconds from the window to the measurement (default
3). A petal's first fall is not drawn and a fall takes 25 to 36 s on a 1080-line monitor,
so drawn petals fill the monitors' height from about 40 s on, as they then stay.
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test import xorg  # noqa: E402
from fluttera_test.captions import SAVER  # noqa: E402
from fluttera_test.pictures import Image, pink_changes  # noqa: E402
from fluttera_test.session import Session  # noqa: E402

scr = sys.argv[1] if len(sys.argv) > 1 else "build/win32/Fluttera.scr"
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 2
screens = (sys.argv[4] if len(sys.argv) > 4 else "1920x1080").split(",")
runs = os.environ.get("FLUTTERA_CPU_RUNS", "bare,scr").split(",")
settle = float(os.environ.get("FLUTTERA_CPU_SETTLE", "3"))
here = os.path.dirname(os.path.abspath(scr))
PETALS = 300  # the setting; the saver runs one more, on each monitor
LAYOUTS = {"one": xorg.ONE, "three": xorg.THREE}
TICK = os.sysconf("SC_CLK_TCK")


def cpu_ticks(pid):
    """utime + stime of a process (all its threads), in clock ticks."""
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


class Screen:
    """A session on one screen, its desktop picture and its monitors' places on the X
    screen (outputs None: one monitor, all of it)."""

    def __init__(self, name):
        self.name, self.outputs, self.checked = name, LAYOUTS.get(name), False
        if self.outputs:
            self.s = Session(scr, x_server=lambda: xorg.DummyXorg(self.outputs)).start()
        else:
            width, height = (int(v) for v in name.split("x"))
            self.s = Session(scr, width=width, height=height).start()
        self.picture = os.path.join(self.s.root, "desktop.png")
        self.s.x("convert", "-size", f"{self.s.width}x{self.s.height}", "gradient:#1f3c6e-#5a9a8a", self.picture,
                 check=True)
        self.desktop = Image.read_ppm(self.shot(self.picture))
        self.petals = (PETALS + 1) * len(self.outputs or (None,))

    def shot(self, source="x:root"):
        path = os.path.join(self.s.root, "shot.ppm")
        self.s.x("convert", source, "-depth", "8", path, check=True)
        return path


def check_every_monitor_drawn(screen):
    """Stops the run when a monitor of the X server shows no petals: Wine saw fewer
    monitors than there are (a 32-bit X library missing, say), and the figures would be of
    fewer petals than the layout's."""
    shot, desktop = Image.read_ppm(screen.shot()), screen.desktop
    for o in screen.outputs:
        if not pink_changes(desktop.crop(o.x, o.y, o.width, o.height), shot.crop(o.x, o.y, o.width, o.height)):
            raise SystemExit(f"no petals on {o.name} ({o.width}x{o.height} at {o.x},{o.y}): Wine does not see "
                             "every monitor of the X server")


def measure(screen, run):
    """One run on one screen: (program + X server, {part: share of one core})."""
    s = screen.s
    s.kill_wine_programs()
    s.set_root_picture(screen.picture)
    s.write_settings(petals=PETALS, kind=0, repeat=0, music="")
    if run == "bare":
        p, caption = s.start_program(os.path.join(here, "bare_loop.exe"), "paced"), "Fluttera_BareLoop"
    elif run == "scr":
        p, caption = s.start_scr("/s"), SAVER
    elif run in ("on", "off"):
        env = {"FLUTTERA_PACED": "1", "FLUTTERA_DISPLAY_OFF_AFTER": "60" if run == "off" else "0"}
        p, caption = s.start_program(os.path.join(here, "Fluttera_bench.scr"), "/s", env=env), SAVER
    else:
        _, mode, *cost = run.split(":")
        env = {"FLUTTERA_PACED": "1", "FLUTTERA_PRESENT": mode}
        if cost:
            env["FLUTTERA_RECT_COST"] = cost[0]
        p = s.start_program(os.path.join(here, "Fluttera_bench.scr"), "/s", env=env)
        caption = SAVER
    if not s.wait_window(caption):
        raise SystemExit(f"no window for {run} on {screen.name}")
    time.sleep(settle)
    servers = wineserver_pids(s.env["WINEPREFIX"])
    pids = {"program": [p.pid], "X": [s.x_server.pid], "wineserver": servers}
    before = {k: sum(cpu_ticks(q) for q in v) for k, v in pids.items()}
    t0 = time.monotonic()
    time.sleep(seconds)
    took = time.monotonic() - t0
    after = {k: sum(cpu_ticks(q) for q in v) for k, v in pids.items()}
    share = {k: (after[k] - before[k]) / TICK / took * 100 for k in pids}
    if screen.outputs and run != "bare" and not screen.checked:
        check_every_monitor_drawn(screen)
        screen.checked = True
    s.key("space")
    try:
        p.wait(timeout=30)
    except Exception:
        p.kill()
    stats = os.path.join(s.program_dir, "pass_stats.txt")
    if run not in ("bare", "scr") and os.path.exists(stats):
        with open(stats) as f:
            passes, ms = f.readline().split()[:2]
        os.remove(stats)
        print(f"{'':>46}{passes} passes in {int(ms) / 1000:.1f} s", flush=True)
    return share["program"] + share["X"], share


sessions = {}
try:
    for screen in screens:
        sessions[screen] = Screen(screen)
    shares = {(screen, r): [] for screen in screens for r in runs}
    for rnd in range(rounds):
        for screen in (screens if rnd % 2 == 0 else screens[::-1]):
            for run in runs:
                total, share = measure(sessions[screen], run)
                shares[screen, run].append((total, share))
                print(f"round {rnd + 1} {screen:>9} {run:>18}: program {share['program']:5.1f} %  "
                      f"X {share['X']:5.1f} %  = {total:5.1f} %   (wineserver {share['wineserver']:4.1f} %, "
                      f"load {os.getloadavg()[0]:.2f})", flush=True)
    print()
    print(f"median share of one core over {seconds:.0f} s from {settle:.0f} s on (program + X server; the program "
          "alone; wineserver apart)")
    for screen in screens:
        for run in runs:
            totals = [t for t, _ in shares[screen, run]]
            alone = [sh["program"] for _, sh in shares[screen, run]]
            ws = [sh["wineserver"] for _, sh in shares[screen, run]]
            print(f"  {screen:>9} {run:>18}: {statistics.median(totals):5.1f} %   "
                  f"rounds {', '.join(f'{t:.1f}' for t in totals)}   program alone {statistics.median(alone):5.2f} % "
                  f"({', '.join(f'{a:.2f}' for a in alone)})   wineserver {statistics.median(ws):.1f} %")
    if "scr" in runs and len(screens) > 1:
        print()
        print("the saver's cost per petal (share / petals on all monitors) as a ratio to the first screen's:"
              " of the medians, and round by round")

        def per_petal(screen):
            return [t / sessions[screen].petals * 1000 for t, _ in shares[screen, "scr"]]
        first = per_petal(screens[0])
        for screen in screens:
            per = per_petal(screen)
            rounds_ratio = [a / b for a, b in zip(per, first)]
            print(f"  {screen:>9}: {sessions[screen].petals:4} petals  {statistics.median(per):6.2f} % per 1000 petals"
                  f"  ratio {statistics.median(per) / statistics.median(first):.2f}"
                  f"   rounds {', '.join(f'{r:.2f}' for r in rounds_ratio)}")
finally:
    for screen in sessions.values():
        screen.s.stop()
