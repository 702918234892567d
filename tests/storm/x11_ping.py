"""Asks a window's client whether it still handles events: the _NET_WM_PING of the EWMH,
sent and awaited over a connection of its own, as a window manager does before it offers
to kill a program that has stopped answering.

The client answers by sending the message back to the root window; we listen there for
SubstructureNotify, which such a message also reaches.
"""
import ctypes
import time

from xclient import CLIENT_MESSAGE, XClient, XClientMessageEvent

_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class Pinger(XClient):
    """ping(window) is True when the client answered in time. A ping to a window that has
    just gone gives BadWindow, which XClient ignores."""

    def __init__(self, display_name):
        super().__init__(display_name)
        self.protocols = self.atom("WM_PROTOCOLS")
        self.ping_atom = self.atom("_NET_WM_PING")
        self._x.XSelectInput(self.dpy, self.root, _SUBSTRUCTURE_NOTIFY_MASK)
        self.serial = 0

    def ping(self, window, deadline):
        self.serial += 1
        # the timestamp field (data[1]) is ours to match the answer by
        self.client_message(window, "WM_PROTOCOLS", [self.ping_atom, self.serial, window])
        end = time.monotonic() + deadline
        answer = XClientMessageEvent()
        while time.monotonic() < end:
            while self._x.XPending(self.dpy):
                self._x.XNextEvent(self.dpy, ctypes.byref(answer))
                if (answer.type == CLIENT_MESSAGE and answer.message_type == self.protocols and
                        answer.data[0] == self.ping_atom and answer.data[1] == self.serial and
                        answer.data[2] == window):
                    return True
            time.sleep(0.01)
        return False
