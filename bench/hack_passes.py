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
import time

from cpu_share import HackScreen, shares

build = sys.argv[1] if len(sys.argv) > 1 else "build/native"
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 8
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
width, height = (int(v) for v in os.environ.get("FLUTTERA_BENCH_SIZE", "1920x1080").split("x"))
warmup = float(os.environ.get("FLUTTERA_BENCH_WARMUP", "45"))


def main():
    screen = HackScreen(width, height)
    env = screen.env
    try:
        print(f"uptime before: {subprocess.run(['uptime'], capture_output=True, text=True).stdout.strip()}")

        # 1. Paced.
        hack = subprocess.Popen([os.path.join(build, "fluttera"), "--root", "--count", "300"], env=env)
        time.sleep(warmup)
        share = shares({"hack": [hack.pid], "X": [screen.pid]}, 10)
        hack.send_signal(signal.SIGTERM)
        hack.wait()
        print(f"paced, 300 petals, {width}x{height}, 10 s after {warmup:.0f} s: "
              f"hack {share['hack']:.1f} %, X server {share['X']:.1f} %, "
              f"together {share['hack'] + share['X']:.1f} % of one core")

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
        screen.stop()


main()
