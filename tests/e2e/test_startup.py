"""Start-up under Wine: which switches open a window, which end by themselves, and the guard
against a second instance."""
import time
import unittest

from fluttera_test.session import GUARD

from .shared import DIALOG, SAVER, session

# A switch that opens no window ends within this, Wine's services already up: a tenth of it
# when the machine is quiet. The saver's window goes within a second of a key (what the user
# sees); Wine may end the process a few seconds after that.
AT_ONCE, WINDOW_GONE, PROCESS_GONE = 5.0, 1.0, 15.0


class Startup(unittest.TestCase):
    def setUp(self):
        self.s = session()
        self.s.kill_wine_programs()
        self.s.remove_ini()

    def tearDown(self):
        self.s.kill_wine_programs()

    def ends_at_once(self, *args):
        """The exit status of the saver run with these switches, which must end at once."""
        rc, took = self.s.run_scr(*args, timeout=GUARD)
        self.assertLess(took, AT_ONCE, f"{args} ran {took:.1f} s")
        return rc

    def test_other_switches_end_at_once_without_a_window(self):
        self.s.start_desktop()  # what a fresh Wine server costs is not the program's
        for switch in ("/a", "/x", "s", "/A 1234"):
            with self.subTest(switch=switch):
                self.assertEqual(self.ends_at_once(switch), 0)
                self.assertEqual(self.s.windows(SAVER), [])

    def test_preview_without_a_host_window_ends_at_once(self):
        self.s.start_desktop()
        for switch in (("/p", "12345"), ("/p",), ("/p", "99999999999")):
            with self.subTest(switch=switch):
                self.assertEqual(self.ends_at_once(*switch), 0)

    def test_saver_switch_opens_the_saver_and_a_key_ends_it(self):
        p = self.s.start_scr("/s")
        self.assertTrue(self.s.wait_window(SAVER, proc=p), "no saver window")
        self.assertTrue(self.s.wait_focus(SAVER, proc=p), "the saver window never got the focus")
        t = time.monotonic()
        self.s.key("space")
        self.assertTrue(self.s.wait_window(SAVER, present=False, timeout=WINDOW_GONE),
                        "a saver window is left a second after the key")
        self.assertEqual(p.wait(timeout=GUARD), 0)
        self.assertLess(time.monotonic() - t, PROCESS_GONE, "the saver's process lingered")

    def test_a_full_width_slash_runs_the_saver(self):
        # As typed on a Japanese keyboard: the switch letter is still the second character.
        p = self.s.start_scr("／s", env={"LC_ALL": "ja_JP.UTF-8"})
        self.assertTrue(self.s.wait_window(SAVER, proc=p), "no saver window")
        self.assertTrue(self.s.wait_focus(SAVER, proc=p), "the saver window never got the focus")
        self.s.key("space")
        self.assertEqual(p.wait(timeout=GUARD), 0)

    def test_empty_command_line_runs_the_saver(self):
        p = self.s.start_scr()
        self.assertTrue(self.s.wait_window(SAVER, proc=p), "no saver window")
        self.assertTrue(self.s.wait_focus(SAVER, proc=p), "the saver window never got the focus")
        self.s.key("Escape")
        self.assertEqual(p.wait(timeout=GUARD), 0)

    def test_a_running_saver_refuses_every_switch(self):
        p = self.s.start_scr("/s")
        self.assertTrue(self.s.wait_window(SAVER, proc=p))
        for switch in ("/s", "/c", "/p 1234", "", "/a"):
            with self.subTest(switch=switch):
                args = (switch,) if switch else ()
                self.assertEqual(self.ends_at_once(*args), 0)
                self.assertEqual(len(self.s.windows(SAVER)), 1)
                self.assertEqual(self.s.windows(DIALOG), [])
        self.assertIsNone(p.poll(), "the first saver should still run")

    def test_an_open_settings_dialog_refuses_every_switch(self):
        p = self.s.start_scr("/c")
        self.assertTrue(self.s.wait_window(DIALOG, proc=p), "no settings dialog")
        for switch in ("/s", "/c", "/p 1234"):
            with self.subTest(switch=switch):
                self.assertEqual(self.ends_at_once(switch), 0)
                self.assertEqual(self.s.windows(SAVER), [])
                self.assertEqual(len(self.s.windows(DIALOG)), 1)


if __name__ == "__main__":
    unittest.main()
