"""Damaged and hostile settings files: with each one the saver starts, runs and ends on a
key, the settings dialog opens and closes, and the file's bytes never change. One Wine
session serves the whole corpus, so it costs seconds per file."""
import os
import random
import subprocess
import time
import unittest

from fluttera_test.session import GUARD

from .dialog_driver import CANCEL_BUTTON, CLIENT_H, CLIENT_W, centre
from .shared import DIALOG, SAVER, session
from .test_saver import still_runs


def sjis(text):
    return text.encode("cp932")


def corpus():
    """(name, bytes) of settings files that no dialog ever wrote."""
    rnd = random.Random(1225)
    keys = "[Section]\r\n花びらの数= 40\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=C:\\Fluttera\\曲.mp3\r\n"
    petal = "花びらの数".encode("cp932")
    return [
        ("empty", b""),
        ("random bytes", bytes(rnd.getrandbits(8) for _ in range(4000))),
        ("random Shift-JIS lines", sjis("[Section]\r\n") + b"\r\n".join(
            bytes(rnd.choice(b"=[]\x81\x82\x95\x5c\x89\xd4 aZ09.-\t\"") for _ in range(rnd.randrange(60)))
            for _ in range(200))),
        ("UTF-8", keys.encode("utf-8")),
        ("UTF-8 with a byte-order mark", b"\xef\xbb\xbf" + keys.encode("utf-8")),
        ("UTF-16", keys.encode("utf-16")),
        ("numbers out of every range", sjis("[Section]\r\n花びらの数=99999999999999999999\r\nBGM区分=-32769\r\n"
                                             "BGMﾘﾋﾟｰﾄ=1e308\r\nBGMﾌｧｲﾙ=\r\n")),
        ("numbers at the ends of the range", sjis("[Section]\r\n花びらの数=32767\r\nBGM区分=32767\r\n"
                                                   "BGMﾘﾋﾟｰﾄ=-32768\r\n")),
        ("negative and odd numbers", sjis("[Section]\r\n花びらの数=-1\r\nBGM区分=1\r\nBGMﾘﾋﾟｰﾄ=-5\r\n"
                                          "[Section]\r\n花びらの数=1e999\r\nBGM区分=&HFFFFFFFF\r\n")),
        ("not numbers", sjis("[Section]\r\n花びらの数=nan\r\nBGM区分=inf\r\nBGMﾘﾋﾟｰﾄ=1,2,,3\r\n")),
        ("a path that adds media commands", sjis(
            "[Section]\r\nBGM区分= 2\r\nBGMﾌｧｲﾙ=C:\\Fluttera\\x.mp3\" type waveaudio alias MP3Play wait"
            " & close all\r\n")),
        ("an existing path full of media words", sjis(
            "[Section]\r\nBGM区分= 2\r\nBGMﾌｧｲﾙ=C:\\Fluttera\\x alias MP3Play wait notify.mp3\r\n")),
        ("a very long line", sjis("[Section]\r\n花びらの数= " + "9" * 5000 + "\r\nBGM区分= 2\r\nBGMﾌｧｲﾙ=C:\\"
                                  + "a\\" * 50000 + "x.mp3\r\n")),
        ("a very long file", b"".join(b"key%d=value %d\r\n" % (i, i) for i in range(150000))
         + sjis("[Section]\r\n花びらの数= 12\r\n")),
        ("line breaks of every kind", b"[Section]\r" + petal + b"= 20\n\rBGM\x8b\xe6\x95\xaa= 1\n\n\r\r\n"
         + b"BGM\xd8\xcb\xdf\xb0\xc4= 3\r\r\n\x0b\x0c\x1a" + petal + b"= 30"),
        ("cut double-byte characters", b"[Section]\r\n\x89\xd4\x82\xd1\x82\r\n" + petal + b"= 7\x81\r\n"
         + b"BGM\xcc\xa7\xb2\xd9=C:\\Fluttera\\\x95\r\nBGM\x8b\xe6\x95=\x82\n[\x81]\r\n\x89"),
        ("NUL bytes and broken sections", b"\x00[Section\r\n" + petal + b"=\x00 5\r\n[Section]]\r\n=\r\n"
         + b"[]\r\n" + petal + b"\r\n[Section]\r\n" + petal + b" \x00= 9\r\n"),
    ]


class DamagedSettings(unittest.TestCase):
    def setUp(self):
        self.s = session()
        self.s.kill_wine_programs()
        for name in ("曲.mp3", "x alias MP3Play wait notify.mp3"):
            with open(os.path.join(self.s.program_dir, name), "wb") as f:
                f.write(b"RIFF")
        # One Wine server for the whole corpus.
        subprocess.run([self.s.wine.server, "-p"], env=self.s.env, timeout=30)

    def tearDown(self):
        self.s.kill_wine_programs()
        self.s.remove_ini()

    def saver_runs_and_ends_on_a_key(self):
        # Wine's X windows go a little after their program: a key for a window that is
        # still there but gone in Wine would reach the next program.
        self.assertTrue(self.s.wait_window(DIALOG, present=False), "a dialog is still there")
        p = self.s.start_scr("/s")
        try:
            self.assertTrue(self.s.wait_window(SAVER, proc=p), "no saver window")
            self.assertTrue(still_runs(self.s, p), "the saver ended by itself")
            self.assertTrue(self.s.wait_focus(SAVER, proc=p), "the saver never got the focus")
            self.s.key("space")
            self.assertEqual(p.wait(timeout=GUARD), 0)
        finally:
            if p.poll() is None:
                p.kill()

    def dialog_opens_and_closes(self):
        self.assertTrue(self.s.wait_window(SAVER, present=False), "a saver is still there")
        p = self.s.start_scr("/c")
        try:
            self.assertTrue(self.s.wait_window(DIALOG, proc=p), "no settings dialog")
            self.assertTrue(self.s.wait_focus(DIALOG, proc=p), "the dialog never got the focus")
            # "ｷｬﾝｾﾙ" (Alt+F4 would leave Alt held down in Wine for the next program).
            x, y = self.s.client_origin(self.s.windows(DIALOG)[0], CLIENT_W, CLIENT_H)
            cx, cy = centre(CANCEL_BUTTON)
            self.s.click(x + cx, y + cy)
            self.assertEqual(p.wait(timeout=GUARD), 0)
        finally:
            if p.poll() is None:
                p.kill()

    def test_every_damaged_file_is_survived_and_left_as_it_was(self):
        started = time.monotonic()
        for name, data in corpus():
            with self.subTest(file=name):
                self.s.write_ini(data)
                try:
                    self.saver_runs_and_ends_on_a_key()
                    self.dialog_opens_and_closes()
                except Exception:
                    self.s.kill_wine_programs()  # the next file starts afresh
                    subprocess.run([self.s.wine.server, "-p"], env=self.s.env, timeout=30)
                    raise
                self.assertEqual(self.s.read_ini(), data, "the settings file changed")
        print(f"\n  {len(corpus())} files in {time.monotonic() - started:.0f} s")


if __name__ == "__main__":
    unittest.main()
