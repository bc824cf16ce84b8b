"""Saving where the settings file cannot be written. For each fault, in a folder of its
own with the program and a settings file in it: "設定" brings up the system's message box
naming the file and the reason, the dialog stays open, and the folder and the file are
byte for byte as they were; once the cause is gone, the same "設定" saves and closes.
After such a failure "ｷｬﾝｾﾙ" closes the dialog and writes nothing, and a good save keeps
the file's own attributes (hidden stays hidden).

The tests run as root, whom permission bits do not stop: the read-only folder (its file
too: a file that may be written is written over in place) is made with the immutable
attribute, the full disk is a small tmpfs filled up. Wine keeps a
file's read-only attribute as its Unix write bits (what its `attrib +r` does); as root
Wine would still replace such a file, so this case checks that the program looks at the
attribute itself."""
import os
import shutil
import subprocess
import tempfile
import unittest

from fluttera_test.session import wait_until

from .dialog_driver import CANCEL_BUTTON, LOCALES, PETAL_LABEL, SET_BUTTON, DialogDriver, settings_file
from .shared import DIALOG, tool_path

BOX = "Fluttera"  # the message box's caption
NO_BOX = 3  # file_fault.exe box: no such box (any other failure of the tool is its own)
ORIGINAL = b"; mine\r\n" + settings_file(300, 0, 0) + b"[Other]\r\nx=1\r\n"
SAVED = b"; mine\r\n" + settings_file(310, 0, 0) + b"[Other]\r\nx=1\r\n"


class SaveFaults(DialogDriver, unittest.TestCase):
    LOCALE = "ja"

    def setUp(self):
        super().setUp()
        self.assertTrue(os.path.exists(tool_path("file_fault.exe")), "file_fault.exe is not built beside the program")
        self.reports = tempfile.mkdtemp(prefix="fluttera-faults-")
        self.addCleanup(shutil.rmtree, self.reports, True)

    # -- the faults: each makes its folder unwritable in one way and returns its undo --------
    def read_only_folder(self, folder):
        ini = os.path.join(folder, "Fluttera.ini")
        self.sh("chattr", "+i", ini, folder)
        return lambda: self.sh("chattr", "-i", ini, folder)

    def immutable_file(self, folder):
        # The folder takes new files: nothing the save makes beside the file may stay there.
        ini = os.path.join(folder, "Fluttera.ini")
        self.sh("chattr", "+i", ini)
        return lambda: self.sh("chattr", "-i", ini)

    def full_disk(self, folder):
        # The folder is a small tmpfs of its own (mounted before the program was copied in):
        # filled to the last byte.
        filler = os.path.join(folder, "filler")
        fd = os.open(filler, os.O_WRONLY | os.O_CREAT, 0o644)
        try:
            for chunk in (1 << 20, 4096, 1):
                try:
                    while True:
                        os.write(fd, b"\0" * chunk)
                except OSError:
                    pass
        finally:
            os.close(fd)
        return lambda: os.remove(filler)

    def read_only_file(self, folder):
        ini = os.path.join(folder, "Fluttera.ini")
        os.chmod(ini, 0o444)
        return lambda: os.chmod(ini, 0o644)

    def file_in_use(self, folder):
        report = os.path.join(self.reports, "held")
        holder = self.s.start_wine(tool_path("file_fault.exe"), "hold", self.win_path(folder, "Fluttera.ini"),
                                   "Z:" + report.replace("/", "\\"))
        self.assertEqual(wait_until(lambda: _read(report), proc=holder), "held", "the holder did not hold the file")

        def undo():
            os.remove(report)
            holder.wait(timeout=30)
        return undo

    # -- helpers -----------------------------------------------------------------------------
    def sh(self, *args):
        subprocess.run(args, check=True, capture_output=True)

    def win_path(self, folder, name):
        return "C:\\" + os.path.basename(folder) + "\\" + name

    def fresh_folder(self, name, tmpfs=False):
        folder = os.path.join(os.path.dirname(self.s.program_dir), name)
        os.makedirs(folder)
        self.addCleanup(shutil.rmtree, folder, True)
        if tmpfs:
            # Room for the program and the file, and little more.
            size = os.path.getsize(self.s.scr_source) + 256 * 1024
            self.sh("mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", folder)
            self.addCleanup(subprocess.run, ["umount", folder], capture_output=True)
        shutil.copy(self.s.scr_source, os.path.join(folder, "Fluttera.scr"))
        with open(os.path.join(folder, "Fluttera.ini"), "wb") as f:
            f.write(ORIGINAL)
        return folder

    def open_dialog_in(self, folder):
        self.s.move(5, 5)
        self.proc = self.s.start_wine(self.win_path(folder, "Fluttera.scr"), "/c", env={"LC_ALL": LOCALES["ja"]})
        self.assertTrue(self.s.wait_window(DIALOG, proc=self.proc), "no settings dialog")
        self.wid = self.s.windows(DIALOG)[0]
        self.assertTrue(wait_until(self.placed_and_painted), "the dialog was never painted")

    def message_box(self):
        """The texts of the message box the dialog owns, or None while there is none."""
        report = os.path.join(self.reports, "box.txt")
        r = self.s.run_wine(tool_path("file_fault.exe"), "box", BOX, DIALOG, "Z:" + report.replace("/", "\\"))
        if r.returncode == NO_BOX:
            return None
        self.assertEqual(r.returncode, 0, "file_fault.exe box failed")
        with open(report, encoding="utf-8") as f:
            return f.read()

    def state(self, folder):
        names = sorted(os.listdir(folder))
        with open(os.path.join(folder, "Fluttera.ini"), "rb") as f:
            return names, f.read()

    def fail_a_save(self, folder):
        """Opens the dialog in the folder, moves the petal bar and presses "設定"; returns the
        message box's text."""
        self.open_dialog_in(folder)
        label = self.region(self.s.screenshot(), self.panel_box(PETAL_LABEL))
        self.click_bar_right_arrow()
        self.assertTrue(self.changed(self.panel_box(PETAL_LABEL), label), "the petal number did not follow")
        self.click_form(SET_BUTTON)
        text = wait_until(self.message_box)
        self.assertTrue(text, "no message box")
        return text

    def close_box(self):
        boxes = self.s.windows(BOX)
        self.assertTrue(boxes, "the message box has no window")
        self.s.key_to(boxes[0], "Return")
        self.assertTrue(wait_until(lambda: self.message_box() is None), "the box stayed")
        self.assertTrue(self.s.wait_focus(DIALOG, proc=self.proc), "the dialog did not get the focus back")

    def attributes(self, folder):
        """What Wine's attrib says of the settings file: its attribute letters."""
        out = self.s.run_wine("cmd", "/c", "attrib", self.win_path(folder, "Fluttera.ini")).stdout.decode(errors="replace")
        return out.split("C:")[0]

    # -- the tests ---------------------------------------------------------------------------
    def test_cancel_after_a_failed_save_writes_nothing(self):
        folder = self.fresh_folder("Cancelled")
        undo = self.read_only_file(folder)
        self.addCleanup(lambda: _quietly(undo))
        before = self.state(folder)
        self.assertIn("ファイルが読み取り専用になっています", self.fail_a_save(folder))
        self.close_box()
        undo()
        self.click_form(CANCEL_BUTTON)
        self.expect_closed()
        self.assertEqual(self.state(folder), before)

    def test_a_good_save_keeps_a_hidden_file_hidden(self):
        folder = self.fresh_folder("Hidden")
        self.s.run_wine("cmd", "/c", "attrib", "+h", self.win_path(folder, "Fluttera.ini"))
        self.assertIn("H", self.attributes(folder), "Wine did not hide the file")
        self.open_dialog_in(folder)
        self.click_bar_right_arrow()
        self.click_form(SET_BUTTON)
        self.expect_closed()
        self.assertEqual(self.state(folder)[1], SAVED)
        self.assertIn("H", self.attributes(folder), "the saved file is no longer hidden")

    def test_a_failed_save_says_why_and_changes_nothing(self):
        faults = [
            ("read-only folder", self.read_only_folder, False, "このフォルダーにはファイルを書き込めません"),
            ("full disk", self.full_disk, True, "ディスクがいっぱいです"),
            ("read-only file", self.read_only_file, False, "ファイルが読み取り専用になっています"),
            ("immutable file", self.immutable_file, False, "このファイルを書き換える権限がありません"),
            ("file in use", self.file_in_use, False, "ファイルがほかのプログラムで使われています"),
        ]
        for n, (name, make_fault, tmpfs, reason) in enumerate(faults):
            with self.subTest(fault=name):
                self.s.kill_wine_programs()
                folder = self.fresh_folder(f"Fault{n}", tmpfs)
                undo = make_fault(folder)
                self.addCleanup(lambda u=undo: _quietly(u))
                before = self.state(folder)
                self.assertEqual(before[1], ORIGINAL)

                text = self.fail_a_save(folder)
                self.assertIn("設定を保存できませんでした", text)
                self.assertIn(self.win_path(folder, "Fluttera.ini"), text)
                self.assertIn(reason, text)
                self.assertEqual(self.state(folder), before, "the folder or the file changed")

                # Its OK closes the box; the dialog stays, with the user's choice.
                self.close_box()
                self.assertTrue(self.s.windows(DIALOG, visible=True), "the dialog closed")
                self.assertEqual(self.state(folder), before, "the folder or the file changed")

                # The cause gone, the same choice saves and the dialog closes.
                undo()
                self.click_form(SET_BUTTON)
                self.expect_closed()
                program_files = [n for n in before[0] if n != "filler"]  # the full disk's filler is gone
                self.assertEqual(self.state(folder), (program_files, SAVED))


def _read(path):
    try:
        with open(path) as f:
            return f.read()
    except FileNotFoundError:
        return None


def _quietly(undo):
    try:
        undo()
    except Exception:
        pass


if __name__ == "__main__":
    unittest.main()
