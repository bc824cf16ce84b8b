"""The settings dialog at 100, 150 and 200 %: with Wine at 96, 144 and 192 dpi (LogPixels),
and moved from a 96-dpi to a 192-dpi monitor (WM_DPICHANGED, sent by a small tool since
Wine shows one monitor), every control stands at its 96-dpi place and size times the scale
(within a pixel), every text fits as its own font draws it, and the buttons' faces are
framed by the pictures drawn for that scale. The screenshots compared are saved beside the
program under test (e2e-shots/dialog-scale-DPI.png and a crop of the client area)."""
import math
import os
import unittest

from fluttera_test.pictures import read_picture
from fluttera_test.session import wait_until

from .dialog_driver import ASSETS, DIALOG, DialogDriver, settings_file
from .shared import tool_path

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
BUTTON_ASSETS = os.path.join(os.path.dirname(ASSETS), "button")
SUFFIX = {96: "", 120: "_125", 144: "_150", 192: "_200"}  # the picture set each DPI uses

# The layout at 96 dpi: (name, parent, left, top, width, height).
CLIENT = (465, 191)
PANEL = (16, 16, 433, 117)
MEASURED = [  # controls whose edges show: windows, frames and bordered boxes
    ("Cmd_Can", "form", 368, 148, 81, 25), ("Cmd_Set", "form", 284, 148, 81, 25),
    ("Cmd_BGM", "panel", 120, 72, 29, 21), ("HS_Fast", "panel", 276, 36, 77, 17),
    ("BGM_Repeat", "panel", 120, 32, 41, 20), ("Shape(2)", "panel", 252, 8, 101, 21),
    ("Shape(6)", "panel", 8, 8, 101, 21), ("lbl_Fname", "panel", 152, 72, 269, 33),
]
OUTLINES = [(252, 8, 101, 21), (8, 8, 101, 21), (152, 72, 269, 33)]  # one-pixel lines drawn on the panel
INDICATORS = [("Img_BGM(1)", 36, 36), ("Img_BGM(0)", 36, 56), ("Img_BGM(2)", 36, 76)]
TEXTS = [  # every text and the box it must stay inside
    ("lbl(4)", "panel", 252, 12, 101, 17), ("lbl(1)", "panel", 8, 12, 101, 17),
    ("lbl_BGM(1)", "panel", 52, 36, 43, 13), ("lbl_BGM(0)", "panel", 52, 56, 23, 13),
    ("lbl_BGM(2)", "panel", 52, 76, 60, 13), ("lbl(2)", "panel", 164, 36, 66, 13),
    ("lbl_Fast", "panel", 360, 40, 28, 13), ("lbl_Fname", "panel", 153, 73, 267, 31),
    ("lbl(7)", "form", 16, 140, 207, 13), ("lbl_URL", "form", 16, 156, 207, 13),
]
BUTTONS = [("Cmd_Can", "form", 368, 148, 81, 25), ("Cmd_Set", "form", 284, 148, 81, 25),
           ("Cmd_BGM", "panel", 120, 72, 29, 21)]
AROUND = {"lbl(4)": "Shape(2)", "lbl(1)": "Shape(6)", "lbl_Fname": "lbl_Fname"}  # frames drawn around a text


def neighbours(name, parent):
    """The boxes of the other controls on the same parent, frames around the text left out."""
    boxes = [("Pic_1", "form", *PANEL)] + MEASURED + TEXTS + [(n, "panel", x, y, 13, 13) for n, x, y in INDICATORS]
    return [(n, rect) for n, p, *rect in boxes if p == parent and n != name and n != AROUND.get(name)]


def scaled(v, dpi):
    return round(v * dpi / 96)  # halves to even, as the dialog


def differs(a, b, tolerance=24):
    return max(abs(x - y) for x, y in zip(a, b)) > tolerance


class DialogAtScale(DialogDriver, unittest.TestCase):
    LOCALE = "ja"
    maxDiff = None

    def setUp(self):
        super().setUp()
        self.dpi = 96

    def tearDown(self):
        super().tearDown()
        self.s.run_wine("reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        self.s.kill_wine_programs()

    # -- the scale's geometry ----------------------------------------------------------------
    def sc(self, v):
        return scaled(v, self.dpi)

    def box(self, left, top, width, height):
        return self.sc(left), self.sc(top), self.sc(width), self.sc(height)

    def client(self):
        return self.sc(CLIENT[0]), self.sc(CLIENT[1])

    def at(self, parent, x, y):
        return self.form_xy(x, y) if parent == "form" else self.panel_xy(x, y)

    def panel_xy(self, x, y):
        return self.origin[0] + self.sc(PANEL[0]) + self.edge + x, self.origin[1] + self.sc(PANEL[1]) + self.edge + y

    def background(self, parent, x, y, outlines=True):
        """What the dialog shows at (x, y) of the form or the panel where no control stands:
        the gradient, or the texture drawn for the scale (with the panel's outlines on it)."""
        if parent == "form":
            s = self.client()[1]
            v = round(abs(math.sin(y / (s / 3.142))) * 220)
            return v, v, v + 30
        line = self.sc(1)
        for l, t, w, h in OUTLINES if outlines else ():
            l, t, w, h = self.box(l, t, w, h)
            inside = l <= x < l + w and t <= y < t + h
            if inside and (x < l + line or x >= l + w - line or y < t + line or y >= t + h - line):
                return 0, 0, 0
        return self.texture.pixel(x % self.texture.width, y % self.texture.height)

    # -- opening at a DPI -----------------------------------------------------------------------
    def open_at(self, dpi, moved_from=None):
        """The dialog at `dpi`: opened on a screen of that DPI, or opened at `moved_from` and
        then told it now stands on a monitor of `dpi`, with a suggested rectangle of the old
        one scaled about its centre."""
        self.dpi = moved_from or dpi
        self.s.kill_wine_programs()
        r = self.s.run_wine("reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(self.dpi),
                            "/f")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.s.kill_wine_programs()
        self.texture = read_picture(os.path.join(ASSETS, f"texture{SUFFIX[self.dpi]}.bmp"))
        self.open_dialog(settings_file(300, 1, 0, self.music_file("sakura.mp3")))
        if moved_from:
            g = self.s.window_geometry(self.wid)
            k = dpi / moved_from
            cx, cy, w, h = g["X"] + g["WIDTH"] / 2, g["Y"] + g["HEIGHT"] / 2, g["WIDTH"] * k, g["HEIGHT"] * k
            suggested = (round(cx - w / 2), round(cy - h / 2), round(cx + w / 2), round(cy + h / 2))
            tool = self.s.start_program(tool_path("dpi_change.exe"), DIALOG, str(dpi), *map(str, suggested))
            self.assertEqual(tool.wait(timeout=60), 0, "dpi_change.exe failed")
            self.dpi = dpi
            self.texture = read_picture(os.path.join(ASSETS, f"texture{SUFFIX[dpi]}.bmp"))
            self.assertTrue(wait_until(self.placed_and_painted), f"not laid out again at {dpi} dpi")
            # Where the system suggested: the same centre, the frame's own size.
            g = self.s.window_geometry(self.wid)
            for at, size, lo, hi in ((g["X"], g["WIDTH"], suggested[0], suggested[2]),
                                     (g["Y"], g["HEIGHT"], suggested[1], suggested[3])):
                self.assertLessEqual(abs(2 * at + size - lo - hi), 2, f"moved to {g}, suggested {suggested}")
        shot = self.s.screenshot()
        name = os.path.join(self.shots, f"dialog-scale-{dpi}" + (f"-from-{moved_from}" if moved_from else ""))
        self.s.save_png(name + ".png")
        w, h = self.client()
        self.s.x("convert", name + ".png", "-crop", f"{w + 2}x{h + 2}+{self.origin[0] - 1}+{self.origin[1] - 1}",
                 "+repage", name + "-client.png")
        print(f"\n  {dpi} dpi: {name}.png")
        return shot

    def placed_and_painted(self):
        """Overrides the driver's: the client area and the panel at this scale."""
        w, h = self.client()
        self.origin = self.s.client_origin(self.wid, w, h)
        shot = self.s.screenshot()
        if shot.pixel(*self.form_xy(2, h // 2)) != self.background("form", 2, h // 2):
            return False
        # The panel's sunken edge is the system's: its width is where the texture begins.
        for self.edge in range(1, 8):
            if shot.region(*self.panel_xy(0, 0), *self.panel_xy(16, 1)) == self.texture.region(0, 0, 16, 1):
                return True
        return False

    def form_xy(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    # -- measuring -------------------------------------------------------------------------------
    def edge_at(self, shot, parent, x, y, dx, dy, reach):
        """Walks from `reach` pixels outside a control's expected edge inwards along (dx, dy)
        and gives the first position the control draws (unlike the background)."""
        for k in range(reach + 1, -reach - 1, -1):
            px, py = x - dx * k, y - dy * k
            if differs(shot.pixel(*self.at(parent, px, py)), self.background(parent, px, py, outlines=False), 0):
                return px, py
        return None

    def measure(self, shot, parent, box):
        """The left, top, width and height the control shows, from the middle of each edge."""
        l, t, w, h = box
        mx, my, reach = l + w // 2, t + h // 2, 2
        left = self.edge_at(shot, parent, l, my, 1, 0, reach)
        right = self.edge_at(shot, parent, l + w - 1, my, -1, 0, reach)
        top = self.edge_at(shot, parent, mx, t, 0, 1, reach)
        bottom = self.edge_at(shot, parent, mx, t + h - 1, 0, -1, reach)
        if None in (left, right, top, bottom):
            return None
        return left[0], top[1], right[0] - left[0] + 1, bottom[1] - top[1] + 1

    def room(self, name, parent, box, margin):
        """Where a text is looked for: its box grown by `margin`, but on a side that faces
        another control only to the middle of the gap between them. Also which sides were
        cut short so."""
        l, t, w, h = box
        r, b = l + w, t + h
        region, facing = [l - margin, t - margin, r + margin, b + margin], set()
        texts = {n for n, *_ in TEXTS}
        for other, orect in neighbours(name, parent):
            if other in texts:
                continue  # the gap to another text is shared out pixel by pixel (ink())
            ol, ot, ow, oh = self.box(*orect)
            if not (ol < region[2] and region[0] < ol + ow and ot < region[3] and region[1] < ot + oh):
                continue
            for side, edge in ((1, (ot + oh + t) // 2 if ot + oh <= t else None),
                               (3, (b + ot + 1) // 2 if ot >= b else None),
                               (0, (ol + ow + l) // 2 if ol + ow <= l else None),
                               (2, (r + ol + 1) // 2 if ol >= r else None)):
                if edge is not None:
                    region[side] = max(region[side], edge) if side < 2 else min(region[side], edge)
                    facing.add(side)
                    break
        return region, facing

    def ink(self, shot, name, parent, region):
        """Bounds (left, top, right, bottom) of what is drawn over the background inside
        `region` (left, top, right, bottom) nearer to this text's box than to any other
        text's, or None."""
        def distance(box, x, y):
            l, t, w, h = box
            return max(l - x, x - (l + w - 1), t - y, y - (t + h - 1), 0)

        own = self.box(*next(rect for n, p, *rect in TEXTS if n == name))
        others = [self.box(*rect) for n, p, *rect in TEXTS if p == parent and n != name and n != AROUND.get(name)]
        xs, ys = [], []
        for y in range(region[1], region[3]):
            for x in range(region[0], region[2]):
                if any(distance(o, x, y) < distance(own, x, y) for o in others):
                    continue
                if differs(shot.pixel(*self.at(parent, x, y)), self.background(parent, x, y)):
                    xs.append(x)
                    ys.append(y)
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None

    # -- the test ----------------------------------------------------------------------------------
    def test_layout_text_and_faces_at_each_scale(self):
        self.sizes96 = {}
        for dpi, moved_from in ((96, None), (144, None), (192, None), (192, 96)):
            with self.subTest(dpi=dpi, moved_from=moved_from):
                self.check_scale(dpi, moved_from)

    def check_scale(self, dpi, moved_from):
        shot = self.open_at(dpi, moved_from)
        worst, tightest, problems, overflows = 0, None, [], []

        # The client area: the gradient runs exactly to the scaled size, the frame after it.
        w, h = self.client()
        self.assertEqual(shot.pixel(*self.form_xy(w - 1, h // 2)), self.background("form", w - 1, h // 2))
        self.assertNotEqual(shot.pixel(*self.form_xy(w, h // 2)), self.background("form", w, h // 2))
        self.assertEqual(shot.pixel(*self.form_xy(2, h - 1)), self.background("form", 2, h - 1))
        self.assertNotEqual(shot.pixel(*self.form_xy(2, h)), self.background("form", 2, h))

        # Every control with visible edges: its 96-dpi rectangle times the scale, within a pixel.
        for name, parent, *rect in [("Pic_1", "form", *PANEL)] + MEASURED:
            want = self.box(*rect)
            seen = self.measure(shot, parent, want)
            if seen is None:
                problems.append(f"{name}: no edge near {want}")
                continue
            deviation = max(abs(a - b) for a, b in zip(seen, want))
            worst = max(worst, deviation)
            if deviation > 1:
                problems.append(f"{name}: {seen}, laid out {want}")

        # The option indicators: the picture drawn for the scale, at the scaled place.
        for name, x, y in INDICATORS:
            kind = "option_on" if name == "Img_BGM(1)" else "option_off"  # the audio CD is chosen
            picture = read_picture(os.path.join(ASSETS, f"{kind}{SUFFIX[dpi]}.bmp"))
            seen = shot.region(*self.panel_xy(self.sc(x), self.sc(y)),
                               *self.panel_xy(self.sc(x) + picture.width, self.sc(y) + picture.height))
            if seen != picture.data:
                problems.append(f"{name}: not the {picture.width}-pixel picture")

        # Every text fits, as drawn in its own font: it keeps to its side of the gap to every
        # other control and within six 96-dpi pixels of its box, and it is its 96-dpi self
        # scaled, not cut and not grown (a text running into another text grows one of them). Its margins to its own box are printed: with a
        # stand-in face some texts pass their boxes by a pixel or three already at 96 dpi,
        # where labels are never cut short.
        for name, parent, *rect in TEXTS:
            box = self.box(*rect)
            region, facing = self.room(name, parent, box, self.sc(6))
            bounds = self.ink(shot, name, parent, region)
            if bounds is None:
                problems.append(f"{name} shows no text")
                continue
            touching = [side for side in range(4) if bounds[side] == region[side]]
            if touching:
                problems.append(f"{name}: text {bounds} reaches the end of its room {region}"
                                + (" towards another control" if facing & set(touching) else ""))
            size = (bounds[2] - bounds[0], bounds[3] - bounds[1])
            if dpi == 96:
                self.sizes96[name] = size
            elif name in self.sizes96:
                want = [v * dpi / 96 for v in self.sizes96[name]]
                if any(abs(a - b) > 2 + b / 10 for a, b in zip(size, want)):
                    problems.append(f"{name}: text {size[0]} x {size[1]}, at 96 dpi scaled {want[0]} x {want[1]}")
            l, t, bw, bh = box
            margin = min(bounds[0] - l, bounds[1] - t, l + bw - bounds[2], t + bh - bounds[3])
            overflows.append(f"{name} {margin}")

        # The buttons: corners and edges are the state picture drawn for this scale, pixel for
        # pixel; the caption lies inside the frame.
        pictures = read_picture(os.path.join(BUTTON_ASSETS, f"normal{SUFFIX[dpi]}.bmp"))
        corner = self.sc(4)
        for name, parent, *rect in BUTTONS:
            l, t, bw, bh = self.box(*rect)
            face = shot.crop(*self.at(parent, l, t), bw, bh)
            pw, ph = pictures.width, pictures.height
            for fx, fy, px, py in ((0, 0, 0, 0), (bw - corner, 0, pw - corner, 0), (0, bh - corner, 0, ph - corner),
                                   (bw - corner, bh - corner, pw - corner, ph - corner)):
                if face.region(fx, fy, fx + corner, fy + corner) != pictures.region(px, py, px + corner, py + corner):
                    problems.append(f"{name}: corner at {fx},{fy} is not the picture's")
            for fy, py in ((0, 0), (bh - corner, ph - corner)):  # the top and bottom edges' middle
                if face.region(bw // 2, fy, bw // 2 + 1, fy + corner) != pictures.region(pw // 2, py, pw // 2 + 1,
                                                                                           py + corner):
                    problems.append(f"{name}: edge at row {fy} is not the picture's")
            caption = self.ink_on_face(face, corner)
            if caption is None:
                problems.append(f"{name} has no caption")
                continue
            margins = (caption[0] - corner, caption[1] - corner, bw - corner - caption[2], bh - corner - caption[3])
            if min(margins) <= 0:
                problems.append(f"{name}: caption {caption} reaches the frame")
            if tightest is None or min(margins) < tightest[1]:
                tightest = (name, min(margins))
        print(f"  {dpi} dpi: largest rectangle deviation {worst} px; caption to frame, tightest {tightest}; "
              f"text to its own box: {', '.join(overflows)}")
        self.assertEqual(problems, [], f"at {dpi} dpi")

    @staticmethod
    def ink_on_face(face, frame):
        """Bounds of the caption's dark pixels on a button face, inside its frame."""
        xs, ys = [], []
        for y in range(frame, face.height - frame):
            for x in range(frame, face.width - frame):
                r, g, b = face.pixel(x, y)
                if r < 0x70 and g < 0x70 and b < 0x90:
                    xs.append(x)
                    ys.append(y)
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


if __name__ == "__main__":
    unittest.main()
