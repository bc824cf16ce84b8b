"""A long run of the real saver (paced, 300 petals, 1920 x 1080) under Xvfb and Wine,
watched from outside: GDI and USER objects, handles and private memory as Windows
reports them (proc_watch.exe, beside the saver), and the Wine process's memory as
Linux reports it, at the start and every `interval` seconds to the end.

Usage: python3 bench/resource_run.py [Fluttera.scr] [seconds] [interval]
(the Wine that scripts/wine-env.sh chooses: 32-bit where the kernel runs it)
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))  # fluttera_test
from fluttera_test.captions import SAVER  # noqa: E402
from fluttera_test.session import Session  # noqa: E402

scr = sys.argv[1] if len(sys.argv) > 1 else "build/win32/Fluttera.scr"
seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 600
interval = int(sys.argv[3]) if len(sys.argv) > 3 else 60
watch = os.path.join(os.path.dirname(os.path.abspath(scr)), "proc_watch.exe")


def linux_fds(pid):
    try:
        return len(os.listdir(f"/proc/{pid}/fd"))
    except OSError:
        return "?"


def linux_memory(pid):
    """Resident and private memory of a Linux process, in KiB."""
    fields = {}
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                parts = line.split()
                if len(parts) >= 2 and parts[0].endswith(":") and parts[1].isdigit():
                    fields[parts[0][:-1]] = int(parts[1])
    except OSError:
        return None
    return fields.get("Rss", 0), fields.get("Private_Clean", 0) + fields.get("Private_Dirty", 0)


s = Session(scr, width=1920, height=1080).start()
try:
    picture = f"/tmp/fluttera-long-desktop-{os.getpid()}.png"
    s.x("convert", "-size", "1920x1080", "gradient:#1f3c6e-#5a9a8a", picture, check=True)
    s.set_root_picture(picture)
    s.write_settings(petals=300, kind=0, repeat=0, music="")
    p = s.start_scr("/s")
    if not s.wait_window(SAVER):
        raise SystemExit("no saver window")
    time.sleep(2)
    report = os.path.join(s.program_dir, "watch.txt")
    w = s.start_program(watch, SAVER, s.windows_path("watch.txt"), str(seconds), str(interval))
    print(f"started {time.strftime('%H:%M:%S')}; saver pid {p.pid}", flush=True)
    for t in range(0, seconds + 1, interval):
        mem = linux_memory(p.pid)
        print(f"t={t:4d}s  linux rss {mem[0] if mem else '?'} KiB  private {mem[1] if mem else '?'} KiB  "
              f"open fds {linux_fds(p.pid)}  load {os.getloadavg()[0]:.2f}", flush=True)
        if t + interval <= seconds:
            time.sleep(interval)
    w.wait(timeout=120)
    with open(report) as f:
        print(f.read(), end="")
    print("saver still running:", p.poll() is None)
    s.key("space")
    p.wait(timeout=30)
    print("saver exit code:", p.returncode)
finally:
    s.stop()
