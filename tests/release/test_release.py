"""The release files in dist/ (made by scripts/package.sh before this runs): the zip's
contents, and each MSI installed, run and removed under Wine as a user would."""
import os
import re
import struct
import tempfile
import unittest
import zipfile

from .winebox import ROOT, SAVER, WineBox, machine_arch

DIST = os.path.join(ROOT, "dist")
with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
    VERSION = re.search(r"project\(Fluttera VERSION ([0-9.]+)", f.read()).group(1)
I386, AMD64 = 0x14C, 0x8664
DESKTOP = r"HKCU\Control Panel\Desktop"


def pe_machine(data):
    return struct.unpack_from("<H", data, struct.unpack_from("<I", data, 0x3C)[0] + 4)[0]


def file_version(data):
    """The version in the program's version resource, as "a.b.c.d"."""
    i = data.index(struct.pack("<I", 0xFEEF04BD))
    ms, ls = struct.unpack_from("<II", data, i + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


class Zip(unittest.TestCase):
    def test_both_builds_and_the_read_me_under_the_version(self):
        with zipfile.ZipFile(os.path.join(DIST, f"Fluttera-{VERSION}-windows.zip")) as z:
            top = f"Fluttera-{VERSION}/"
            self.assertEqual(sorted(n for n in z.namelist() if not n.endswith("/")),
                             [top + "README.txt", top + "x64/Fluttera.scr", top + "x86/Fluttera.scr"])
            for folder, machine in (("x86", I386), ("x64", AMD64)):
                scr = z.read(f"{top}{folder}/Fluttera.scr")
                self.assertEqual(pe_machine(scr), machine, folder)
                self.assertEqual(file_version(scr), VERSION + ".0", folder)
            readme = z.read(top + "README.txt")
        self.assertTrue(readme.startswith(b"\xef\xbb\xbf"))
        text = readme.decode("utf-8-sig")
        self.assertNotIn("@VERSION@", text)
        self.assertEqual(text.count("\n"), text.count("\r\n"))
        for words in ("インストール", "削除", "Install", "Remove", f"Fluttera-{VERSION}-x64.msi"):
            self.assertIn(words, text)


class Msi(unittest.TestCase):
    """Each MSI under the Wine it is made for: 64-bit everywhere, 32-bit where the kernel runs it."""

    def test_installs_for_the_user_runs_and_uninstalls(self):
        cases = [("x64", "win64", AMD64)]
        if machine_arch() == "win32":
            cases.append(("x86", "win32", I386))
        for arch, wine_arch, machine in cases:
            with self.subTest(arch=arch):
                box = WineBox(wine_arch)
                try:
                    self.check_msi(box, arch, machine)
                finally:
                    box.close()

    def check_msi(self, box, arch, machine):
        msi = os.path.join(DIST, f"Fluttera-{VERSION}-{arch}.msi")
        if arch == "x86":
            # 32-bit Windows refuses the 64-bit package.
            x64 = "Z:" + os.path.join(DIST, f"Fluttera-{VERSION}-x64.msi").replace("/", "\\")
            self.assertNotEqual(box.run("msiexec", "/i", x64, "/qn").returncode, 0)
        r = box.run("msiexec", "/i", "Z:" + msi.replace("/", "\\"), "/qn")
        self.assertEqual(r.returncode, 0, r.stderr[-1000:])
        local = box.run("cmd", "/c", "echo %LOCALAPPDATA%").stdout.strip()
        installed = local + r"\Programs\Fluttera\Fluttera.scr"
        scr = box.unix_path(installed)
        with open(scr, "rb") as f:
            self.assertEqual(pe_machine(f.read()), machine)
        self.assertEqual(box.reg_value(DESKTOP, "SCRNSAVE.EXE"), installed)
        self.assertEqual(box.reg_value(DESKTOP, "ScreenSaveActive"), "1")
        listed = re.findall(r"^(\{[0-9A-F-]+\})\|\|\|Fluttera$", box.run("uninstaller", "--list").stdout, re.M)
        self.assertEqual(len(listed), 1, "not in the list of installed programs")

        # The installed saver runs: petals fall over what the screen showed before.
        if arch == "x64":
            base = box.screenshot("base.png")
            p = box.start(installed, "/s")
            try:
                self.assertTrue(box.wait_shown(SAVER, p), "the installed saver did not show its window")
                pink = box.pink_over(base)
                print(f"\n  {arch}: pink pixels over the screen after start: {pink}")
                self.assertGreaterEqual(pink, 100)
                box.x("xdotool", "key", "space")
                p.wait(15)
            finally:
                if p.poll() is None:
                    p.kill()

        # Settings saved beside the saver go with it.
        with open(os.path.join(os.path.dirname(scr), "Fluttera.ini"), "wb") as f:
            f.write(b"[Section]\r\n")
        r = box.run("msiexec", "/x", listed[0], "/qn")
        self.assertEqual(r.returncode, 0, r.stderr[-1000:])
        self.assertFalse(os.path.exists(os.path.dirname(scr)), "the program's folder is still there")
        self.assertIsNone(box.reg_value(DESKTOP, "SCRNSAVE.EXE"))
        self.assertNotIn("Fluttera", box.run("uninstaller", "--list").stdout)


if __name__ == "__main__":
    unittest.main()
