"""The one Xvfb + Wine session that every end-to-end test of a run shares."""
import atexit
import os

from harness import Session

_session = None


def session():
    global _session
    if _session is None:
        scr = os.environ.get("FLUTTERA_SCR", os.path.join(os.path.dirname(__file__), "../../build/win64/Fluttera.scr"))
        _session = Session(scr).start()
        atexit.register(_session.stop)
    return _session


SAVER = "Vellora_Main"
DIALOG = "Flutteraの設定"
