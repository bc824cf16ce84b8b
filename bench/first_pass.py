"""Time from the process's creation (GetProcessTimes) to the first presented pass, from
the benchmark build's pass_stats.txt, over several starts of the saver (300 petals) under
Xvfb and Wine; with the points of the start in between.

Usage: python3 bench/first_pass.py [Fluttera_bench.scr] [starts] [WIDTHxHEIGHT]
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test.captions import SAVER  # noqa: E402
from fluttera_test.session import Session  # noqa: E402

scr = sys.argv[1] if len(sys.argv) > 1 else "build/win32/Fluttera_bench.scr"
starts = int(sys.argv[2]) if len(sys.argv) > 2 else 10
width, height = (int(v) for v in (sys.argv[3] if len(sys.argv) > 3 else "1920x1080").split("x"))

s = Session(scr, width=width, height=height).start()
try:
    picture = f"/tmp/fluttera-first-desktop-{os.getpid()}.png"
    s.x("convert", "-size", f"{width}x{height}", "gradient:#1f3c6e-#5a9a8a", picture, check=True)
    s.set_root_picture(picture)  # Wine's desktop stays up from here on, as on a real system
    s.write_settings(petals=300, kind=0, repeat=0, music="")
    stats = os.path.join(s.program_dir, "pass_stats.txt")
    firsts = []
    for n in range(starts):
        if os.path.exists(stats):
            os.remove(stats)
        p = s.start_scr("/s")
        if not s.wait_window(SAVER):
            raise SystemExit("no saver window")
        time.sleep(1)
        s.key("space")
        p.wait(timeout=30)
        with open(stats) as f:
            lines = f.read().splitlines()
        first = float(lines[1].split()[1])
        firsts.append(first)
        marks = next((line for line in lines if line.startswith("start_ms")), "")
        print(f"start {n + 1}: first presented pass {first:6.1f} ms   {marks}   (load {os.getloadavg()[0]:.2f})",
              flush=True)
    print(f"median {statistics.median(firsts):.1f} ms, min {min(firsts):.1f}, max {max(firsts):.1f} "
          f"over {starts} starts at {width}x{height}")
finally:
    s.stop()
