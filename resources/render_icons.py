#!/usr/bin/python3
"""Renders kesto.svg to the PNG sizes of the icon theme, through gdk-pixbuf's
SVG loader (librsvg). Run once after changing the drawing; the PNGs are kept
in the repository so that building needs no renderer."""
import ctypes
import os

pixbuf = ctypes.CDLL("libgdk_pixbuf-2.0.so.0")
gobject = ctypes.CDLL("libgobject-2.0.so.0")
pixbuf.gdk_pixbuf_new_from_file_at_size.restype = ctypes.c_void_p
pixbuf.gdk_pixbuf_new_from_file_at_size.argtypes = [
    ctypes.c_char_p, ctypes.c_int, ctypes.c_int, ctypes.POINTER(ctypes.c_void_p)]
pixbuf.gdk_pixbuf_save.argtypes = [
    ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p),
    ctypes.c_void_p]
gobject.g_object_unref.argtypes = [ctypes.c_void_p]

here = os.path.dirname(os.path.abspath(__file__))
source = os.path.join(here, "kesto.svg").encode()
for size in (16, 32, 48):
    error = ctypes.c_void_p()
    image = pixbuf.gdk_pixbuf_new_from_file_at_size(source, size, size, ctypes.byref(error))
    if not image:
        raise SystemExit("cannot render kesto.svg")
    target = os.path.join(here, f"kesto-{size}.png").encode()
    if not pixbuf.gdk_pixbuf_save(image, target, b"png", ctypes.byref(error), None):
        raise SystemExit(f"cannot write {target.decode()}")
    gobject.g_object_unref(image)
