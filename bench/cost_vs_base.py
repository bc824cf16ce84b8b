"""The cost at rest, side by side with an older build: the paced saver with its X server on
the dummy Xorg's "one" (1920x1080) and "three" layouts, and the hack (`fluttera --root`, 300
petals) on a 1920x1080 Xvfb, each run by the older build (a commit, built beside this tree
with the same presets) and by this tree's build in interleaved rounds, with the pacing
floor in the same rounds: a paced loop that only waits (bare_loop.exe "paced wait" under
Wine, fluttera_wait_loop natively).

Usage: python3 bench/cost_vs_base.py [--base COMMIT] [--settle S] [--measure S] [--rounds N]
                                     [--floor-settle S] [--only FIGURE,...] [--no-build]
FIGURE: one, three, hack, floor-wine, floor-hack. Each run's CPU time is taken from /proc
after `settle` seconds from the window (drawn petals fill the monitors' height from about
40 s on), over `measure` seconds: the program, its X server, and for the saver Wine's server
too. Each figure is given as a ratio to the older build in the same round; the order of the
runs is reversed every other round. The older build goes to build/bench-base/COMMIT/.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

from cpu_share import PETALS, HackScreen, Screen, load, shares, wineserver_pids

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test import end_process  # noqa: E402
from fluttera_test.captions import SAVER  # noqa: E402
from fluttera_test.wine import choose  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))


def run(*cmd, cwd=ROOT):
    subprocess.run(["nice", "-n", "10", *cmd], cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def build_tree(tree, preset, wine_targets, native_targets):
    """Configures and builds a source tree with the project's presets; returns its build dirs."""
    for p, targets in ((preset, wine_targets), ("native", native_targets)):
        run("cmake", "--preset", p, cwd=tree)
        run("cmake", "--build", os.path.join("build", p), "-j2", "--target", *targets, cwd=tree)
    return os.path.join(tree, "build", preset), os.path.join(tree, "build", "native")


def base_tree(commit):
    """The commit's files, unpacked once beside this tree's builds."""
    sha = subprocess.run(["git", "rev-parse", "--short", commit], cwd=ROOT, check=True, capture_output=True,
                         text=True).stdout.strip()
    tree = os.path.join(ROOT, "build", "bench-base", sha)
    if not os.path.exists(os.path.join(tree, "CMakeLists.txt")):
        os.makedirs(tree, exist_ok=True)
        archive = subprocess.Popen(["git", "archive", sha], cwd=ROOT, stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", tree], stdin=archive.stdout, check=True)
        if archive.wait() != 0:
            raise SystemExit(f"git archive {sha} failed")
    return sha, tree


def saver_run(screen, scr, settle, seconds, floor=None):
    """One paced run on a Wine screen: the saver `scr`, or with floor the wait-only loop."""
    s = screen.s
    s.kill_wine_programs()
    s.set_root_picture(screen.picture)
    s.write_settings(petals=PETALS, kind=0, repeat=0, music="")
    if floor:
        p, caption = s.start_program(floor, "paced wait"), "Fluttera_BareLoop"
    else:
        shutil.copy(scr, os.path.join(s.program_dir, "Fluttera.scr"))
        p, caption = s.start_scr("/s"), SAVER
    if not s.wait_window(caption, proc=p):
        raise SystemExit(f"no window of {scr or floor} on {screen.name}")
    time.sleep(settle)
    share = shares({"program": [p.pid], "X": [s.x_server.pid],
                    "wineserver": wineserver_pids(s.env["WINEPREFIX"])}, seconds)
    if not floor:
        screen.check_every_monitor_drawn()
    s.key("space")
    try:
        p.wait(timeout=30)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()
    return share


def hack_run(screen, argv, settle, seconds):
    p = subprocess.Popen(argv, env=screen.env)
    time.sleep(settle)
    if p.poll() is not None:
        raise SystemExit(f"{argv[0]} ended with {p.returncode}")
    share = shares({"program": [p.pid], "X": [screen.pid]}, seconds)
    end_process(p, 30)
    return share


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--base", default="6ae48f4")
    ap.add_argument("--settle", type=float, default=60)
    ap.add_argument("--measure", type=float, default=60)
    ap.add_argument("--rounds", type=int, default=2)
    ap.add_argument("--floor-settle", type=float, default=None,
                    help="settling of the wait-only loops, which draw nothing (default: --settle)")
    ap.add_argument("--only", default="one,three,hack,floor-wine,floor-hack")
    ap.add_argument("--no-build", action="store_true", help="use the builds as they are")
    a = ap.parse_args()
    figures = a.only.split(",")
    floor_settle = a.settle if a.floor_settle is None else a.floor_settle
    wine = choose()
    sha, tree = base_tree(a.base)
    print(f"base {sha} against this tree ({subprocess.run(['git', 'describe', '--always', '--dirty'], cwd=ROOT, capture_output=True, text=True).stdout.strip()}); "
          f"{wine.said}; settle {a.settle:.0f} s, measure {a.measure:.0f} s, {a.rounds} rounds", flush=True)
    builds = {}
    if not a.no_build:
        build_tree(tree, wine.preset, ["Fluttera"], ["fluttera"])
        build_tree(ROOT, wine.preset, ["Fluttera", "bare_loop"], ["fluttera", "fluttera_wait_loop"])
    for name, t in (("base", tree), ("new", ROOT)):
        builds[name] = (os.path.join(t, "build", wine.preset, "Fluttera.scr"), os.path.join(t, "build", "native",
                                                                                            "fluttera"))
    wait_wine = os.path.join(ROOT, "build", wine.preset, "bare_loop.exe")
    wait_hack = os.path.join(ROOT, "build", "native", "fluttera_wait_loop")

    # What each round runs: (figure, build, how).
    plan = []
    screens, hack_screen = {}, None
    try:
        for f in figures:
            if f in ("one", "three") or f == "floor-wine":
                layout = "one" if f == "floor-wine" else f
                if layout not in screens:
                    screens[layout] = Screen(layout, builds["new"][0])
            elif hack_screen is None:
                hack_screen = HackScreen(1920, 1080)
        for f in figures:
            if f in ("one", "three"):
                for b in ("base", "new"):
                    plan.append((f, b, lambda f=f, b=b: saver_run(screens[f], builds[b][0], a.settle, a.measure)))
            elif f == "hack":
                for b in ("base", "new"):
                    argv = [builds[b][1], "--root", "--count", str(PETALS)]
                    plan.append((f, b, lambda argv=argv: hack_run(hack_screen, argv, a.settle, a.measure)))
            elif f == "floor-wine":
                plan.append((f, "wait", lambda: saver_run(screens["one"], None, floor_settle, a.measure, wait_wine)))
            elif f == "floor-hack":
                plan.append((f, "wait", lambda: hack_run(hack_screen, [wait_hack], floor_settle, a.measure)))
        results = {}
        for rnd in range(a.rounds):
            for f, b, go in (plan if rnd % 2 == 0 else plan[::-1]):
                share = go()
                total = sum(share.values())
                results.setdefault((f, b), []).append(total)
                ws = f"  wineserver {share['wineserver']:4.1f} %" if "wineserver" in share else ""
                print(f"round {rnd + 1} {f:>10} {b:>4}: program {share['program']:5.2f} %  X {share['X']:5.2f} %{ws}"
                      f"  = {total:5.2f} %   (load {load():.2f})", flush=True)
        report(results, a)
    finally:
        for screen in screens.values():
            screen.s.stop()
        if hack_screen:
            hack_screen.stop()


def report(results, a):
    print(f"\nshare of one core over {a.measure:.0f} s from {a.settle:.0f} s on (program + X server, + Wine's "
          "server for the saver); new / base per round:")
    for f in ("one", "three", "hack"):
        if (f, "base") not in results:
            continue
        base, new = results[f, "base"], results[f, "new"]
        ratios = [n / b if b else float("nan") for n, b in zip(new, base)]
        print(f"  {f:>6}: base {statistics.median(base):5.2f} %  new {statistics.median(new):5.2f} %  "
              f"ratio {statistics.median(ratios):.2f}  (rounds {', '.join(f'{r:.2f}' for r in ratios)})")
    for f, of in (("floor-wine", ("one", "three")), ("floor-hack", ("hack",))):
        if (f, "wait") not in results:
            continue
        floor = results[f, "wait"]
        against = "; ".join(f"{o} base {statistics.median(results[o, 'base']) / statistics.median(floor):.1f}x, "
                            f"new {statistics.median(results[o, 'new']) / statistics.median(floor):.1f}x"
                            for o in of if (o, "base") in results)
        print(f"  {f:>10}: {statistics.median(floor):5.2f} %  (rounds {', '.join(f'{v:.2f}' for v in floor)})"
              f"{'   the floor times: ' + against if against else ''}")


main()
