"""Runs the end-to-end tests and ends with the count of passed and failed tests."""
import os
import sys
import unittest

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)

pattern = sys.argv[1] if len(sys.argv) > 1 else "test_*.py"
suite = unittest.defaultTestLoader.discover(here, pattern=pattern)
result = unittest.TextTestRunner(verbosity=2).run(suite)
failed = len(result.failures) + len(result.errors)
passed = result.testsRun - failed - len(result.skipped)
print(f"e2e: {passed} passed, {failed} failed" + (f", {len(result.skipped)} skipped" if result.skipped else ""))
sys.exit(0 if failed == 0 else 1)
