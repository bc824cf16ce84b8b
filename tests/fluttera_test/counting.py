"""One way for every Python suite (end to end, X11, release) to count and close its run.

A case is a subtest where a test has them, else the test: passed and failed are counted
alike, so a test whose subtests fail can never make "passed" negative. An error in a class
or module set-up and an unexpected success are failures; a skip is reported as not run (the
test command counts it as failed).

As a command, it runs the tests of the named modules and closes with that line:
    python3 -m fluttera_test.counting NAME MODULE [MODULE ...]
ending "NAME: N passed, N failed, N skipped"; the exit code is 0 only when all passed."""
import sys
import unittest


class CountingResult(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.passed = 0
        self._with_subtests = set()

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        self._with_subtests.add(test.id())
        if err is None:
            self.passed += 1

    def addSuccess(self, test):
        super().addSuccess(test)
        if test.id() not in self._with_subtests:
            self.passed += 1

    def addExpectedFailure(self, test, err):
        super().addExpectedFailure(test, err)
        self.passed += 1

    @property
    def failed(self):
        return len(self.failures) + len(self.errors) + len(self.unexpectedSuccesses)


def run(name, suite):
    """Runs the suite verbosely; prints a "not run" line for each skip and the closing line.
    Returns the exit code."""
    result = unittest.TextTestRunner(verbosity=2, resultclass=CountingResult).run(suite)
    for test, why in result.skipped:
        print(f"not run: {test.id()}: {why}")
    skipped = len(result.skipped)
    print(f"{name}: {result.passed} passed, {result.failed} failed, {skipped} skipped", flush=True)
    return 0 if result.failed == 0 and skipped == 0 and result.passed > 0 else 1


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    return run(argv[0], unittest.defaultTestLoader.loadTestsFromNames(argv[1:]))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
