"""fluttera-xscreensaver as a user runs it, under the real XScreenSaver daemon: with no
~/.xscreensaver, and with one that xscreensaver-settings wrote and the user changed, `add`
lists the hack, the daemon told to run that entry runs it and petals fall, every other byte
stays, and `remove` gives the file back as it was. And over each kind of ~/.xscreensaver
that is not a plain file of the caller's own, what the command may and may not change.
Run from tests/: python3 -m x11.test_xscreensaver_list (prints "x11: N passed, ...")."""
import os
import pathlib
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
    ~/.xscreensaver: each row's forms end with their status and leave no temporary file, and
    the HOME and the folder a link points into end as they were; an add that is let write
    changes what a link names, never the link."""
    LISTED = r"printf 'programs:\\\n  fluttera --root \\n\\\n  maze \\n\n' > home/.xscreensaver"
    # what, the shell lines that make it (in a folder with home/ and other/), the forms run.
    ROWS = [
        ("a link to an empty file, made a list and emptied again through it",
         "touch other/xss; ln -s ../other/xss home/.xscreensaver", "add=0 remove=0"),
        ("a link to /dev/null", "ln -s /dev/null home/.xscreensaver", "add=1 remove=1"),
        ("a dangling link", "ln -s ../other/gone home/.xscreensaver", "add=1 remove=1"),
        ("a FIFO", "mkfifo home/.xscreensaver", "add=1 remove=1"),
        ("another user's file", LISTED + "; chown 4242 home/.xscreensaver", "add=1 remove=1"),
        ("another user's link to a file of the caller's", "touch other/xss; ln -s ../other/xss home/.xscreensaver; "
         "chown -h 4242 home/.xscreensaver", "add=1 remove=1"),
        ("another user's folder, no file", "chown 4242 home", "add=1"),
        ("an unwritable folder", LISTED + "; chattr +i home", "remove=1"),
        ("no file; the message of remove to a full disk", "", "add=0 remove>/dev/full=1"),
    ]

    @staticmethod
    def snapshot(*folders):
        """Each name in the folders: where a link points, or a file's bytes, or its kind; owner."""
        seen = {}
        for path in (os.path.join(d, n) for d in folders for n in os.listdir(d)):
            st = os.lstat(path)
            seen[path] = (os.readlink(path) if stat.S_ISLNK(st.st_mode) else
                          pathlib.Path(path).read_bytes() if stat.S_ISREG(st.st_mode) else
                          stat.S_IFMT(st.st_mode), st.st_uid, st.st_mode)
        return seen

    def test_each_kind_of_file(self):
        for what, make, forms in self.ROWS:
            with self.subTest(what):
                top = tempfile.mkdtemp(prefix="fluttera-kinds-")
                home, other, file = (os.path.join(top, n) for n in ("home", "other", "home/.xscreensaver"))
                self.addCleanup(shutil.rmtree, top, True)
                self.addCleanup(subprocess.run, ["chattr", "-i", home])
                subprocess.run(["sh", "-ec", f"mkdir home other; {make}"], cwd=top, check=True)
                before, link = self.snapshot(home, other), os.path.islink(file)
                for step in forms.split():
                    form, status = step.split("=")
                    form, out = (form.split(">") + [os.devnull])[:2]
                    with open(out, "w") as f:
                        r = subprocess.run([COMMAND, form], env=dict(os.environ, HOME=home), stdout=f,
                                           stderr=subprocess.PIPE, text=True, timeout=20)
                    self.assertEqual(r.returncode, int(status), f"{form}: {r.stderr}")
                    self.assertEqual([n for n in os.listdir(home) + os.listdir(other) if ".fluttera-" in n], [])
                    if form == "add" and r.returncode == 0:
                        self.assertIn(b"fluttera --root", pathlib.Path(file).read_bytes())
                        self.assertEqual(os.path.islink(file), link, "the link was replaced")
                self.assertEqual(self.snapshot(home, other), before)


if __name__ == "__main__":
    sys.exit(counting.run("x11", unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])))
