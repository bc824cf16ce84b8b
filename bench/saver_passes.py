"""Passes per second of the real saver under Xvfb and Wine, unpaced, next to the bare
two-copy loop (the whole snapshot copied and the whole buffer presented each pass), in
interleaved rounds: each round runs the bare loop, then the benchmark build of the saver
(Fluttera_bench.scr) with 0, 300 and 500 petals. Prints each run's rate as a ratio of
the bare loop's rate in the same round, and the medians; and, since the rate of a loop
that runs flat out moves with whatever else the machine runs, also the CPU time per pass
(the program's and the X server's, from /proc) as a ratio of the bare loop's.

Usage: python3 bench/saver_passes.py [Fluttera_bench.scr] [bare_loop.exe] [seconds] [rounds]
Environment: FLUTTERA_BENCH_COUNTS (default 0,300,500); FLUTTERA_BENCH_SIZE (1920x1080);
FLUTTERA_BENCH_PRESENT, a comma list of presentations to compare, each MODE or
MODE:RECTCOST with MODE rects, region or whole (default: the saver's own); and the
Wine that scripts/wine-env.sh chooses (32-bit where the kernel runs it; FLUTTERA_ARCH=win64
takes 64-bit Wine).
"""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test.captions import SAVER  # noqa: E402
from fluttera_test.session import Session  # noqa: E402

scr = sys.argv[1] if len(sys.argv) > 1 else "build/win32/Fluttera_bench.scr"
bare = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(scr), "bare_loop.exe")
seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 8
rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 3
counts = tuple(int(c) for c in os.environ.get("FLUTTERA_BENCH_COUNTS", "0,300,500").split(","))
width, height = (int(v) for v in os.environ.get("FLUTTERA_BENCH_SIZE", "1920x1080").split("x"))
variants = [v for v in os.environ.get("FLUTTERA_BENCH_PRESENT", "").split(",") if v] or [""]


def variant_env(v):
    if not v:
        return {}
    mode, _, cost = v.partition(":")
    env = {"FLUTTERA_PRESENT": mode}
    if cost:
        env["FLUTTERA_RECT_COST"] = cost
    return env


def load():
    return os.getloadavg()[0]


TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except (OSError, IndexError):
            pass
    return total / TICK


def timed_run(p):
    """Runs the started program for `seconds`; returns the CPU seconds it and the X server
    used meanwhile, and how long that was."""
    pids = [p.pid, s.x_server.pid]
    c0, t0 = cpu_seconds(pids), time.monotonic()
    time.sleep(seconds)
    c1, t1 = cpu_seconds(pids), time.monotonic()
    return c1 - c0, t1 - t0


s = Session(scr, width=width, height=height).start()
try:
    picture = f"/tmp/fluttera-bench-desktop-{os.getpid()}.png"
    s.x("convert", "-size", f"{width}x{height}", "gradient:#1f3c6e-#5a9a8a", picture, check=True)
    stats = os.path.join(s.program_dir, "pass_stats.txt")
    bare_stats = os.path.join(s.program_dir, "bare_stats.txt")
    runs = [(c, v) for v in variants for c in counts]
    ratios = {r: [] for r in runs}
    cpu_ratios = {r: [] for r in runs}
    rates = {r: [] for r in runs}
    extra = {r: [] for r in runs}
    bare_rates = []

    def fresh():
        s.kill_wine_programs()
        s.set_root_picture(picture)
        for f in (stats, bare_stats):
            if os.path.exists(f):
                os.remove(f)

    for rnd in range(rounds):
        fresh()
        p = s.start_program(bare)
        if not s.wait_window("Fluttera_BareLoop"):
            raise SystemExit("no bare loop window")
        cpu, took = timed_run(p)
        s.key("space")
        p.wait(timeout=30)
        with open(bare_stats) as f:
            passes, ms = (int(v) for v in f.read().split())
        base = passes * 1000.0 / ms
        base_cpu = cpu / (base * took) * 1e6
        bare_rates.append(base)
        print(f"round {rnd + 1}: bare loop              {passes:7d} passes in {ms / 1000:.2f} s = {base:8.1f}/s"
              f"  CPU {base_cpu:6.0f} us/pass  (load {load():.2f})", flush=True)
        for run in runs:
            c, v = run
            fresh()
            s.write_settings(petals=c, kind=0, repeat=0, music="")
            p = s.start_scr("/s", env=variant_env(v))
            if not s.wait_window(SAVER):
                raise SystemExit("no saver window")
            cpu, took = timed_run(p)
            s.key("space")
            p.wait(timeout=30)
            with open(stats) as f:
                lines = f.read().splitlines()
            passes, ms, rows = (int(x) for x in lines[0].split())
            rate = passes * 1000.0 / ms
            rates[run].append(rate)
            ratios[run].append(rate / base)
            run_cpu = cpu / (rate * took) * 1e6
            cpu_ratios[run].append(base_cpu / run_cpu)
            extra[run].append(" ".join(lines[1:]))
            print(f"round {rnd + 1}: {rows:4d} rows {v or 'default':>12}  {passes:7d} passes in {ms / 1000:.2f} s "
                  f"= {rate:8.1f}/s  ratio {rate / base:5.2f}  CPU {run_cpu:6.0f} us/pass, bare/this "
                  f"{base_cpu / run_cpu:5.2f}  (load {load():.2f})", flush=True)
            print("         " + extra[run][-1], flush=True)
    print()
    print(f"bare loop: median {statistics.median(bare_rates):.1f} passes/s at {width}x{height}")
    print("petal rows  presentation  median passes/s  median rate ratio to bare loop (per round)"
          "   median CPU-per-pass ratio, bare/this (per round)")
    for run in runs:
        c, v = run
        print(f"{c + 1:10d}  {v or 'default':>12}  {statistics.median(rates[run]):15.1f}  "
              f"{statistics.median(ratios[run]):6.2f} ({', '.join(f'{r:.2f}' for r in ratios[run])})"
              f"   {statistics.median(cpu_ratios[run]):6.2f} ({', '.join(f'{r:.2f}' for r in cpu_ratios[run])})")
finally:
    s.stop()
