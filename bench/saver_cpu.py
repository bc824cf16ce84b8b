"""CPU time of the paced saver under Xvfb and Wine, as a share of one core: the saver's
process, the X server and the Wine server, over a fixed time, next to the paced bare
two-copy loop, in interleaved rounds.

Usage: python3 bench/saver_cpu.py [Fluttera.scr] [seconds] [rounds] [WIDTHxHEIGHT]
The programs beside the saver: bare_loop.exe, Fluttera_bench.scr. FLUTTERA_CPU_RUNS
is a comma list of what to run each round (default "bare,scr"): bare (the paced bare
loop), scr (the real saver, 300 petals), bench:MODE[:RECTCOST] (the benchmark build,
paced, with that presentation; MODE rects, region or whole), or on and off (the benchmark
build, paced, with the display left on, or told it went off after its 60th pass, as the
system tells the saver; Wine never does). The summary gives each run's median with and
without the X server, and the passes the benchmark build made in each round.
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test.captions import SAVER  # noqa: E402
from fluttera_test.session import Session  # noqa: E402

scr = sys.argv[1] if len(sys.argv) > 1 else "build/win32/Fluttera.scr"
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 2
width, height = (int(v) for v in (sys.argv[4] if len(sys.argv) > 4 else "1920x1080").split("x"))
runs = os.environ.get("FLUTTERA_CPU_RUNS", "bare,scr").split(",")
here = os.path.dirname(os.path.abspath(scr))
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


s = Session(scr, width=width, height=height).start()
try:
    picture = f"/tmp/fluttera-cpu-desktop-{os.getpid()}.png"
    s.x("convert", "-size", f"{width}x{height}", "gradient:#1f3c6e-#5a9a8a", picture, check=True)
    shares = {r: [] for r in runs}
    for rnd in range(rounds):
        for run in runs:
            s.kill_wine_programs()
            s.set_root_picture(picture)
            s.write_settings(petals=300, kind=0, repeat=0, music="")
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
                raise SystemExit(f"no window for {run}")
            time.sleep(3)  # past the start and the first falls' settling
            servers = wineserver_pids(s.env["WINEPREFIX"])
            pids = {"program": [p.pid], "X": [s.xvfb.pid], "wineserver": servers}
            before = {k: sum(cpu_ticks(q) for q in v) for k, v in pids.items()}
            t0 = time.monotonic()
            time.sleep(seconds)
            took = time.monotonic() - t0
            after = {k: sum(cpu_ticks(q) for q in v) for k, v in pids.items()}
            share = {k: (after[k] - before[k]) / TICK / took * 100 for k in pids}
            total = share["program"] + share["X"]
            shares[run].append((total, share))
            print(f"round {rnd + 1} {width}x{height} {run:>18}: program {share['program']:5.2f} %  "
                  f"X {share['X']:5.1f} %  = {total:5.1f} %   (wineserver {share['wineserver']:4.1f} %, "
                  f"load {os.getloadavg()[0]:.2f})", flush=True)
            s.key("space")
            try:
                p.wait(timeout=30)
            except Exception:
                p.kill()
            stats = os.path.join(s.program_dir, "pass_stats.txt")
            if run != "bare" and run != "scr" and os.path.exists(stats):
                with open(stats) as f:
                    passes, ms = f.readline().split()[:2]
                os.remove(stats)
                print(f"{'':>36}{passes} passes in {int(ms) / 1000:.1f} s", flush=True)
    print()
    print(f"{width}x{height}: median share of one core over {seconds:.0f} s (program + X server; the program "
          "alone; wineserver apart)")
    for run in runs:
        totals = [t for t, _ in shares[run]]
        alone = [sh["program"] for _, sh in shares[run]]
        ws = [sh["wineserver"] for _, sh in shares[run]]
        print(f"  {run:>18}: {statistics.median(totals):5.1f} %   rounds {', '.join(f'{t:.1f}' for t in totals)}"
              f"   program alone {statistics.median(alone):5.2f} % ({', '.join(f'{a:.2f}' for a in alone)})"
              f"   wineserver {statistics.median(ws):.1f} %")
finally:
    s.stop()
