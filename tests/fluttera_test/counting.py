"""One way for every Python suite (end to end, X11, release) to count and close its run.

A case is a subtest where a test has them, else the test: passed and failed are counted
alike, so a test whose subtests fail can never make "passed" negative. An error in a class
or module set-up and an unexpected success are failures; a skip is reported as not run (the
test command counts it as failed).

As a command, it runs the tests of the named modules and closes with that line:
    python3 -m fluttera_test.counting NAME MODULE [MODULE ...]
ending "NAME: N passed, N failed, N skipped"; the exit code is 0 only when all passed.

A run stopped by SIGTERM (the test command's time limit) still closes with that line: the
cases that ended count as they ended, the test that was running and those not reached as
failed, and a line "stopped: TEST: ..." names the one that was running."""
import signal
import sys
import unittest


class CountingResult(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.passed = 0
        self._with_subtests = set()
        self.running = None
        self.started = 0

    def startTest(self, test):
        super().startTest(test)
        self.running = test
        self.started += 1

    def stopTest(self, test):
        super().stopTest(test)
        self.running = None

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


class Stopped(KeyboardInterrupt):
    """SIGTERM: unittest lets a KeyboardInterrupt through where it catches every other error."""


class _Runner(unittest.TextTestRunner):
    resultclass = CountingResult

    def _makeResult(self):
        self.result = super()._makeResult()
        return self.result


def run(name, suite):
    """Runs the suite verbosely; prints a "not run" line for each skip and the closing line.
    Returns the exit code."""
    runner, total, stopped, running = _Runner(verbosity=2), suite.countTestCases(), 0, []

    def stop(_signum, _frame):
        running.append(getattr(runner, "result", None) and runner.result.running)
        raise Stopped()
    signal.signal(signal.SIGTERM, stop)
    try:
        runner.run(suite)
    except Stopped:
        stopped = max(1, total - runner.result.started + bool(running[0]))
        where = running[0].id() if running[0] else "between two tests"
        print(f"\nstopped: {where}: the time limit ended the run ({stopped} unfinished, counted as failed)")
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_DFL)
    result = runner.result
    for test, why in result.skipped:
        print(f"not run: {test.id()}: {why}")
    skipped, failed = len(result.skipped), result.failed + stopped
    print(f"{name}: {result.passed} passed, {failed} failed, {skipped} skipped", flush=True)
    return 0 if failed == 0 and skipped == 0 and result.passed > 0 else 1


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    return run(argv[0], unittest.defaultTestLoader.loadTestsFromNames(argv[1:]))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
