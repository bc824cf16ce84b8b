"""The captions of the program's windows, read from the one header that defines them."""
import os
import re

_HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "startup", "captions.h")


def _read():
    with open(_HEADER, encoding="utf-8") as f:
        found = dict(re.findall(r'constexpr const char\* (k\w+Caption) = "([^"]*)";', f.read()))
    return found["kSaverCaption"], found["kDialogCaption"], found["kPreviewCaption"]


SAVER, DIALOG, PREVIEW = _read()
