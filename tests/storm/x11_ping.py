"""Asks a window's client whether it still handles events: the _NET_WM_PING of the EWMH,
sent and awaited through libX11 (ctypes), as a window manager does before it offers to
kill a program that has stopped answering.

The client answers by sending the message back to the root window; we listen there for
SubstructureNotify, which such a message also reaches.
"""
import ctypes
import ctypes.util
import time

_CLIENT_MESSAGE = 33
_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class Pinger:
    """One connection to the X server; ping(window) is True when the client answered in time."""

    def __init__(self, display_name):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XInternAtom.restype = ctypes.c_ulong
        self.x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                      ctypes.POINTER(_Event)]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        # A ping to a window that has just gone gives BadWindow: not fatal here.
        self._handler = _ERROR_HANDLER(lambda display, error: 0)
        self.x.XSetErrorHandler(self._handler)
        self.display = self.x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise AssertionError("cannot open display " + display_name)
        self.root = self.x.XDefaultRootWindow(self.display)
        self.protocols = self.x.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        self.ping_atom = self.x.XInternAtom(self.display, b"_NET_WM_PING", 0)
        self.x.XSelectInput(self.display, self.root, _SUBSTRUCTURE_NOTIFY_MASK)
        self.serial = 0

    def ping(self, window, deadline):
        self.serial += 1
        event = _Event()
        event.xclient.type = _CLIENT_MESSAGE
        event.xclient.window = window
        event.xclient.message_type = self.protocols
        event.xclient.format = 32
        event.xclient.l[0] = self.ping_atom
        event.xclient.l[1] = self.serial  # the timestamp field: ours to match the answer by
        event.xclient.l[2] = window
        self.x.XSendEvent(self.display, window, 0, 0, ctypes.byref(event))
        self.x.XFlush(self.display)
        end = time.monotonic() + deadline
        answer = _Event()
        while time.monotonic() < end:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, ctypes.byref(answer))
                c = answer.xclient
                if (answer.type == _CLIENT_MESSAGE and c.message_type == self.protocols and
                        c.l[0] == self.ping_atom and c.l[1] == self.serial and c.l[2] == window):
                    return True
            time.sleep(0.01)
        return False

    def close(self):
        self.x.XCloseDisplay(self.display)
