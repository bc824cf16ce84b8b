"""The Linux hack's cost on Xvfb, natively, at 1920 x 1080 with 300 petals:

1. paced (the real `fluttera --root`): CPU time of the hack and of the X server over 10 s,
   as a share of one core, after the petals have reached their steady number;
2. unpaced (`fluttera_hack_bench`, passes back to back, counted after a warm-up): passes
   per second of the hack and of the bare loop (the whole backdrop copied and the whole
   picture presented each pass), in interleaved rounds, and their ratio.

Usage: python3 bench/hack_passes.py [build dir] [seconds per unpaced run] [rounds]
Environment: FLUTTERA_BENCH_SIZE (1920x1080), FLUTTERA_BENCH_WARMUP (paced, 45 s).
"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test.xvfb import Xvfb  # noqa: E402

build = sys.argv[1] if len(sys.argv) > 1 else "build/native"
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 8
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
width, height = (int(v) for v in os.environ.get("FLUTTERA_BENCH_SIZE", "1920x1080").split("x"))
warmup = float(os.environ.get("FLUTTERA_BENCH_WARMUP", "45"))
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User plus system time of a process so far."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def main():
    xvfb = Xvfb(width, height, ["-noreset"])
    env = dict(os.environ, DISPLAY=xvfb.display)
    env.pop("XSCREENSAVER_WINDOW", None)
    try:
        with tempfile.TemporaryDirectory() as tmp:
            picture = os.path.join(tmp, "desktop.png")
            subprocess.run(["convert", "-size", f"{width}x{height}", "gradient:#1f3c6e-#5a9a8a", picture], check=True)
            subprocess.run(["display", "-window", "root", picture], env=env)
        print(f"uptime before: {subprocess.run(['uptime'], capture_output=True, text=True).stdout.strip()}")

        # 1. Paced.
        hack = subprocess.Popen([os.path.join(build, "fluttera"), "--root", "--count", "300"], env=env)
        time.sleep(warmup)
        t0, h0, x0 = time.monotonic(), cpu_seconds(hack.pid), cpu_seconds(xvfb.pid)
        time.sleep(10)
        t1, h1, x1 = time.monotonic(), cpu_seconds(hack.pid), cpu_seconds(xvfb.pid)
        hack.send_signal(signal.SIGTERM)
        hack.wait()
        wall = t1 - t0
        print(f"paced, 300 petals, {width}x{height}, {wall:.1f} s after {warmup:.0f} s: "
              f"hack {100 * (h1 - h0) / wall:.1f} %, X server {100 * (x1 - x0) / wall:.1f} %, "
              f"together {100 * (h1 - h0 + x1 - x0) / wall:.1f} % of one core")

        # 2. Unpaced, interleaved.
        rates = {"bare": [], "hack": []}
        for r in range(rounds):
            for kind in ("bare", "hack"):
                e = dict(env)
                if kind == "bare":
                    e["FLUTTERA_BENCH_BARE"] = "1"
                p = subprocess.Popen([os.path.join(build, "fluttera_hack_bench"), "--root", "--count", "300"], env=e,
                                     stdout=subprocess.PIPE, text=True)
                time.sleep(seconds)
                p.send_signal(signal.SIGTERM)
                out, _ = p.communicate()
                fields = out.split()
                rate = int(fields[2]) / float(fields[4])
                rates[kind].append(rate)
                print(f"round {r + 1}: {kind} {rate:.1f} passes/s ({out.strip()})")
        ratios = [h / b for h, b in zip(rates["hack"], rates["bare"])]
        print(f"unpaced median: bare {statistics.median(rates['bare']):.1f}, hack {statistics.median(rates['hack']):.1f} "
              f"passes/s; hack / bare per round {', '.join(f'{q:.2f}' for q in ratios)}, "
              f"median {statistics.median(ratios):.2f}")
        print(f"uptime after: {subprocess.run(['uptime'], capture_output=True, text=True).stdout.strip()}")
    finally:
        xvfb.stop()


main()
