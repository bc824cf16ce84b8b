"""The mouse pointer's picture, as the X server shows it and as a Windows cursor file
holds it, in one form for comparing them."""
import ctypes
import struct


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def cursor_image(display):
    """The mouse pointer's picture on an X display (XFixes): (width, height, hot x, hot y,
    pixels), each pixel None where transparent, else its (r, g, b)."""
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    xfixes = ctypes.cdll.LoadLibrary("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesQueryVersion.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    d = x11.XOpenDisplay(display.encode())
    if not d:
        raise RuntimeError(f"cannot open display {display}")
    try:
        major, minor = ctypes.c_int(5), ctypes.c_int(0)
        xfixes.XFixesQueryVersion(d, ctypes.byref(major), ctypes.byref(minor))
        ptr = xfixes.XFixesGetCursorImage(d)
        if not ptr:
            raise RuntimeError("no cursor image")
        img = ptr.contents
        pixels = []
        for i in range(img.width * img.height):
            argb = img.pixels[i] & 0xFFFFFFFF
            pixels.append(((argb >> 16) & 255, (argb >> 8) & 255, argb & 255) if argb >> 24 else None)
        result = (img.width, img.height, img.xhot, img.yhot, pixels)
        x11.XFree(ptr)
        return result
    finally:
        x11.XCloseDisplay(d)


def read_monochrome_cursor(path):
    """A 1-bit Windows cursor file's first picture, in the form cursor_image gives."""
    with open(path, "rb") as f:
        raw = f.read()
    width, height = raw[6] or 256, raw[7] or 256
    xhot, yhot = struct.unpack_from("<HH", raw, 10)
    offset = struct.unpack_from("<I", raw, 18)[0]
    header = struct.unpack_from("<IiiHH", raw, offset)
    assert header[4] == 1, "only 1-bit cursors"
    palette = [tuple(raw[offset + header[0] + 4 * i + k] for k in (2, 1, 0)) for i in range(2)]
    stride = ((width + 31) // 32) * 4
    xor = offset + header[0] + 8
    mask = xor + stride * height

    def bit(base, x, y):  # rows are stored bottom-up
        return (raw[base + (height - 1 - y) * stride + x // 8] >> (7 - x % 8)) & 1

    pixels = [None if bit(mask, x, y) else palette[bit(xor, x, y)] for y in range(height) for x in range(width)]
    return width, height, xhot, yhot, pixels
