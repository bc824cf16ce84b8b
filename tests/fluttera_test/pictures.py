"""Pictures for the tests: RGB images read through ImageMagick, and the count of petal
pixels a screenshot shows over the desktop picture under it.

As a command: python3 -m fluttera_test.pictures DESKTOP SCREENSHOT
prints that count (any pictures ImageMagick reads, of the same size)."""
import subprocess
import sys


class Image:
    """An RGB picture: width, height and its bytes, three to a pixel, row after row."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @staticmethod
    def parse_ppm(raw):
        fields, pos = [], 0
        while len(fields) < 4:
            while raw[pos:pos + 1].isspace():
                pos += 1
            if raw[pos:pos + 1] == b"#":
                pos = raw.index(b"\n", pos)
                continue
            end = pos
            while not raw[end:end + 1].isspace():
                end += 1
            fields.append(raw[pos:end])
            pos = end
        pos += 1
        assert fields[0] == b"P6" and fields[3] == b"255", fields
        return Image(int(fields[1]), int(fields[2]), raw[pos:])

    @staticmethod
    def read_ppm(path):
        with open(path, "rb") as f:
            return Image.parse_ppm(f.read())

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, x, y, w, h):
        """The w x h picture whose top-left corner is (x, y)."""
        return Image(w, h, self.region(x, y, x + w, y + h))

    def region(self, x0, y0, x1, y1):
        """Bytes of the rows x0..x1-1 of lines y0..y1-1, for comparisons."""
        rows = []
        for y in range(y0, y1):
            i = (y * self.width + x0) * 3
            rows.append(self.data[i:i + (x1 - x0) * 3])
        return b"".join(rows)


def known_points(areas):
    """Where a picture is checked: the middle and four inner corners of each area (left,
    top, width, height), say each monitor."""
    return [(x + dx * (w - 1) // 4, y + dy * (h - 1) // 4) for x, y, w, h in areas
            for dx, dy in ((2, 2), (1, 1), (3, 1), (1, 3), (3, 3))]


def differences(shot, picture, points, off=3):
    """The points at which the screenshot does not show the picture, each channel within
    `off` (ImageMagick's display rounds a level or two otherwise than convert):
    [(point, shown, wanted)]."""
    return [(p, shot.pixel(*p), picture.pixel(*p)) for p in points
            if any(abs(a - b) > off for a, b in zip(shot.pixel(*p), picture.pixel(*p)))]


def read_picture(path, size=None):
    """Any picture file ImageMagick reads (BMP, PNG...), as an Image; stretched to size
    (width, height) when given."""
    stretch = ["-resize", "{}x{}!".format(*size)] if size else []
    out = subprocess.run(["convert", path, *stretch, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    return Image.parse_ppm(out)


def is_pink(r, g, b):
    """A petal's colour: red clearly above green, and not below blue."""
    return r > g + 25 and r >= b


def pink_pixels(image):
    """How many pixels of the picture have a petal's colour."""
    d = image.data
    return sum(1 for i in range(0, len(d), 3) if is_pink(d[i], d[i + 1], d[i + 2]))


def petal_band(width):
    """The columns petals can ever be drawn in on a screen (or monitor) of that width:
    (first, past the last). The drift's centre lies between 3/8 and about 17/24 of the
    width, the drift reaches 275 pixels either side, and a sprite is 16 pixels wide."""
    return int(width * 3 / 8) - 275 - 2, int(width * 3 / 8 + width / 3) + 275 + 16 + 2


def pink_changes(base, shot):
    """Pink pixels of `shot` that differ from `base` (two Images of one size)."""
    if (base.width, base.height) != (shot.width, shot.height):
        raise ValueError(f"the pictures differ in size: {base.width}x{base.height} and {shot.width}x{shot.height}")
    a, b = base.data, shot.data
    return sum(1 for i in range(0, len(b), 3) if is_pink(*b[i:i + 3]) and a[i:i + 3] != b[i:i + 3])


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    print(pink_changes(read_picture(sys.argv[1]), read_picture(sys.argv[2])))
