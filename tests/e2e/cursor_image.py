#!/usr/bin/env python3
"""Prints the X server's current cursor as the user sees it: width, height, hot spot and a
digest of its ARGB pixels (XFixes). Usage: cursor_image.py (DISPLAY chosen by the caller)."""
import ctypes
import hashlib
import sys


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong),
                ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def main():
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        print("no display", file=sys.stderr)
        return 1
    pointer = xfixes.XFixesGetCursorImage(display)
    if not pointer:
        print("no cursor image", file=sys.stderr)
        return 1
    image = pointer.contents
    # Each pixel is one ARGB value in a C long, whatever the long's width.
    pixels = b"".join((image.pixels[i] & 0xFFFFFFFF).to_bytes(4, "little")
                      for i in range(image.width * image.height))
    print(image.width, image.height, image.xhot, image.yhot,
          hashlib.sha1(pixels).hexdigest())
    x11.XFree(pointer)
    x11.XCloseDisplay(display)
    return 0


if __name__ == "__main__":
    sys.exit(main())
