"""fluttera, the Linux hack, under Xvfb and XScreenSaver (run from tests/: python3 -m x11.test_hack)."""
