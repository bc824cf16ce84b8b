"""The settings dialog with the user's own number format, and with music file names that
the settings file's Shift-JIS cannot hold."""
import os
import re
import subprocess
import unittest

from .dialog_driver import LOCALES, SET_BUTTON, DialogDriver, settings_file

NOTICE = "Fluttera"  # the caption of the dialog's message box


class DialogText(DialogDriver, unittest.TestCase):
    LOCALE = "ja"

    def set_separators(self, decimal, group):
        """The user's number format, as the Control Panel keeps it. Wine rewrites these values
        when a program starts under another locale, so they are set under the dialog's."""
        for name, value in (("sDecimal", decimal), ("sThousand", group)):
            self.s.run_wine("reg", "add", r"HKCU\Control Panel\International", "/v", name, "/d", value, "/f",
                            env={"LC_ALL": LOCALES[self.LOCALE]})
        subprocess.run([self.s.wine.server, "-w"], env=self.s.env, timeout=60)

    def test_numbers_follow_the_users_separators(self):
        self.set_separators(",", ".")
        try:
            self.open_dialog(("[Section]\r\n花びらの数=12,9\r\nBGM区分=1\r\n").encode("cp932"))
            self.type_track("2,5")
            self.click_form(SET_BUTTON)
            self.expect_closed()
            # 12,9 is read as 12.9, whose floor is 12; the track's 2,5 rounds to 2.
            self.assertEqual(self.s.read_ini(), settings_file(12, 1, 2))
        finally:
            self.s.kill_wine_programs()
            self.set_separators(".", ",")

    def test_a_name_shift_jis_cannot_hold_is_stored_short_or_refused(self):
        old = self.music_file("old.wav")
        jose = self.music_file("José.mp3")

        # A file that does not exist has no short form: the old choice stays, the user is told.
        self.open_dialog(settings_file(300, 2, 0, old))
        self.choose_file("C:\\Fluttera\\Zoë.mp3")
        self.assertTrue(self.s.wait_window(NOTICE), "the user was not told")
        self.s.save_png(os.path.join(self.shots, "unsavable-name.png"))
        self.s.key_to(self.s.windows(NOTICE)[0], "Return")
        self.assertTrue(self.s.wait_window(NOTICE, present=False), "the notice stayed open")
        self.click_form(SET_BUTTON)
        self.expect_closed()
        self.assertEqual(self.s.read_ini(), settings_file(300, 2, 0, old))

        # An existing one is stored in its short form, which names the same file: opened
        # again, the dialog keeps it (a file that cannot be opened would be dropped).
        self.open_dialog()
        self.choose_file(jose)
        self.click_form(SET_BUTTON)
        self.expect_closed()
        saved = self.s.read_ini()
        stored = re.search(rb"BGM\xcc\xa7\xb2\xd9=(.*)\r\n", saved).group(1).decode("ascii")
        print(f"\n  {jose} is stored as {stored}")
        self.assertNotEqual(stored, jose)
        self.assertTrue(stored.upper().startswith("C:\\FLUTTERA\\"), stored)
        self.assertEqual(self.s.windows(NOTICE), [])
        self.open_dialog()
        self.click_form(SET_BUTTON)
        self.expect_closed()
        self.assertEqual(self.s.read_ini(), saved)


if __name__ == "__main__":
    unittest.main()
