"""Passes per second of the real saver under Xvfb and Wine at 1920 x 1080, with 0, 300
and 500 petals side by side in one run (interleaved rounds), from the benchmark build of
the program (Fluttera_bench.scr: the same program with a pass counter).

Usage: python3 bench/saver_passes.py [path/to/Fluttera_bench.scr] [seconds per run] [rounds]
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Session  # noqa: E402

scr = sys.argv[1] if len(sys.argv) > 1 else "build/win64/Fluttera_bench.scr"
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 8
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
counts = tuple(int(c) for c in os.environ.get("FLUTTERA_BENCH_COUNTS", "0,300,500").split(","))

s = Session(scr, width=1920, height=1080).start()
try:
    s.x("convert", "-size", "1920x1080", "gradient:#1f3c6e-#5a9a8a", "/tmp/fluttera-bench-desktop.png", check=True)
    stats = os.path.join(s.program_dir, "pass_stats.txt")
    rates = {c: [] for c in counts}
    for r in range(rounds):
        for c in counts:
            s.kill_wine_programs()
            s.set_root_picture("/tmp/fluttera-bench-desktop.png")
            if os.path.exists(stats):
                os.remove(stats)
            s.write_settings(petals=c, kind=0, repeat=0, music="")
            p = s.start_scr("/s")
            if not s.wait_window("Vellora_Main"):
                raise SystemExit("no saver window")
            time.sleep(seconds)
            s.key("space")
            p.wait(timeout=20)
            with open(stats) as f:
                passes, ms, rows = (int(v) for v in f.read().split())
            rates[c].append(passes * 1000.0 / ms)
            print(f"round {r + 1}: {rows:4d} petal rows  {passes:7d} passes in {ms / 1000:.2f} s  "
                  f"= {rates[c][-1]:8.1f} passes/s", flush=True)
    base = statistics.median(rates[0])
    print()
    print("petals  median passes/s  per pass (ms)  vs 0 petals  petal share of a pass")
    for c in counts:
        m = statistics.median(rates[c])
        print(f"{c:6d}  {m:15.1f}  {1000 / m:13.3f}  {m / base:11.3f}  {1 - m / base if c else 0:21.1%}")
finally:
    s.stop()
