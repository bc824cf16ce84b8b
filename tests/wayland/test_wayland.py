"""fluttera-wayland under a headless sway of its own, as the test user: petals over each
output's desktop at that output's scale, its end on a key or a click but not on pointer
motion, an output plugged in while it runs, its rest without frame callbacks, swayidle starting it, and its
one line with status 1 where it cannot run.
Run from tests/: python3 -m wayland.test_wayland (prints "wayland: N passed, ...")."""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from fluttera_test import ROOT, counting
from fluttera_test.pictures import Image, is_pink
from fluttera_test.session import GUARD, ended, wait_until
from fluttera_test.sway import WIDTH, Sway
from fluttera_test.wayland_wire import FakeDisplay

PROGRAM = os.path.abspath(os.environ.get("FLUTTERA_WAYLAND", os.path.join(ROOT, "build/native/fluttera-wayland")))
NAME = os.path.basename(PROGRAM)


def petals(before, after):
    """What changed from one screenshot of an output to the next: (pink pixels, the sizes of
    the groups of touching changed pixels (the longer side of each one's bounds), the number
    of those groups with no pink in them)."""
    changed, pink, w = {}, 0, before.width
    for y in range(before.height):
        a, b = before.region(0, y, w, y + 1), after.region(0, y, w, y + 1)
        if a != b:
            for x in range(w):
                if a[3 * x:3 * x + 3] != b[3 * x:3 * x + 3]:
                    changed[(x, y)] = is_pink(*b[3 * x:3 * x + 3])
                    pink += changed[(x, y)]
    sizes, unpetalled = [], 0
    while changed:
        todo = [next(iter(changed))]
        any_pink, group = changed.pop(todo[0]), []
        while todo:
            x, y = todo.pop()
            group.append((x, y))
            for n in ((x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                if n in changed:
                    any_pink |= changed.pop(n)
                    todo.append(n)
        xs, ys = [x for x, _ in group], [y for _, y in group]
        sizes.append(max(max(xs) - min(xs), max(ys) - min(ys)) + 1)
        unpetalled += not any_pink
    return pink, sizes, unpetalled


class UnderSway(unittest.TestCase):
    scales = (1,)

    def setUp(self):
        self.sway = Sway(self, self.scales)
        self.addCleanup(self.sway.stop)
        self.program = self.sway.install(PROGRAM)
        self.desktops = {name: self.sway.shot(name) for name in self.sway.outputs()}

    def start(self, *args, stdout=subprocess.DEVNULL):
        p = self.sway.popen(self.program, *args, stdout=stdout, stderr=subprocess.PIPE, text=True)
        self.addCleanup(lambda: (p.poll() is None and p.kill(), p.wait(), p.stderr.close(), p.stdout and p.stdout.close()))
        return p

    def wait_for_petals(self, outputs, proc=None):
        """Screenshots until petals show on each output; then every group of changed pixels
        must hold pink (a petal), so the desktop is unchanged outside them. Returns each
        output's (pink, areas) of the last screenshots."""
        seen = {}

        def shown():
            seen.update({o: petals(self.desktops[o], self.sway.shot(o)) for o in outputs})
            return all(s[0] >= 150 for s in seen.values())
        wait_until(shown, GUARD, 0.2, proc)
        for o, (pink, areas, unpetalled) in seen.items():
            self.assertGreaterEqual(pink, 150, f"no petals showed on {o}")
            self.assertEqual(unpetalled, 0, f"the desktop of {o} changed outside the petals")
        return seen

    def passes(self, output, proc, n=2):
        """Waits until the output's picture has changed n times: passes drawn since."""
        last = self.sway.shot(output)
        for _ in range(n):
            now = wait_until(lambda: (lambda s: s.data != last.data and s)(self.sway.shot(output)), step=0.05, proc=proc)
            self.assertTrue(now, f"no pass on {output}")
            last = now


class TwoOutputs(UnderSway):
    scales = (1, 2)

    def test_petals_over_each_desktop_twice_the_size_at_scale_two(self):
        # Few petals, so that few touch and each group of pixels is one petal; a turning
        # petal's size depends on its frame, so the groups of several passes are pooled.
        p = self.start("--count", "30")
        outputs = ["HEADLESS-1", "HEADLESS-2"]
        self.wait_for_petals(outputs, p)
        pool = {o: [] for o in outputs}

        def pooled():
            for o in outputs:
                pool[o] += petals(self.desktops[o], self.sway.shot(o))[1]
            return min(map(len, pool.values())) >= 40
        self.assertTrue(wait_until(pooled, proc=p), f"too few petals: {pool}")
        median = {o: sorted(sizes)[len(sizes) // 2] for o, sizes in pool.items()}
        print(f"(median petal size {median})", end=" ", file=sys.stderr)
        self.assertTrue(1.7 <= median["HEADLESS-2"] / median["HEADLESS-1"] <= 2.3,
                        f"petals at scale 2 are not twice the size: {median}")


class Ends(UnderSway):
    def test_a_key_or_a_click_ends_it_within_a_second_and_motion_does_not(self):
        for what, act in (("a key", lambda: self.sway.run("wtype", "a")),
                          ("a click", lambda: (self.sway.msg("seat", "seat0", "cursor", "press", "button1"),
                                               self.sway.msg("seat", "seat0", "cursor", "release", "button1")))):
            with self.subTest(what):
                # The desktop with the cursor where the last case left it (grim shows it).
                self.desktops["HEADLESS-1"] = self.sway.shot("HEADLESS-1")
                p = self.start()
                self.wait_for_petals(["HEADLESS-1"], p)
                self.sway.msg("seat", "seat0", "cursor", "set", "200", "150")
                self.sway.msg("seat", "seat0", "cursor", "move", "40", "30")
                self.passes("HEADLESS-1", p)
                if p.poll() is not None:
                    self.fail(f"pointer motion ended it: {p.stderr.read()}")
                act()
                t = time.monotonic()  # the input is with the compositor
                self.assertTrue(ended(p, GUARD), f"{what} did not end it")
                self.assertLess(time.monotonic() - t, 1.0, f"{what} took over a second to end it")
                self.assertEqual((p.returncode, p.stderr.read()), (0, ""))


class Outputs(UnderSway):
    def test_an_output_plugged_in_while_it_runs_gets_petals(self):
        p = self.start()
        self.wait_for_petals(["HEADLESS-1"], p)
        name = self.sway.add_output()
        # Its desktop is sway's bare background, one colour, as in a corner no petal reaches.
        shot = wait_until(lambda: (lambda s: s.width == WIDTH and s)(self.sway.shot(name)), proc=p)
        self.desktops[name] = Image(shot.width, shot.height, bytes(shot.pixel(0, 0)) * (shot.width * shot.height))
        self.wait_for_petals([name], p)

    def test_without_frame_callbacks_it_neither_passes_nor_wakes(self):
        # Paced by frame callbacks alone: while the compositor sends none it rests, beyond the
        # one pass a callback already sent earns. Headless sway cannot turn an output off
        # (its backend refuses "dpms off" and "disable"), so the frames are stopped by
        # stopping sway; a program on a timer would go on passing, or at least waking.
        p = self.start(stdout=subprocess.PIPE)
        self.wait_for_petals(["HEADLESS-1"], p)

        def told():  # what it tells on SIGUSR1: a line "OUTPUT passes=N" per output
            p.send_signal(signal.SIGUSR1)
            return int(re.fullmatch(r"HEADLESS-1 passes=(\d+)\n", p.stdout.readline()).group(1))

        def wakes():  # the times it went to sleep and was woken, all its threads
            total = 0
            for t in os.listdir(f"/proc/{p.pid}/task"):
                with open(f"/proc/{p.pid}/task/{t}/status") as f:
                    total += int(re.search(r"^voluntary_ctxt_switches:\s+(\d+)", f.read(), re.M).group(1))
            return total
        on = told()
        self.assertTrue(wait_until(lambda: told() > on + 1, proc=p), "it tells of no passes while shown")
        os.kill(self.sway.proc.pid, signal.SIGSTOP)
        self.addCleanup(os.kill, self.sway.proc.pid, signal.SIGCONT)
        passes, woken = told(), wakes()
        time.sleep(2)  # the time it is watched in: 120 passes at 60 Hz, were it on a timer
        # Each told() wakes it once or twice (the signal, the read of its line).
        woken, passes = wakes() - woken, told() - passes
        self.assertTrue(passes <= 1 and woken <= 6,
                        f"without frame callbacks for 2 s it made {passes} passes and woke {woken} times")
        os.kill(self.sway.proc.pid, signal.SIGCONT)
        on = told()
        self.assertTrue(wait_until(lambda: told() > on + 1, proc=p), "no passes once frame callbacks came again")


class Swayidle(UnderSway):
    def test_swayidle_starts_it_after_its_timeout_and_a_key_ends_it(self):
        idle = self.sway.popen("swayidle", "-w", "timeout", "2", NAME, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (idle.terminate(), ended(idle, 10) or idle.kill(), idle.wait()))
        t = time.monotonic()

        def running():
            return [pid for pid in os.listdir("/proc") if pid.isdigit() and readlink(f"/proc/{pid}/exe") == self.program]
        pids = wait_until(running, proc=idle)
        took = time.monotonic() - t
        self.assertTrue(pids, "swayidle did not start it")
        self.assertGreaterEqual(took, 1.95, "it started before the idle timeout")
        self.wait_for_petals(["HEADLESS-1"])
        self.sway.run("wtype", "a")
        self.assertTrue(wait_until(lambda: not running()), "a key did not end it")
        self.assertIsNone(idle.poll(), "swayidle ended")


def readlink(path):
    try:
        return os.readlink(path)
    except OSError:
        return None


class CannotRun(unittest.TestCase):
    def test_without_a_compositor_or_layer_shell_it_ends_1_with_one_line(self):
        folder = tempfile.mkdtemp(prefix="fluttera-wl-")
        self.addCleanup(shutil.rmtree, folder, True)
        for case, display, said in (
                ("no compositor", None, ""),
                ("no layer-shell", FakeDisplay(os.path.join(folder, "fake")), "layer.shell"),
                ("the connection lost at once", FakeDisplay(os.path.join(folder, "gone"), hang_up=True), "")):
            with self.subTest(case):
                env = dict(os.environ, XDG_RUNTIME_DIR=folder,
                           WAYLAND_DISPLAY=os.path.basename(display.path) if display else "wayland-none")
                try:
                    r = subprocess.run([PROGRAM], env=env, capture_output=True, text=True, timeout=GUARD)
                finally:
                    display and display.stop()
                lines = r.stderr.splitlines()
                self.assertEqual((r.returncode, len(lines)), (1, 1), r.stderr)
                self.assertTrue(lines[0].startswith(f"{NAME}: ") and re.search(said, lines[0], re.I), lines[0])


if __name__ == "__main__":
    sys.exit(counting.run("wayland", unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])))
