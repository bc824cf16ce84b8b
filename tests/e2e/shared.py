"""The one Xvfb + Wine session that every end-to-end test of a run shares."""
import atexit
import os

from fluttera_test.captions import DIALOG, PREVIEW, SAVER  # noqa: F401 (the tests take them from here)
from fluttera_test.session import Session
from fluttera_test.wine import choose
from fluttera_test.wine import scr_path as built_scr

_session = None


def scr_path():
    """FLUTTERA_SCR, or the build the chosen Wine runs (build/win32 or build/win64)."""
    return os.environ.get("FLUTTERA_SCR") or built_scr()


def tool_path(name):
    """A test tool built beside the saver (for example "button_gallery.exe")."""
    return os.path.join(os.path.dirname(os.path.abspath(scr_path())), name)


def wine():
    return choose()


def session():
    global _session
    if _session is None:
        _session = Session(scr_path()).start()
        atexit.register(_session.stop)
    return _session
