"""The settings dialog under Wine, used as a person would: what it shows, clicks on the
options and buttons, typing into the track list, the petal bar, the file chooser, and
what reaches the settings file (byte for byte) through each way out.

Every test runs twice: with a Japanese locale (code page 932) and with the machine's
default one, since the dialog's text must not depend on the system's code page."""
import os
import subprocess
import time
import unittest

from fluttera_test.session import wait_until

from .cursors import cursor_image, read_monochrome_cursor
from .dialog_driver import (ASSETS, CANCEL_BUTTON, CLIENT_H, CLIENT_W, FILE_BUTTON, FILE_LABEL, LINK, OPTION,
                           OPTION_CAPTION, PANEL_CLIENT_W, PETAL_BAR, PETAL_LABEL, SET_BUTTON, SHAPES, TRACK_LIST,
                           DialogDriver, centre, settings_file)


class DialogCases(DialogDriver):
    # -- the tests -------------------------------------------------------------------------
    def test_layout_on_screen(self):
        self.open_dialog(settings_file(300, 1, 0))
        shot = self.s.screenshot()
        png = os.path.join(self.shots, f"dialog-{self.LOCALE}.png")
        self.s.save_png(png)
        print(f"\n  screenshot: {png}")

        # Placed from the outer size: centred across, a third of the free height down.
        g = self.s.window_geometry(self.wid)
        self.assertEqual((g["X"], g["Y"]), ((self.s.width - g["WIDTH"]) // 2, (self.s.height - g["HEIGHT"]) // 3))

        # The gradient fills exactly 465 x 191: dark at the top and bottom rows, pale in
        # the middle, blue lifted by 30; the frame begins right after.
        for row, colour in ((0, (0, 0, 30)), (10, (36, 36, 66)), (95, (220, 220, 250)), (150, (137, 137, 167)),
                            (190, (4, 4, 34))):
            self.assertEqual(shot.pixel(*self.form_xy(2, row)), colour, f"gradient row {row}")
            self.assertEqual(shot.pixel(*self.form_xy(CLIENT_W - 1, row)), colour, f"gradient row {row}, right")
        self.assertNotEqual(shot.pixel(*self.form_xy(CLIENT_W, 95)), (220, 220, 250))
        self.assertNotEqual(shot.pixel(*self.form_xy(2, CLIENT_H)), (4, 4, 34))

        # The texture is tiled over the whole panel from its top-left corner: rows where
        # no control stands, in every tile row.
        for y in (0, 19, 20, 59, 100, 112):
            x0, x1 = 0, 8
            seen = shot.region(*self.panel_xy(x0, y), *self.panel_xy(x1, y + 1))
            self.assertEqual(seen, self.texture.region(x0, y % 20, x1, y % 20 + 1), f"texture row {y}")
        right = shot.region(*self.panel_xy(PANEL_CLIENT_W - 8, 110), *self.panel_xy(PANEL_CLIENT_W, 111))
        self.assertEqual(right, self.texture.region(PANEL_CLIENT_W - 8, 10, PANEL_CLIENT_W, 11))

        # The windowed controls and the file name box stand where the layout puts them.
        for name, box, on_panel in (("Pic_1", (16, 16, 433, 117), False), ("BGM_Repeat", TRACK_LIST, True),
                                    ("HS_Fast", PETAL_BAR, True), ("Cmd_BGM", FILE_BUTTON, True),
                                    ("lbl_Fname", FILE_LABEL, True), ("Cmd_Set", SET_BUTTON, False),
                                    ("Cmd_Can", CANCEL_BUTTON, False)):
            self.assert_extent(shot, box, on_panel, name)

        # Only the audio CD's indicator is chosen.
        self.assertEqual(self.indicators(shot), 1)

        # The two heading frames are one-pixel outlines, with the texture just inside.
        for x, y, w, h in SHAPES:
            for px, py in ((x + 30, y), (x, y + 10), (x + w - 1, y + 10), (x + 30, y + h - 1)):
                self.assertEqual(shot.pixel(*self.panel_xy(px, py)), (0, 0, 0), f"frame at {px},{py}")
            self.assertEqual(shot.pixel(*self.panel_xy(x + 2, y + 1)), self.texture.pixel(x + 2, (y + 1) % 20))

        # The link is white (text and underline) on the gradient; the credit line above it
        # is drawn too.
        link = [shot.pixel(*self.form_xy(x, y)) for x in range(LINK[0], LINK[0] + 150)
                for y in range(LINK[1], LINK[1] + LINK[3])]
        self.assertGreater(link.count((255, 255, 255)), 100)
        credit = self.region(shot, self.form_box((16, 140, 150, 13)))
        gradient = b"".join(bytes(shot.pixel(*self.form_xy(0, y))) * 150 for y in range(140, 153))
        self.assertNotEqual(credit, gradient)

        # Covered by another window and uncovered again, the dialog shows the same picture.
        client = self.form_box((0, 0, CLIENT_W, CLIENT_H))
        cover = subprocess.Popen(["display", "-size", f"{CLIENT_W - 100}x{CLIENT_H - 40}", "-geometry",
                                  f"+{client[0] + 50}+{client[1] + 20}", "xc:red"], env=self.s.env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.assertTrue(wait_until(lambda: self.s.screenshot().pixel(client[0] + 200, client[1] + 90)
                                       == (255, 0, 0), timeout=10), "the cover never showed")
        finally:
            cover.terminate()
            cover.wait(timeout=10)
        came_back = wait_until(lambda: self.region(self.s.screenshot(), client) == self.region(shot, client),
                               timeout=10)
        if not came_back:
            after = self.s.screenshot()
            self.s.save_png(os.path.join(self.shots, f"not-back-{self.LOCALE}.png"))
            differ = [(x, y) for y in range(client[1], client[1] + client[3]) for x in range(client[0], client[0] + client[2])
                      if after.pixel(x, y) != shot.pixel(x, y)]
            xs, ys = [d[0] for d in differ], [d[1] for d in differ]
            self.fail(f"the dialog did not come back whole: {len(differ)} pixels differ in "
                      f"x {min(xs)}..{max(xs)}, y {min(ys)}..{max(ys)} (client {client})")

    def test_changes_are_saved_and_shown_again(self):
        song = self.music_file("a&b song.mp3")
        self.open_dialog(settings_file(300, 0, 0))
        self.assertEqual(self.indicators(self.s.screenshot()), 0)

        # "音楽CD" clicked on its caption: its indicator alone turns chosen.
        self.click_panel(OPTION_CAPTION[1])
        self.assertTrue(wait_until(lambda: self.indicators(self.s.screenshot()) == 1))
        self.type_track("12")
        before = self.region(self.s.screenshot(), self.panel_box(PETAL_LABEL))
        self.click_bar_right_arrow(2)
        self.assertTrue(self.changed(self.panel_box(PETAL_LABEL), before), "the petal number did not follow")
        empty_name = self.region(self.s.screenshot(), self.panel_box(FILE_LABEL))
        self.choose_file(song)
        self.assertTrue(self.changed(self.panel_box(FILE_LABEL), empty_name), "the file name is not shown")
        shown = self.s.screenshot()

        self.click_form(SET_BUTTON)
        self.expect_closed()
        expected = (b"[Section]\r\n\x89\xd4\x82\xd1\x82\xe7\x82\xcc\x90\x94= 320\r\nBGM\x8b\xe6\x95\xaa= 1\r\n"
                    b"BGM\xd8\xcb\xdf\xb0\xc4= 12\r\nBGM\xcc\xa7\xb2\xd9=C:\\Fluttera\\a&b song.mp3\r\n")
        self.assertEqual(self.s.read_ini(), expected)
        self.assertEqual(expected, settings_file(320, 1, 12, song))

        # Opened again, the dialog shows what was saved; cancelling writes nothing.
        self.open_dialog()
        again = self.s.screenshot()
        self.assertEqual(self.indicators(again), 1)
        for box in (PETAL_LABEL, FILE_LABEL, TRACK_LIST, PETAL_BAR):
            self.assertEqual(self.region(again, self.panel_box(box)), self.region(shown, self.panel_box(box)),
                             f"control at {box}")
        self.click_form(CANCEL_BUTTON)
        self.expect_closed()
        self.assertEqual(self.s.read_ini(), expected)

    def test_every_way_out_but_save_leaves_the_file_as_it_was(self):
        song = self.music_file("other.wav")
        # A file with more than the dialog writes: comments, another section, odd spacing.
        original = ("; kept\r\n[Section]\r\n花びらの数 = 120\r\nBGM区分=2\r\nBGMﾘﾋﾟｰﾄ=3\r\n"
                    "BGMﾌｧｲﾙ=C:\\Fluttera\\other.wav\r\n\r\n[Other]\r\nx=1\r\n").encode("cp932")

        def close_box():
            g = self.s.window_geometry(self.wid)
            self.s.click(g["X"] + g["WIDTH"] - 13, g["Y"] + 12)

        ways = {
            "ｷｬﾝｾﾙ": lambda: self.click_form(CANCEL_BUTTON),
            "close box": close_box,
            "Alt+F4": lambda: self.s.key_to(self.wid, "alt+F4"),
        }
        for way, close in ways.items():
            with self.subTest(way=way):
                self.s.kill_wine_programs()
                self.open_dialog(original)
                self.assertEqual(self.indicators(self.s.screenshot()), 2)
                self.click_panel(OPTION_CAPTION[0])
                self.s.click(*self.panel_xy(*centre((*OPTION[1], 12, 12))))
                self.assertTrue(wait_until(lambda: self.indicators(self.s.screenshot()) == 1))
                self.type_track("29")
                self.click_bar_right_arrow(3)
                self.choose_file(song.replace("other.wav", "a&b song.mp3"))
                close()
                self.expect_closed()
                self.assertEqual(self.s.read_ini(), original)

    def test_tab_walks_the_controls_in_tab_order(self):
        self.open_dialog(settings_file(250, 1, 0))
        buttons = {"設定": self.form_box(SET_BUTTON), "ｷｬﾝｾﾙ": self.form_box(CANCEL_BUTTON),
                   "...": self.panel_box(FILE_BUTTON)}
        rest = {name: self.region(self.s.screenshot(), box) for name, box in buttons.items()}

        def focused():
            shot = self.s.screenshot()
            return [name for name, box in buttons.items() if self.region(shot, box) != rest[name]]

        # The panel has the focus first; then the track list, the bar, and the buttons
        # "設定", "ｷｬﾝｾﾙ", "..." in that order, and round again.
        for presses, expected in ((3, ["設定"]), (1, ["ｷｬﾝｾﾙ"]), (1, ["..."]), (1, []), (1, [])):
            for _ in range(presses):
                self.s.key_to(self.wid, "Tab")
            self.assertTrue(wait_until(lambda: focused() == expected), f"{expected}: {focused()}")
        self.s.key_to(self.wid, "shift+Tab")  # back from the track list to the panel
        self.s.key_to(self.wid, "shift+Tab")
        self.assertTrue(wait_until(lambda: focused() == ["..."]), focused())

        # By keys alone: Tab into the track list selects its text; type over it. Tab on to
        # the bar: End takes it to 500, Left one step back.
        for _ in range(2):
            self.s.key_to(self.wid, "Tab")  # the panel, the track list
        self.s.type_text("7")
        self.s.key_to(self.wid, "Tab")
        self.s.key_to(self.wid, "End")
        self.s.key_to(self.wid, "Left")
        self.click_form(SET_BUTTON)
        self.expect_closed()
        self.assertEqual(self.s.read_ini(), settings_file(490, 1, 7))

    def test_track_list_offers_one_to_thirty(self):
        self.open_dialog(settings_file(300, 1, 0))
        x, y, w, h = TRACK_LIST
        self.s.click(*self.panel_xy(x + w - 6, y + h // 2))  # its arrow opens the list
        # Down past the end rests on the last entry, 30; 28 entries above it is 2, so the
        # entries run one by one.
        for _ in range(40):
            self.s.key_to(self.wid, "Down")
        for _ in range(28):
            self.s.key_to(self.wid, "Up")
        self.s.key_to(self.wid, "Return")
        self.click_form(SET_BUTTON)
        self.expect_closed()
        self.assertEqual(self.s.read_ini(), settings_file(300, 1, 2))

    def test_the_link_alone_shows_the_hand(self):
        hand = read_monochrome_cursor(os.path.join(ASSETS, "hand.cur"))
        self.open_dialog(settings_file(300, 1, 0))
        on_link = self.form_xy(LINK[0] + 60, LINK[1] + 6)
        elsewhere = {"credit line": self.form_xy(LINK[0] + 60, 146), "gradient": self.form_xy(300, 180),
                     "option caption": self.panel_xy(60, 40)}
        for name, at in elsewhere.items():
            self.s.move(*at)
            self.assertTrue(wait_until(lambda: cursor_image(self.s.display) != hand), name)
            self.s.move(*on_link)
            self.assertTrue(wait_until(lambda: cursor_image(self.s.display) == hand),
                            f"no hand over the link (coming from the {name})")

    def test_dragging_the_thumb_updates_the_number_live(self):
        self.open_dialog(settings_file(250, 1, 0))
        box = self.panel_box(PETAL_LABEL)
        at_rest = self.region(self.s.screenshot(), box)
        # At 250 of 0 to 500 the thumb stands in the middle of the bar.
        x, y = self.panel_xy(*centre(PETAL_BAR))
        self.s.mouse_down(x, y)
        time.sleep(0.2)
        for dx in range(2, 14, 2):
            self.s.move(x + dx, y)
            time.sleep(0.05)
        moved = self.changed(box, at_rest)
        if not moved:
            self.s.save_png(os.path.join(self.shots, f"drag-{self.LOCALE}.png"))
        self.assertTrue(moved, "the number stood still while the thumb moved")
        self.s.mouse_up()
        self.click_form(SET_BUTTON)
        self.expect_closed()
        saved = self.s.read_ini().decode("cp932")
        petals = int(saved.split("花びらの数=")[1].split("\r\n")[0])
        self.assertGreater(petals, 250)
        self.assertLess(petals, 500)


class DialogJapaneseLocale(DialogCases, unittest.TestCase):
    LOCALE = "ja"


class DialogDefaultLocale(DialogCases, unittest.TestCase):
    LOCALE = "default"


if __name__ == "__main__":
    unittest.main()
