"""fluttera-xscreensaver as a user runs it, under the real XScreenSaver daemon: with no
~/.xscreensaver, and with one that xscreensaver-settings wrote and the user changed, `add`
lists the hack, the daemon told to run that entry runs it and petals fall, every other byte
stays, and `remove` gives the file back as it was. And over each kind of ~/.xscreensaver
that is not a plain file of the caller's own, what the command may and may not change.
Run from tests/: python3 -m x11.test_xscreensaver_list (prints "x11: N passed, ...")."""
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import unittest

from fluttera_test import counting
from fluttera_test.session import GUARD, wait_until

from .test_hack import HACK, XScreenSaverUser, as_user, ended, petals, setUpModule, shot, tearDownModule  # noqa: F401

COMMAND = os.path.join(os.path.dirname(HACK), "fluttera-xscreensaver")
DEFAULTS = "/etc/X11/app-defaults/XScreenSaver"


def entries(text, name="programs"):
    """The entries of a programs list as XScreenSaver reads them: the lines of the value
    joined where a backslash ends them, split at each \\n, blank ones left out."""
    lines = text.split("\n")
    first = next(i for i, line in enumerate(lines) if re.match(rf"\s*\*?{name}\s*:", line))
    value, i = lines[first].split(":", 1)[1], first
    while value.endswith("\\"):
        i += 1
        value = value[:-1] + lines[i]
    return [e.strip() for e in value.split("\\n") if e.strip()]


def is_fluttera(entry):
    words = entry.lstrip("-").split()
    if words and words[0].endswith(":"):
        words = words[1:]
    return bool(words) and os.path.basename(words[0]) == "fluttera"


class ListedByTheCommand(XScreenSaverUser):
    def setUp(self):
        super().setUp()
        os.remove(self.file)  # the user starts without one
        shutil.copy(COMMAND, self.dir)
        os.chmod(os.path.join(self.dir, "fluttera-xscreensaver"), 0o755)

    @property
    def file(self):
        return os.path.join(self.home, ".xscreensaver")

    def as_user(self, *args):
        # The hack is found by name, as in the package's folder, in the copy's folder.
        return as_user(self.user, *args, display=self.display, home=self.home, PATH=f"{self.dir}:/usr/bin:/bin")

    def hack_pids(self):
        r = subprocess.run(["pgrep", "-u", str(self.user.pw_uid), "-f", "^fluttera "], capture_output=True, text=True)
        return r.stdout.split()

    def read(self):
        if not os.path.exists(self.file):
            return None
        with open(self.file, "rb") as f:
            return f.read().decode()

    def settings_write(self):
        """~/.xscreensaver as xscreensaver-settings writes it: its Blank After raised by a
        minute with a click on the + beside it (the window sits at 0,0 with no window
        manager). Then the user chooses another hack, in an editor: the two lines the
        settings write for Only One mode and a hack chosen."""
        p = subprocess.Popen(self.as_user("xscreensaver-settings"), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (p.kill(), p.wait()))
        env = dict(os.environ, DISPLAY=self.display)
        found = lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^XScreenSaver"],
                                       env=env, capture_output=True).returncode == 0
        self.assertTrue(wait_until(found, proc=p), "xscreensaver-settings showed no window")
        # Clicked again until it writes, as a person whose first click came too early would.
        written = lambda: "\ntimeout:\t0:1" in (self.read() or "")
        for _ in range(int(GUARD // 10)):
            subprocess.run(["xdotool", "mousemove", "269", "594", "click", "1"], env=env, check=True)
            if wait_until(written, timeout=10, proc=p):
                break
        self.assertTrue(written(), "xscreensaver-settings wrote no ~/.xscreensaver")
        p.kill()
        text = self.read()
        self.assertRegex(text, "\ntimeout:\t0:1[1-9]:00\n")
        text = text.replace("\nmode:\t\trandom\n", "\nmode:\t\tone\n").replace("\nselected:\t-1\n", "\nselected:\t3\n")
        with open(self.file, "w") as f:
            f.write(text)
        return text

    def stop(self, daemon):
        if daemon.poll() is None:
            self.command("-exit")
            ended(daemon, 10) or daemon.kill()
        daemon.wait()
        for pid in self.hack_pids():
            os.kill(int(pid), signal.SIGKILL)

    def run_command(self, form):
        r = subprocess.run(self.as_user("fluttera-xscreensaver", form), capture_output=True, text=True, timeout=20)
        self.assertEqual(r.returncode, 0, r.stderr)
        return r.stdout

    def test_add_runs_under_the_daemon_and_remove_gives_the_file_back(self):
        with open(DEFAULTS) as f:
            system = entries(f.read())
        daemons = []
        self.addCleanup(lambda: [self.stop(d) for d in daemons])
        for start in ("no file", "as the settings wrote it"):
            with self.subTest(start):
                for old in daemons:  # what a failed case left
                    self.stop(old)
                if os.path.exists(self.file):
                    os.remove(self.file)
                before = None if start == "no file" else self.settings_write()
                said = self.run_command("add")
                after = self.read()
                listed = entries(after)
                number = 1 + next(i for i, e in enumerate(listed) if is_fluttera(e))
                self.assertIn(f"entry {number} ", said)
                self.assertEqual([e for e in listed if is_fluttera(e)], ["fluttera --root"])
                if before is None:
                    # Nothing but the system's list and the entry: every other setting keeps its default.
                    self.assertEqual(re.findall(r"^\s*([\w.*-]+)\s*:", after, re.M), ["programs"])
                    self.assertEqual([e for e in listed if not is_fluttera(e)], system)
                else:
                    added = [line for line in after.split("\n") if "fluttera --root" in line]
                    self.assertEqual(len(added), 1)
                    self.assertEqual(after.replace(added[0] + "\n", "", 1), before, "other bytes changed")

                daemon = subprocess.Popen(self.as_user("xscreensaver", "-no-splash"), stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL)
                daemons.append(daemon)
                self.assertTrue(wait_until(lambda: self.command("-version").returncode == 0), "no daemon")
                r = subprocess.run(self.as_user("xscreensaver-command", "-select", str(number)),
                                   capture_output=True, text=True, timeout=20)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertTrue(wait_until(self.hack_pids, timeout=15), "the daemon did not run fluttera")
                for pid in self.hack_pids():
                    self.assertTrue(os.path.samefile(f"/proc/{pid}/exe", self.hack),
                                    f"the daemon ran {os.readlink(f'/proc/{pid}/exe')}, not this build's hack")
                # Two screenshots in a row, until the fade in front of the hack is over and
                # only petals move between them.
                last, seen = [shot(self.display)], []

                def falling():
                    now = shot(self.display)
                    seen[:] = petals(last[0], now)
                    last[0] = now
                    return seen[1] >= 150 and seen[2] == 0
                wait_until(falling, GUARD, 0.5, daemon)
                changed, pink, outside = seen
                self.assertGreaterEqual(pink, 150, f"no petals fell: {changed, pink, outside}")
                self.assertEqual(outside, 0, "something changed outside the band petals fall in")
                self.deactivate_ends_every_hack()
                self.stop(daemon)

                self.run_command("remove")
                self.assertEqual(self.read(), before, "remove did not give the file back")


class FileKinds(unittest.TestCase):
    """The command, run as root (as by sudo -E) in a HOME of its own, over each kind of
    ~/.xscreensaver: each row's forms end with their status, and leave the HOME and the
    folder a link points into as they were, with no temporary file; a form that is let
    write changes what the link names, never the link."""
    OTHER_UID = 4242  # a user with no name: the file or folder is not the caller's

    def snapshot(self, *folders):
        """Every name under the folders: its kind, owner and bytes (or where a link points)."""
        seen = {}
        for folder in folders:
            for name in sorted(os.listdir(folder)):
                path = os.path.join(folder, name)
                st = os.lstat(path)
                if stat.S_ISLNK(st.st_mode):
                    what = "link to " + os.readlink(path)
                elif stat.S_ISREG(st.st_mode):
                    with open(path, "rb") as f:
                        what = f.read()
                else:
                    what = stat.S_IFMT(st.st_mode)
                seen[path] = (what, st.st_uid, stat.S_IMODE(st.st_mode))
        return seen

    def test_each_kind_of_file(self):
        plain = b"timeout:\t0:05:00\n"
        listed = b"programs:\t\\\n\t\t\t\tfluttera --root\t\t\t\t    \\n\\\n  maze \\n\n"

        def write(path, data, uid=0):
            with open(path, "wb") as f:
                f.write(data)
            os.chown(path, uid, -1)

        def immutable(home):
            write(os.path.join(home, ".xscreensaver"), plain)
            subprocess.run(["chattr", "+i", home], check=True)
            self.addCleanup(subprocess.run, ["chattr", "-i", home])
        # what, the HOME made, then each form with its status (stdout to /dev/full with "full").
        rows = [
            ("a link to an empty file, made a list and emptied again through it",
             lambda home, other: (write(os.path.join(other, "xss"), b""),
                                  os.symlink(os.path.join(other, "xss"), os.path.join(home, ".xscreensaver"))),
             [("add", 0), ("remove", 0)]),
            ("a link to /dev/null", lambda home, other: os.symlink("/dev/null", os.path.join(home, ".xscreensaver")),
             [("add", 1), ("remove", 1)]),
            ("a dangling link", lambda home, other: os.symlink(os.path.join(other, "gone"), os.path.join(home, ".xscreensaver")),
             [("add", 1), ("remove", 1)]),
            ("a FIFO", lambda home, other: os.mkfifo(os.path.join(home, ".xscreensaver")), [("add", 1), ("remove", 1)]),
            ("another user's file", lambda home, other: write(os.path.join(home, ".xscreensaver"), listed, self.OTHER_UID),
             [("add", 1), ("remove", 1)]),
            ("another user's folder, no file", lambda home, other: os.chown(home, self.OTHER_UID, -1), [("add", 1)]),
            ("an unwritable folder", lambda home, other: immutable(home), [("add", 1)]),
            ("no file; the message of remove to a full disk", lambda home, other: None, [("add", 0), ("remove full", 1)]),
        ]
        for what, make, forms in rows:
            with self.subTest(what):
                top = tempfile.mkdtemp(prefix="fluttera-kinds-")
                self.addCleanup(shutil.rmtree, top, True)
                home, other = os.path.join(top, "home"), os.path.join(top, "other")
                os.mkdir(home)
                os.mkdir(other)
                make(home, other)
                before = self.snapshot(home, other)
                file = os.path.join(home, ".xscreensaver")
                for form in forms:
                    name, status = form[0].split()[0], form[1]
                    out = open("/dev/full" if form[0].endswith("full") else os.devnull, "w")
                    with out:
                        r = subprocess.run([COMMAND, name], env=dict(os.environ, HOME=home), stdout=out,
                                           stderr=subprocess.PIPE, text=True, timeout=20)
                    self.assertEqual(r.returncode, status, f"{name}: {r.stderr}")
                    self.assertEqual([n for n in os.listdir(home) + os.listdir(other) if ".fluttera-" in n], [],
                                     f"{name} left a temporary file")
                    if name == "add" and status == 0:
                        with open(file, "rb") as f:
                            self.assertIn(b"fluttera --root", f.read())
                        was_link = str(before.get(file, ("",))[0]).startswith("link")
                        self.assertEqual(os.path.islink(file), was_link, "the link was replaced")
                self.assertEqual(self.snapshot(home, other), before)


if __name__ == "__main__":
    sys.exit(counting.run("x11", unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])))
