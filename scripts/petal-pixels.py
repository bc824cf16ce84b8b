"""Counts the pink pixels of a screenshot that differ from the desktop picture under it.

Usage: petal-pixels.py DESKTOP SCREENSHOT   (any pictures ImageMagick reads, same size)
Prints the count. Petals are pink: red clearly above green, and not below blue.
"""
import subprocess
import sys


def rgb(path):
    """Width, height and the RGB bytes of a picture, through ImageMagick."""
    out = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                         capture_output=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:
        end = pos
        while not out[end:end + 1].isspace():
            end += 1
        fields.append(out[pos:end])
        pos = end + 1
    return int(fields[1]), int(fields[2]), out[pos:]


def pink_changes(base, shot):
    if base[:2] != shot[:2]:
        raise SystemExit(f"the pictures differ in size: {base[:2]} and {shot[:2]}")
    a, b = base[2], shot[2]
    count = 0
    for i in range(0, len(b), 3):
        r, g, bl = b[i], b[i + 1], b[i + 2]
        if r > g + 25 and r >= bl and a[i:i + 3] != b[i:i + 3]:
            count += 1
    return count


if __name__ == "__main__":
    print(pink_changes(rgb(sys.argv[1]), rgb(sys.argv[2])))
