"""The captions of the program's windows, read from the one header that defines them.
As a command (python3 -m fluttera_test.captions NAME) it prints one: SAVER, DIALOG or PREVIEW."""
import os
import re
import sys

from . import ROOT

_HEADER = os.path.join(ROOT, "src", "startup", "captions.h")


def _read():
    with open(_HEADER, encoding="utf-8") as f:
        found = dict(re.findall(r'constexpr const char\* (k\w+Caption) = "([^"]*)";', f.read()))
    return found["kSaverCaption"], found["kDialogCaption"], found["kPreviewCaption"]


SAVER, DIALOG, PREVIEW = _read()


if __name__ == "__main__":
    print({"SAVER": SAVER, "DIALOG": DIALOG, "PREVIEW": PREVIEW}[sys.argv[1]])
