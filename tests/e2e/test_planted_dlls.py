"""DLLs planted beside the program, and in the folder it is started from, are never loaded.
Wine, told to prefer native DLLs of those names, searches the program's folder first, as
Windows does for a DLL that is not a KnownDLL; its loader trace names each DLL loaded.

Wine's own DLLs load some of the names with the process's default search, which Wine 8
does not restrict for them: uxtheme and dwmapi (theming), and shcore, which Wine's shlwapi
imports before any of the program's code runs. Windows takes those from the system folder
alone (shcore is a KnownDLL): they are printed, not failed."""
import os
import re
import shutil
import time
import unittest

from fluttera_test.session import wait_until

from .shared import DIALOG, PREVIEW, SAVER, session, tool_path

PLANTED = ("winmm", "msimg32", "shcore", "uxtheme", "dwmapi")
WINES_OWN = ("uxtheme", "dwmapi", "shcore")
LOADED = re.compile(r'Loaded L"(?P<path>[^"]*\\(?P<name>[^"\\]+)\.dll)" .*: native', re.IGNORECASE)


class PlantedDlls(unittest.TestCase):
    def setUp(self):
        self.s = session()
        self.s.kill_wine_programs()
        self.start_dir = os.path.join(os.path.dirname(self.s.program_dir), "Started")
        os.makedirs(self.start_dir, exist_ok=True)
        for folder in (self.s.program_dir, self.start_dir):
            for name in PLANTED:
                shutil.copy(tool_path("standin.dll"), os.path.join(folder, name + ".dll"))

    def tearDown(self):
        self.s.kill_wine_programs()
        for name in PLANTED:
            os.remove(os.path.join(self.s.program_dir, name + ".dll"))
        shutil.rmtree(self.start_dir, ignore_errors=True)

    def preview_host(self):
        """Starts the stand-in control panel monitor (from where it was built, away from the
        planted files); returns its handle and a check that the preview is inside it."""
        report = os.path.join(self.s.program_dir, "host.txt")
        for f in (report, report + ".children"):
            if os.path.exists(f):
                os.remove(f)
        self.s.start_wine(tool_path("preview_host.exe"), r"C:\Fluttera\host.txt", r"C:\Fluttera\host.stop")
        self.assertTrue(wait_until(lambda: os.path.exists(report) and os.path.getsize(report) > 0, timeout=20))

        def inside():
            try:
                with open(report + ".children", "rb") as f:
                    data = f.read()
            except FileNotFoundError:
                return False
            return PREVIEW.encode("utf-16-le") in data or PREVIEW.encode() in data
        with open(report) as f:
            return f.read().split()[0], inside

    def run_traced(self, switch):
        """Runs that mode from the other folder until its window has been shown a while;
        returns the planted DLLs loaded ({name: path}) and whether the window was shown."""
        if switch == "/p":
            handle, shown = self.preview_host()
            args = ("/p", handle)
        else:
            args = (switch,)
            shown = lambda: self.s.windows(SAVER if switch == "/s" else DIALOG, visible=True)  # noqa: E731
        trace = os.path.join(self.start_dir, "trace.txt")
        overrides = self.s.env["WINEDLLOVERRIDES"] + ";" + ",".join(PLANTED) + "=n,b"
        with open(trace, "w") as f:
            self.s.start_scr(*args, env={"WINEDEBUG": "+loaddll", "WINEDLLOVERRIDES": overrides}, stderr=f,
                             cwd=self.start_dir)
            seen = bool(wait_until(shown, timeout=20))
            time.sleep(2)  # the first passes, paints and music commands
            self.s.kill_wine_programs()
        with open(trace, errors="replace") as f:
            found = {m["name"].lower(): m["path"].replace("\\\\", "\\") for m in LOADED.finditer(f.read())}
        return {name: path for name, path in found.items() if name in PLANTED}, seen

    def test_no_planted_dll_is_loaded(self):
        for switch in ("/s", "/c", "/p"):
            with self.subTest(switch=switch):
                loaded, shown = self.run_traced(switch)
                print(f"\n{switch}: loaded by Wine's own DLLs: {[loaded[n] for n in WINES_OWN if n in loaded]}")
                self.assertEqual({n: p for n, p in loaded.items() if n not in WINES_OWN}, {})
                self.assertTrue(shown, f"{switch}: its window was never shown")


if __name__ == "__main__":
    unittest.main()
