"""Drives the settings dialog under Wine as a person would: opens it, finds where its
controls are on the screen, clicks, types and chooses files, and reads what it shows."""
import math
import os

from fluttera_test.pictures import read_picture
from fluttera_test.session import GUARD, wait_until

from .shared import DIALOG, session, tool_path

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


class DialogDriver:
    """A mixin for a TestCase: LOCALE names one of LOCALES."""
    LOCALE = None

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
        self.proc = self.s.start_scr_shown(DIALOG, "/c", env={"LC_ALL": LOCALES[self.LOCALE]})
        self.assertTrue(self.proc, "no settings dialog")
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
        return wait_until(lambda: self.region(self.s.screenshot(), box) != before)

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
        # Typed, a letter the keyboard lacks gets a key mapped for a moment only, which a busy
        # Wine may read after the mapping is gone: the name is put into the field instead.
        r = self.s.run_wine(tool_path("file_fault.exe"), "name", CHOOSER, DIALOG, windows_path)
        self.assertEqual(r.returncode, 0, "the name never reached the file chooser")
        if not self.s.wait_window(CHOOSER, present=False):
            png = os.path.join(self.shots, f"chooser-{self.LOCALE}.png")
            self.s.save_png(png)
            self.fail(f"the file chooser stayed open (see {png})")

    def expect_closed(self):
        self.assertTrue(self.s.wait_window(DIALOG, present=False), "the dialog stayed open")
        self.proc.wait(timeout=GUARD)
        self.assertEqual(self.proc.returncode, 0)

    def music_file(self, name):
        """A music file in the program's folder (the settings keep only files that exist);
        returns its Windows path."""
        with open(os.path.join(self.s.program_dir, name), "wb") as f:
            f.write(b"RIFF")
        return "C:\\Fluttera\\" + name

