"""The Wine that runs the Windows programs: the choice scripts/wine-env.sh makes (32-bit
Wine and the 32-bit build where this kernel runs 32-bit programs, 64-bit Wine and the x86_64
build elsewhere; FLUTTERA_WINE32 names the 32-bit loader to try), read from that script so
that the shell scripts and the tests never differ. Also the environment a test's Wine
folder runs with, and making such a folder."""
import functools
import os
import subprocess
from collections import namedtuple

from . import ROOT

Wine = namedtuple("Wine", "preset loader server overrides said")
Wine.__doc__ = """preset: win32 or win64 (the CMake preset and WINEARCH); loader and server:
the Wine programs; overrides: WINEDLLOVERRIDES for tests; said: one line saying which."""


@functools.lru_cache(maxsize=None)
def _ask(arch, wine32):
    pick = f"fluttera_wine_for {arch}" if arch else "fluttera_choose_wine"
    r = subprocess.run(
        ["bash", "-c", f'. scripts/wine-env.sh && {pick} && printf "%s\\n" "$FLUTTERA_PRESET" '
                       f'"$FLUTTERA_WINE" "$FLUTTERA_WINESERVER" "$FLUTTERA_WINEDLLOVERRIDES" '
                       f'"$(fluttera_wine_said)"'],
        cwd=ROOT, capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError(f"scripts/wine-env.sh chose no Wine: {r.stderr.strip()}")
    return Wine(*r.stdout.splitlines()[:5])


def choose(arch=None):
    """The Wine of this machine (arch None), or the one for a given layout (win32, win64)."""
    return _ask(arch, os.environ.get("FLUTTERA_WINE32"))


def scr_path(name="Fluttera.scr"):
    """A program of the build that the chosen Wine runs (build/win32 or build/win64)."""
    return os.path.join(ROOT, "build", choose().preset, name)


def environment(prefix, display, wine=None):
    """os.environ with a Wine folder, a display and a quiet Wine (no Mono or Gecko
    installer, no menu entries; FLUTTERA_WINEDEBUG asks for traces)."""
    wine = wine or choose()
    return dict(os.environ, DISPLAY=display, WINEPREFIX=prefix, WINEARCH=wine.preset,
                WINEDEBUG=os.environ.get("FLUTTERA_WINEDEBUG", "-all"), WINEDLLOVERRIDES=wine.overrides)


def make_prefix(wine, env, unmanaged=False):
    """Makes the Wine folder of `env` and waits until Wine has finished with it. With
    unmanaged, windows are not handed to a window manager: without one, Wine otherwise
    waits two seconds for it whenever a managed window hides."""
    quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([wine.loader, "wineboot", "-i"], timeout=300, **quiet)
    if unmanaged:
        subprocess.run([wine.loader, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N",
                        "/f"], timeout=120, **quiet)
    subprocess.run([wine.server, "-w"], env=env, timeout=300)
