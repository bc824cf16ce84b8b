"""Runs the end-to-end tests and ends with the count of passed, failed and skipped cases
(fluttera_test.counting: a skipped test is one that did not run, and the run fails). Run from tests/:
    python3 -m e2e.run [pattern]          (FLUTTERA_SCR=PATH drives that program)"""
import os
import sys
import unittest

from fluttera_test import counting

from .shared import scr_path, wine

here = os.path.dirname(os.path.abspath(__file__))
pattern = sys.argv[1] if len(sys.argv) > 1 else "test_*.py"
print(wine().said)
print(f"Program: {scr_path()}", flush=True)
suite = unittest.defaultTestLoader.discover(here, pattern=pattern, top_level_dir=os.path.dirname(here))
sys.exit(counting.run("e2e", suite))
