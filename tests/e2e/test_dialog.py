"""The settings dialog under Wine, used as a person would: what it shows, clicks on the
options and buttons, typing into the track list, the petal bar, the file chooser, and
what reaches the settings file (byte for byte) through each way out.

Every test runs twice: with a Japanese locale (code page 932) and with the machine's
default one, since the dialog's text must not depend on the system's code page."""
import math
import os
import subprocess
import time
import unittest

from harness import cursor_image, read_monochrome_cursor, read_picture, wait_until
from shared import DIALOG, session

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets", "dialog")
CLIENT_W, CLIENT_H = 465, 191
PANEL = (16 + 2, 16 + 2)  # Pic_1's client area, inside its two-pixel sunken edge
PANEL_CLIENT_W, PANEL_CLIENT_H = 433 - 4, 117 - 4

# Places from the dialog's layout, in the client coordinates of the form or the panel.
OPTION = {1: (36, 36), 0: (36, 56), 2: (36, 76)}  # Img_BGM(kind)
OPTION_CAPTION = {1: (52, 36, 43, 13), 0: (52, 56, 23, 13), 2: (52, 76, 60, 13)}  # lbl_BGM(kind)
TRACK_LIST = (120, 32, 41, 20)
PETAL_BAR = (276, 36, 77, 17)
PETAL_LABEL = (360, 40, 60, 13)  # lbl_Fast, with room for a longer number
FILE_LABEL = (152, 72, 269, 33)
FILE_BUTTON = (120, 72, 29, 21)  # Cmd_BGM, on the panel
SET_BUTTON = (284, 148, 81, 25)
CANCEL_BUTTON = (368, 148, 81, 25)
SHAPES = ((252, 8, 101, 21), (8, 8, 101, 21))
LINK = (16, 156, 207, 13)

CHOOSER = "ﾌｧｲﾙを選択"
LOCALES = {"ja": "ja_JP.UTF-8", "default": "C.UTF-8"}


def number_form(n):
    return f" {n}" if n >= 0 else str(n)


def settings_file(petals, kind, repeat, music=""):
    """The file as the dialog writes it into a new one: the four keys in order."""
    text = (f"[Section]\r\n花びらの数={number_form(petals)}\r\nBGM区分={number_form(kind)}\r\n"
            f"BGMﾘﾋﾟｰﾄ={number_form(repeat)}\r\nBGMﾌｧｲﾙ={music}\r\n")
    return text.encode("cp932")


def centre(box):
    x, y, w, h = box
    return x + w // 2, y + h // 2


class DialogCases:
    LOCALE = None  # set by the concrete classes below

    @classmethod
    def setUpClass(cls):
        cls.texture = read_picture(os.path.join(ASSETS, "texture.bmp"))
        cls.option_on = read_picture(os.path.join(ASSETS, "option_on.bmp"))
        cls.option_off = read_picture(os.path.join(ASSETS, "option_off.bmp"))
        # Screenshots go beside the program under test.
        scr = os.environ.get("FLUTTERA_SCR", os.path.join(os.path.dirname(__file__), "../../build/win64/Fluttera.scr"))
        cls.shots = os.path.join(os.path.dirname(os.path.abspath(scr)), "e2e-shots")
        os.makedirs(cls.shots, exist_ok=True)

    def setUp(self):
        self.s = session()
        self.s.kill_wine_programs()
        self.s.remove_ini()
        self.proc = None

    def tearDown(self):
        self.s.kill_wine_programs()

    # -- opening and looking ---------------------------------------------------------------
    def open_dialog(self, ini=None):
        if ini is not None:
            self.s.write_ini(ini)
        self.s.move(5, 5)  # the zoom starts here; the pointer stays off the buttons
        self.proc = self.s.start_scr("/c", env={"LC_ALL": LOCALES[self.LOCALE]})
        self.assertTrue(self.s.wait_window(DIALOG), "no settings dialog")
        self.wid = self.s.windows(DIALOG)[0]
        # Shown in its place and painted: the gradient's middle row and the texture's first
        # pixel. (The window exists, hidden at the screen's corner, before load places it.)
        if not wait_until(self.placed_and_painted):
            png = os.path.join(self.shots, f"unpainted-{self.LOCALE}.png")
            self.s.save_png(png)
            self.fail(f"the dialog was never painted (origin {self.origin}, see {png})")

    def placed_and_painted(self):
        self.origin = self.s.client_origin(self.wid, CLIENT_W, CLIENT_H)
        return self.painted(self.s.screenshot())

    def painted(self, shot):
        return (shot.pixel(*self.form_xy(2, 95)) == (220, 220, 250)
                and shot.pixel(*self.panel_xy(0, 0)) == self.texture.pixel(0, 0))

    def form_xy(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def panel_xy(self, x, y):
        return self.origin[0] + PANEL[0] + x, self.origin[1] + PANEL[1] + y

    def panel_box(self, box):
        x, y, w, h = box
        return (*self.panel_xy(x, y), w, h)

    def form_box(self, box):
        x, y, w, h = box
        return (*self.form_xy(x, y), w, h)

    def region(self, shot, box):
        x, y, w, h = box
        return shot.region(x, y, x + w, y + h)

    def indicators(self, shot):
        """The kind whose indicator shows the chosen picture, or a list when not exactly one;
        each indicator must show one of the two pictures."""
        chosen = []
        for kind, (x, y) in OPTION.items():
            seen = self.region(shot, (*self.panel_xy(x, y), 12, 12))
            self.assertIn(seen, (self.option_on.data, self.option_off.data), f"indicator {kind}")
            if seen == self.option_on.data:
                chosen.append(kind)
        return chosen[0] if len(chosen) == 1 else chosen

    def background(self, on_panel, x, y):
        """What lies behind the controls: the texture on the panel, the gradient on the form."""
        if on_panel:
            return self.texture.pixel(x % self.texture.width, y % self.texture.height)
        v = round(abs(math.sin(y / (CLIENT_H / 3.142))) * 220)  # halves to even, as the dialog
        return v, v, v + 30

    def assert_extent(self, shot, box, on_panel, name):
        """The control covers exactly its box: the middle of each of its edges is drawn, the
        pixel just outside shows the background."""
        x, y, w, h = box
        at = self.panel_xy if on_panel else self.form_xy
        mx, my = x + w // 2, y + h // 2
        for px, py in ((x, my), (x + w - 1, my), (mx, y), (mx, y + h - 1)):
            self.assertNotEqual(shot.pixel(*at(px, py)), self.background(on_panel, px, py), f"{name} edge {px},{py}")
        for px, py in ((x - 1, my), (x + w, my), (mx, y - 1), (mx, y + h)):
            self.assertEqual(shot.pixel(*at(px, py)), self.background(on_panel, px, py), f"{name} beside {px},{py}")

    def click_panel(self, box):
        self.s.click(*self.panel_xy(*centre(box)))

    def click_form(self, box):
        self.s.click(*self.form_xy(*centre(box)))

    def changed(self, box, before):
        return wait_until(lambda: self.region(self.s.screenshot(), box) != before, timeout=5)

    # -- acting ----------------------------------------------------------------------------
    def type_track(self, text):
        x, y, w, h = TRACK_LIST
        self.s.click(*self.panel_xy(x + 10, y + h // 2))  # the edit part, left of the arrow
        self.s.key("ctrl+a")
        self.s.type_text(text)

    def click_bar_right_arrow(self, times=1):
        x, y, w, h = PETAL_BAR
        for _ in range(times):
            self.s.click(*self.panel_xy(x + w - 6, y + h // 2))

    def choose_file(self, windows_path):
        self.click_panel(FILE_BUTTON)
        self.assertTrue(self.s.wait_window(CHOOSER), "no file chooser")
        self.s.type_text(windows_path)
        self.s.key("Return")
        self.assertTrue(self.s.wait_window(CHOOSER, present=False), "the file chooser stayed open")

    def expect_closed(self):
        self.assertTrue(self.s.wait_window(DIALOG, present=False, timeout=10), "the dialog stayed open")
        self.proc.wait(timeout=10)
        self.assertEqual(self.proc.returncode, 0)

    def music_file(self, name):
        """A music file in the program's folder (the settings keep only files that exist);
        returns its Windows path."""
        with open(os.path.join(self.s.program_dir, name), "wb") as f:
            f.write(b"RIFF")
        return "C:\\Fluttera\\" + name

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
        self.assertTrue(wait_until(lambda: self.indicators(self.s.screenshot()) == 1, timeout=5))
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
                self.assertTrue(wait_until(lambda: self.indicators(self.s.screenshot()) == 1, timeout=5))
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
            self.assertTrue(wait_until(lambda: focused() == expected, timeout=5), f"{expected}: {focused()}")
        self.s.key_to(self.wid, "shift+Tab")  # back from the track list to the panel
        self.s.key_to(self.wid, "shift+Tab")
        self.assertTrue(wait_until(lambda: focused() == ["..."], timeout=5), focused())

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
            self.assertTrue(wait_until(lambda: cursor_image(self.s.display) != hand, timeout=5), name)
            self.s.move(*on_link)
            self.assertTrue(wait_until(lambda: cursor_image(self.s.display) == hand, timeout=5),
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
