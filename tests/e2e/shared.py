"""The one Xvfb + Wine session that every end-to-end test of a run shares."""
import atexit
import os

from captions import DIALOG, PREVIEW, SAVER  # noqa: F401 (the tests take them from here)
from harness import Session

_session = None


def scr_path():
    return os.environ.get("FLUTTERA_SCR", os.path.join(os.path.dirname(__file__), "../../build/win64/Fluttera.scr"))


def tool_path(name):
    """A test tool built beside the saver (for example "button_gallery.exe")."""
    return os.path.join(os.path.dirname(os.path.abspath(scr_path())), name)


def session():
    global _session
    if _session is None:
        _session = Session(scr_path()).start()
        atexit.register(_session.stop)
    return _session

