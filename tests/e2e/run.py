"""Runs the end-to-end tests and ends with the count of passed, failed and skipped tests
(a skipped test is one that did not run: the run fails). Run from tests/:
    python3 -m e2e.run [pattern]          (FLUTTERA_SCR=PATH drives that program)"""
import os
import sys
import unittest

from .shared import scr_path, wine

here = os.path.dirname(os.path.abspath(__file__))
pattern = sys.argv[1] if len(sys.argv) > 1 else "test_*.py"
print(wine().said)
print(f"Program: {scr_path()}", flush=True)
suite = unittest.defaultTestLoader.discover(here, pattern=pattern, top_level_dir=os.path.dirname(here))
result = unittest.TextTestRunner(verbosity=2).run(suite)
failed = len(result.failures) + len(result.errors)
skipped = len(result.skipped)
passed = result.testsRun - failed - skipped
for test, why in result.skipped:
    print(f"not run: {test.id()}: {why}")
print(f"e2e: {passed} passed, {failed} failed, {skipped} skipped")
sys.exit(0 if failed == 0 and skipped == 0 and passed > 0 else 1)
