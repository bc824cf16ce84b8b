"""What the Windows and X11 tests and the benchmarks share: an Xvfb server of their own
(xvfb), the Wine that scripts/wine-env.sh chooses (wine), the real saver under both
(session), pictures and petal pixels (pictures) and the windows' captions (captions).

Import it with the tests folder on the path: the suites run as `python3 -m` from tests/,
the scripts outside it set PYTHONPATH=tests or add that folder themselves."""
import os

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
