"""DLLs planted beside the program, and in the folder it is started from, are never loaded.
Wine, told to prefer native DLLs of those names, searches the program's folder first, as
Windows does for a DLL that is not a KnownDLL; its loader trace names each DLL loaded.

Wine's own DLLs load some of the names with the process's default search, which Wine 8
does not restrict for them: uxtheme and dwmapi (theming), and shcore, which Wine's shlwapi
imports before any of the program's code runs. Windows takes those from the system folder
alone (shcore is a KnownDLL): they are printed, not failed.

The trace must show the program itself loading a system DLL it takes in that mode (winmm for
the saver's timer, msimg32 for the dialog's buttons, windowscodecs for the preview's picture)
before it is judged: a trace that is empty, or cut off before the program got that far,
proves nothing."""
import os
import re
import shutil
import unittest

from fluttera_test.session import wait_until

from .shared import DIALOG, PREVIEW, SAVER, session, tool_path

PLANTED = ("winmm", "msimg32", "shcore", "uxtheme", "dwmapi")
WINES_OWN = ("uxtheme", "dwmapi", "shcore")
OWN_LOAD = {"/s": "winmm", "/c": "msimg32", "/p": "windowscodecs"}
LOADED = re.compile(r'^(?P<thread>[0-9a-f]+):trace:loaddll:\w+ Loaded L"(?P<path>[^"]*\\(?P<name>[^"\\.]+)\.\w+)"'
                    r'.*: (?P<how>native|builtin)$', re.IGNORECASE | re.MULTILINE)


def loads(trace):
    """The DLLs the trace shows loaded: (planted ones loaded native by any process,
    {name: (path, native or builtin)} of the program's main thread)."""
    with open(trace, errors="replace") as f:
        found = list(LOADED.finditer(f.read()))
    program = next((m["thread"] for m in found if m["name"].lower() == "fluttera"), None)
    planted = {m["name"].lower(): m["path"].replace("\\\\", "\\") for m in found
               if m["how"] == "native" and m["name"].lower() in PLANTED}
    own = {m["name"].lower(): (m["path"].replace("\\\\", "\\").lower(), m["how"]) for m in found
           if m["thread"] == program}
    return planted, own


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
        self.assertTrue(wait_until(lambda: os.path.exists(report) and os.path.getsize(report) > 0))

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
        """Runs that mode from the other folder until its window is shown and the program
        has loaded its system DLL of that mode; returns the planted DLLs loaded ({name:
        path}) and the program's own loads ({name: (path, how)})."""
        if switch == "/p":
            handle, shown = self.preview_host()
            args = ("/p", handle)
        else:
            args = (switch,)
            shown = lambda: self.s.windows(SAVER if switch == "/s" else DIALOG, visible=True)  # noqa: E731
        trace = os.path.join(self.start_dir, "trace.txt")
        overrides = self.s.env["WINEDLLOVERRIDES"] + ";" + ",".join(PLANTED) + "=n,b"
        with open(trace, "w") as f:
            p = self.s.start_scr(*args, env={"WINEDEBUG": "+loaddll", "WINEDLLOVERRIDES": overrides}, stderr=f,
                                 cwd=self.start_dir)
            name = OWN_LOAD[switch]
            wait_until(lambda: p.poll() is not None or (shown() and name in loads(trace)[1]))
            ended, seen = p.poll(), bool(shown())
            self.s.kill_wine_programs()
        self.assertIsNone(ended, f"{switch}: the program ended with status {ended}")
        self.assertTrue(seen, f"{switch}: its window was never shown")
        planted, own = loads(trace)
        self.assertIn(name, own, f"{switch}: the trace never showed the program loading {name}")
        return planted, own

    def test_no_planted_dll_is_loaded(self):
        for switch in ("/s", "/c", "/p"):
            with self.subTest(switch=switch):
                loaded, own = self.run_traced(switch)
                print(f"\n{switch}: loaded by Wine's own DLLs: {[loaded[n] for n in WINES_OWN if n in loaded]}")
                self.assertEqual({n: p for n, p in loaded.items() if n not in WINES_OWN}, {})
                name = OWN_LOAD[switch]
                self.assertEqual(own[name], (f"c:\\windows\\system32\\{name}.dll", "builtin"))


if __name__ == "__main__":
    unittest.main()
