#!/usr/bin/env python3
"""Times how long a program takes to answer the next event, for tools/measure_start.sh.

Started once, before the actions, so that its own start (and the connection to the X
server) is not in the figures. For each line read from standard input (the wall-clock
time, in seconds, when an action began) it asks the owner of the clipboard for its text
at once and prints the seconds from that time until the answer came. The owner answers
on its interface thread, so the answer comes when that thread is free again.
"""
import ctypes
import select
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XCreateSimpleWindow.restype = ctypes.c_ulong
x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 4 + [ctypes.c_uint] + [ctypes.c_ulong] * 2
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XConvertSelection.argtypes = [ctypes.c_void_p] + [ctypes.c_ulong] * 5
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XPending.argtypes = [ctypes.c_void_p]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
x11.XDeleteProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]

SELECTION_NOTIFY = 31
CURRENT_TIME = 0


def main():
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    window = x11.XCreateSimpleWindow(display, x11.XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)
    clipboard = x11.XInternAtom(display, b"CLIPBOARD", 0)
    utf8 = x11.XInternAtom(display, b"UTF8_STRING", 0)
    prop = x11.XInternAtom(display, b"VERLO_PROBE", 0)
    fd = x11.XConnectionNumber(display)
    event = ctypes.create_string_buffer(192)
    for line in sys.stdin:
        began = float(line)
        x11.XConvertSelection(display, clipboard, utf8, prop, window, CURRENT_TIME)
        x11.XFlush(display)
        answered = None
        deadline = time.time() + 30
        while answered is None and time.time() < deadline:
            while x11.XPending(display):
                x11.XNextEvent(display, event)
                if ctypes.c_int.from_buffer(event).value == SELECTION_NOTIFY:
                    answered = time.time()
            if answered is None:
                select.select([fd], [], [], 0.5)
        x11.XDeleteProperty(display, window, prop)
        print("%.3f" % (answered - began) if answered else "none", flush=True)


main()
