"""What the Windows and X11 tests and the benchmarks share: an Xvfb server of their own
(xvfb), the Wine that scripts/wine-env.sh chooses (wine), the real saver under both
(session), pictures and petal pixels (pictures) and the windows' captions (captions).

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
