"""What the Windows, X11 and Wayland tests and the benchmarks share: an X server of their
own, Xvfb (xvfb) or Xorg's dummy driver for several monitors (xorg), a headless sway (sway)
and the little of the Wayland wire the tests speak themselves (wayland_wire), the ordinary
user the savers and sway run as (users), the Wine that scripts/wine-env.sh chooses (wine),
the real saver on such a server under that Wine (session), pictures and petal pixels
(pictures), the windows' captions (captions) and the count of a run (counting).

Import it with the tests folder on the path: the suites run as `python3 -m` from tests/,
the scripts outside it set PYTHONPATH=tests or add that folder themselves."""
import os
import subprocess

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def end_process(proc, wait=10):
    """Asks a child process to end, and kills it when it has not within `wait` seconds."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(wait)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
