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
bench:MODE[:COST] (the benchmark build, paced, with that presentation; MODE rects,
region or whole with the compositor's rectangle cost, or groups with the cost of a group and
then, after another colon, the compositor's rectangle cost; "@FOLDER" after it runs the
Fluttera_bench.scr of another build folder), or on and off (the benchmark build, paced, with the display left on, or
told it went off after its 60th pass, as the system tells the saver; Wine never does). FLUTTERA_CPU_SETTLE: seconds from the window to the measurement (default
3). A petal's first fall is not drawn and a fall takes 25 to 36 s on a 1080-line monitor,
so drawn petals fill the monitors' height from about 40 s on, as they then stay.
"""
import os
import statistics
import sys
import time

from cpu_share import PETALS, Screen, load, shares, wineserver_pids

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test.captions import SAVER  # noqa: E402

scr = sys.argv[1] if len(sys.argv) > 1 else "build/win32/Fluttera.scr"
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 2
screens = (sys.argv[4] if len(sys.argv) > 4 else "1920x1080").split(",")
runs = os.environ.get("FLUTTERA_CPU_RUNS", "bare,scr").split(",")
settle = float(os.environ.get("FLUTTERA_CPU_SETTLE", "3"))
here = os.path.dirname(os.path.abspath(scr))
MODES = ("rects", "region", "whole", "groups")


def check_run(run):
    """Stops before any session on a run this script does not know: the benchmark build
    takes an unknown mode for its groups and a cost that is no number for 0, so the figure
    would be of another run than its name says."""
    if run in ("bare", "scr", "on", "off"):
        return
    how, at, folder = run.partition("@")
    kind, *rest = how.split(":")
    costs = rest[1:]
    if (kind != "bench" or not rest or rest[0] not in MODES or len(costs) > (2 if rest[0] == "groups" else 1)
            or not all(c.isdigit() for c in costs) or (at and not folder)):
        raise SystemExit(f"unknown run {run!r} (bare, scr, on, off or bench:MODE[:COST][@FOLDER], MODE one of "
                         f"{', '.join(MODES)})")


for r in runs:
    check_run(r)


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
        how, _, folder = run.partition("@")
        _, mode, *cost = how.split(":")
        env = {"FLUTTERA_PACED": "1", "FLUTTERA_PRESENT": mode}
        if cost:
            env["FLUTTERA_GROUP_COST" if mode == "groups" else "FLUTTERA_RECT_COST"] = cost[0]
        if mode == "groups" and len(cost) > 1:
            env["FLUTTERA_RECT_COST"] = cost[1]
        p = s.start_program(os.path.join(folder or here, "Fluttera_bench.scr"), "/s", env=env)
        caption = SAVER
    if not s.wait_window(caption):
        raise SystemExit(f"no window for {run} on {screen.name}")
    time.sleep(settle)
    servers = wineserver_pids(s.env["WINEPREFIX"])
    share = shares({"program": [p.pid], "X": [s.x_server.pid], "wineserver": servers}, seconds)
    # A process gone counts 0 from then on: a part that lost one has no figure.
    for what, q in ((run, p), ("the X server", s.x_server.proc)):
        if q.poll() is not None:
            raise SystemExit(f"{what} ended during the measurement on {screen.name} (status {q.returncode})")
    if run != "bare":
        screen.check_every_monitor_drawn()
    s.key("space")
    try:
        p.wait(timeout=30)
    except Exception:
        p.kill()
    stats = os.path.join(s.program_dir, "pass_stats.txt")
    if run not in ("bare", "scr") and os.path.exists(stats):
        with open(stats) as f:
            passes, ms = f.readline().split()[:2]
            sent = [line.strip() for line in f if line.startswith("rects_per_pass")]
        os.remove(stats)
        print(f"{'':>46}{passes} passes in {int(ms) / 1000:.1f} s  {' '.join(sent)}", flush=True)
    return share["program"] + share["X"], share


sessions = {}
try:
    for screen in screens:
        sessions[screen] = Screen(screen, scr)
    results = {(screen, r): [] for screen in screens for r in runs}
    for rnd in range(rounds):
        for screen in (screens if rnd % 2 == 0 else screens[::-1]):
            for run in runs:
                total, share = measure(sessions[screen], run)
                results[screen, run].append((total, share))
                print(f"round {rnd + 1} {screen:>9} {run:>18}: program {share['program']:5.1f} %  "
                      f"X {share['X']:5.1f} %  = {total:5.1f} %   (wineserver {share['wineserver']:4.1f} %, "
                      f"load {load():.2f})", flush=True)
    print()
    print(f"median share of one core over {seconds:.0f} s from {settle:.0f} s on (program + X server; the program "
          "alone; wineserver apart)")
    for screen in screens:
        for run in runs:
            totals = [t for t, _ in results[screen, run]]
            alone = [sh["program"] for _, sh in results[screen, run]]
            ws = [sh["wineserver"] for _, sh in results[screen, run]]
            print(f"  {screen:>9} {run:>18}: {statistics.median(totals):5.1f} %   "
                  f"rounds {', '.join(f'{t:.1f}' for t in totals)}   program alone {statistics.median(alone):5.2f} % "
                  f"({', '.join(f'{a:.2f}' for a in alone)})   wineserver {statistics.median(ws):.1f} %")
    if "scr" in runs and len(screens) > 1:
        print()
        print("the saver's cost per petal (share / petals on all monitors) as a ratio to the first screen's:"
              " of the medians, and round by round")

        def per_petal(screen):
            return [t / sessions[screen].petals * 1000 for t, _ in results[screen, "scr"]]
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
