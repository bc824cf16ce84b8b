"""The README's run command as a new user runs it, headless, from the checkout: which Wine it
takes, what it does with a Wine folder of the other layout, and what its screenshot shows."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

from fluttera_test.pictures import pink_pixels, read_picture

from .winebox import ROOT, machine_arch, sh

OTHER = {"win32": "win64", "win64": "win32"}
SAID = {"win32": "the 32-bit build under 32-bit Wine", "win64": "the x86_64 build under 64-bit Wine"}


def run_sh(**env):
    e = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WINEPREFIX", "WINEARCH")}
    e.update(env)
    return subprocess.run(["bash", "scripts/run.sh"], cwd=ROOT, env=e, capture_output=True,
                          text=True, errors="replace", timeout=900)


def no_server_display():
    """A display number no X server holds (neither its socket nor its lock file is there)."""
    return next(f":{n}" for n in range(600, 700)
                if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"))


def wine_folder(path, arch):
    """A Wine folder as far as its layout goes: the first lines of its registry."""
    os.makedirs(path)
    with open(os.path.join(path, "system.reg"), "w") as f:
        f.write(f"WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch={arch}\n")


class WineChoice(unittest.TestCase):
    def test_the_kernel_decides_the_wine_and_the_build(self):
        unavailable = os.path.join(tempfile.mkdtemp(prefix="fluttera-choice-"), "wine32-unavailable")
        self.addCleanup(shutil.rmtree, os.path.dirname(unavailable), True)

        def choice(**env):
            e = {k: v for k, v in os.environ.items() if k not in ("FLUTTERA_WINE32", "FLUTTERA_ARCH")}
            e["FLUTTERA_WINE32_UNAVAILABLE"] = unavailable
            return sh('fluttera_choose_wine; echo "$FLUTTERA_PRESET $WINEARCH $FLUTTERA_WINE $FLUTTERA_WINESERVER"',
                      env=dict(e, **env)).stdout.strip()
        kernel = choice().split()[0]
        wine32 = {"win32": "/no/such/wine /usr/lib/wine/wineserver32",
                  "win64": "/usr/lib/wine/wine64 /usr/lib/wine/wineserver64"}[kernel]
        cases = [  # a missing or failing 32-bit Wine never decides the path: the kernel does
                 (dict(FLUTTERA_WINE32="/no/such/wine"), f"{kernel} {kernel} {wine32}"),
                 (dict(FLUTTERA_WINE32="/bin/false"), f"{kernel} {kernel} " + wine32.replace("/no/such/wine", "/bin/false")),
                 (dict(FLUTTERA_ARCH="win64"), "win64 win64 /usr/lib/wine/wine64 /usr/lib/wine/wineserver64"),
                 (dict(FLUTTERA_ARCH="win32", FLUTTERA_WINE32="/bin/true"), "win32 win32 /bin/true /usr/lib/wine/wineserver32")]
        for env, expected in cases:
            with self.subTest(**env):
                self.assertEqual(choice(**env), expected)
        # Only a 32-bit Wine that is missing because the archive could not give it (the set-up's
        # note) takes the 64-bit path on a kernel that runs 32-bit programs; one that fails does not.
        with open(unavailable, "w") as f:
            f.write("the archive's package lists are incomplete\n")
        win64 = "win64 win64 /usr/lib/wine/wine64 /usr/lib/wine/wineserver64"
        for env, expected in ((dict(FLUTTERA_WINE32="/no/such/wine"), win64),
                              (dict(FLUTTERA_WINE32="/bin/false"), cases[1][1])):
            with self.subTest("the set-up's note", **env):
                self.assertEqual(choice(**env), expected)

    def test_only_the_kernels_refusal_of_the_format_takes_the_64_bit_path(self):
        # The script in a tree of its own, whose build folder holds its probe.
        tree = tempfile.mkdtemp(prefix="fluttera-kernel-")
        self.addCleanup(shutil.rmtree, tree, True)
        os.makedirs(os.path.join(tree, "scripts"))
        os.makedirs(os.path.join(tree, "build"))
        with open(os.path.join(ROOT, "scripts", "wine-env.sh")) as f:
            script = f.read()
        arm = script.replace(r"\x02\0\x03\0", r"\x02\0\x28\0")  # a probe for another machine
        self.assertNotEqual(arm, script)
        for name, text, noexec, said in (("a format the kernel refuses", arm, False, "win64"),
                                         ("a build folder mounted noexec", script, True, "Permission denied")):
            with self.subTest(name):
                with open(os.path.join(tree, "scripts", "wine-env.sh"), "w") as f:
                    f.write(text)
                if noexec:
                    subprocess.run(["mount", "-t", "tmpfs", "-o", "noexec,size=1m", "tmpfs",
                                    os.path.join(tree, "build")], check=True)
                    self.addCleanup(subprocess.run, ["umount", os.path.join(tree, "build")])
                env = {k: v for k, v in os.environ.items() if k != "FLUTTERA_ARCH"}
                r = subprocess.run(["bash", "-c", f". {tree}/scripts/wine-env.sh && fluttera_choose_wine "
                                    '&& echo "$FLUTTERA_PRESET"'], env=env, capture_output=True, text=True)
                self.assertIn(said, r.stderr if noexec else r.stdout)
                self.assertEqual(r.returncode != 0, noexec, r.stderr)


class SetUp(unittest.TestCase):
    def test_the_32_bit_packages_are_in_the_archive(self):
        # The set-up installs them only where 32-bit Wine runs, so their names are checked here
        # on every machine: in the i386 lists where this machine has that architecture, else by
        # the same names in its own. A list that failed to download leaves the others to answer.
        names = sh('echo "${FLUTTERA_WINE32_PACKAGES[@]}"').stdout.split()
        self.assertIn("wine32:i386", names)
        i386 = "i386" in subprocess.run(["dpkg", "--print-foreign-architectures"], capture_output=True,
                                        text=True).stdout.split()
        asked = names if i386 else [n.partition(":")[0] for n in names]
        # One question for all: apt-cache shows those it knows and passes over the others.
        shown = subprocess.run(["apt-cache", "show", "--no-all-versions", *asked], capture_output=True, text=True)
        found = set()
        for record in shown.stdout.split("\n\n"):
            fields = dict(re.findall(r"^(Package|Architecture): (\S+)$", record, re.M))
            if "Package" in fields:
                found.update({fields["Package"], f"{fields['Package']}:{fields.get('Architecture')}"})
        missing = [n for n in asked if n not in found]
        self.assertEqual(missing, [], "not in the archive's package lists")


class RunCommand(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.arch = machine_arch()
        cls.tmp = tempfile.mkdtemp(prefix="fluttera-frontdoor-")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_what_it_cannot_use_stops_it_before_it_builds(self):
        prefix = os.path.join(self.tmp, "users-own")
        wine_folder(prefix, OTHER[self.arch])
        for name, env, said, one_line in (
                ("the user's own Wine folder of the other layout", dict(WINEPREFIX=prefix), "cannot serve", False),
                ("a display no X server answers on", dict(DISPLAY=no_server_display()), "Cannot open the X display", True)):
            with self.subTest(name):
                r = run_sh(**env)
                self.assertNotEqual(r.returncode, 0)
                self.assertNotIn("Screenshot", r.stdout)
                self.assertIn(said, r.stderr)
                if one_line:
                    self.assertEqual(len(r.stderr.splitlines()), 1, r.stderr)
        self.assertTrue(os.path.exists(os.path.join(prefix, "system.reg")), "the user's folder was removed")

    def test_petals_fall_over_the_desktop_picture(self):
        # An earlier run left the default Wine folder with the other layout.
        home = os.path.join(self.tmp, "home")
        wine_folder(os.path.join(home, f".fluttera-wine{self.arch[3:]}"), OTHER[self.arch])
        r = run_sh(HOME=home)
        print("\n  " + "\n  ".join(l for l in r.stdout.splitlines() if not l.startswith("[")))
        self.assertEqual(r.returncode, 0, r.stderr[-2000:])
        self.assertIn(SAID[self.arch], r.stdout)
        self.assertIn("making it anew", r.stdout)
        m = re.search(r"^Screenshot of the running program: (.+)$", r.stdout, re.M)
        self.assertIsNotNone(m, r.stdout)
        shot = read_picture(m.group(1))
        # The desktop picture is there (its blue corner, not Wine's black)...
        r0, g0, b0 = shot.pixel(5, 5)
        self.assertTrue(b0 > 120 and b0 > r0 + 40, f"no desktop picture under the saver: {shot.pixel(5, 5)}")
        # ...and pink petals over it (the picture itself has no pink).
        pink = pink_pixels(shot)
        print(f"  pink pixels on the screenshot: {pink}")
        self.assertGreater(pink, 200)

        # A program that never shows the saver's window: a failure, and no screenshot.
        other = os.path.join(home, f".fluttera-wine{self.arch[3:]}", "drive_c", "windows", "system32", "hostname.exe")
        r = run_sh(HOME=home, FLUTTERA_SCR=other)
        self.assertNotEqual(r.returncode, 0)
        self.assertIn("never appeared", r.stderr)
        self.assertNotIn("Screenshot", r.stdout)
        self.assertFalse(os.path.exists(m.group(1)), "the earlier screenshot is still there")


if __name__ == "__main__":
    unittest.main()
