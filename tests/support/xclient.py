"""A client of an X server through libX11 (ctypes): the windows and their properties, the
pixels on the screen, and the requests a pager or a window manager sends (activate, close,
iconify). Pure standard library."""
import ctypes
import ctypes.util
import struct

from checks import TestFailure, wait_for
from picture import Picture


class _XWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int),
        ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
        ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong),
        ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
        ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
        ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
        ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
        ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
        ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
        ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
        ("screen", ctypes.c_void_p),
    ]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
        ("pad", ctypes.c_long * 12),  # an XEvent is 24 longs
    ]


class _XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
        ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
_IO_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)
_IO_ERROR_EXIT_HANDLER = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_void_p)
_IS_VIEWABLE, CLIENT_MESSAGE, _Z_PIXMAP = 2, 33, 2


def load_xlib():
    c_ulong_p = ctypes.POINTER(ctypes.c_ulong)
    x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    signatures = {
        "XOpenDisplay": (ctypes.c_void_p, [ctypes.c_char_p]),
        "XDefaultRootWindow": (ctypes.c_ulong, [ctypes.c_void_p]),
        "XQueryTree": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, c_ulong_p, c_ulong_p,
                                      ctypes.POINTER(c_ulong_p), ctypes.POINTER(ctypes.c_uint)]),
        "XGetWindowAttributes": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong,
                                                ctypes.POINTER(_XWindowAttributes)]),
        "XTranslateCoordinates": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                                 ctypes.c_int, ctypes.c_int, ctypes.POINTER(ctypes.c_int),
                                                 ctypes.POINTER(ctypes.c_int), c_ulong_p]),
        "XInternAtom": (ctypes.c_ulong, [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]),
        "XGetWindowProperty": (ctypes.c_int, [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long, ctypes.c_int,
            ctypes.c_ulong, c_ulong_p, ctypes.POINTER(ctypes.c_int), c_ulong_p, c_ulong_p,
            ctypes.POINTER(ctypes.c_void_p)]),
        "XGetImage": (ctypes.POINTER(_XImage), [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]),
        "XDestroyImage": (ctypes.c_int, [ctypes.POINTER(_XImage)]),
        "XMoveWindow": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int]),
        "XGetInputFocus": (ctypes.c_int, [ctypes.c_void_p, c_ulong_p, ctypes.POINTER(ctypes.c_int)]),
        "XFree": (ctypes.c_int, [ctypes.c_void_p]),
        "XSync": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_int]),
        "XFlush": (ctypes.c_int, [ctypes.c_void_p]),
        "XSelectInput": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]),
        "XPending": (ctypes.c_int, [ctypes.c_void_p]),
        "XNextEvent": (ctypes.c_int, [ctypes.c_void_p, ctypes.POINTER(XClientMessageEvent)]),
        "XCloseDisplay": (ctypes.c_int, [ctypes.c_void_p]),
        "XSetErrorHandler": (ctypes.c_void_p, [_ERROR_HANDLER]),
        "XSetIOErrorHandler": (ctypes.c_void_p, [_IO_ERROR_HANDLER]),
        "XSetIOErrorExitHandler": (None, [ctypes.c_void_p, _IO_ERROR_EXIT_HANDLER, ctypes.c_void_p]),
        "XSendEvent": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                      ctypes.c_void_p]),
        "XSetInputFocus": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]),
        "XDestroyWindow": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong]),
        "XKillClient": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong]),
    }
    for name, (result, arguments) in signatures.items():
        getattr(x, name).restype, getattr(x, name).argtypes = result, arguments
    return x


def _picture_of(image):
    """An XImage (ZPixmap, 32 bits per pixel, as Xvfb's 24-bit screens give) as a Picture."""
    i = image.contents
    if i.bits_per_pixel != 32:
        raise TestFailure(f"unexpected image layout: {i.bits_per_pixel} bits per pixel")
    data = ctypes.string_at(i.data, i.bytes_per_line * i.height)
    out = bytearray(i.width * i.height * 3)
    if i.byte_order == 0 and (i.red_mask, i.green_mask, i.blue_mask) == (0xFF0000, 0xFF00, 0xFF):
        for y in range(i.height):  # the usual case, little-endian 0x00RRGGBB: by slicing
            row = data[y * i.bytes_per_line:y * i.bytes_per_line + 4 * i.width]
            o = y * i.width * 3
            out[o:o + 3 * i.width:3], out[o + 1:o + 3 * i.width:3], out[o + 2:o + 3 * i.width:3] = \
                row[2::4], row[1::4], row[0::4]
        return Picture(i.width, i.height, out)
    order = "<" if i.byte_order == 0 else ">"
    masks = [(m, (m & -m).bit_length() - 1) for m in (i.red_mask, i.green_mask, i.blue_mask)]
    for y in range(i.height):
        for x in range(i.width):
            (value,) = struct.unpack_from(order + "I", data, y * i.bytes_per_line + 4 * x)
            for c, (mask, shift) in enumerate(masks):
                out[(y * i.width + x) * 3 + c] = (value & mask) >> shift
    return Picture(i.width, i.height, out)


class Window:
    """A top-level window as listed: its id, place on the screen, size and title."""

    def __init__(self, wid, x, y, width, height, name, override_redirect):
        self.id, self.x, self.y, self.width, self.height = wid, x, y, width, height
        self.name, self.override_redirect = name, override_redirect

    def __repr__(self):
        return f"<window 0x{self.id:x} {self.name!r} {self.width}x{self.height}+{self.x}+{self.y}>"


class XClient:
    """One connection to an X server. A window may vanish between listing it and asking
    about it, and a test may kill the server on purpose: neither ends the test process."""

    def __init__(self, name):
        self._x = load_xlib()
        self._error_handler = _ERROR_HANDLER(lambda dpy, event: 0)
        self._x.XSetErrorHandler(self._error_handler)
        self.dpy = wait_for(f"a connection to {name}", lambda: self._x.XOpenDisplay(name.encode()), 10)
        self._io_error_handler = _IO_ERROR_HANDLER(lambda dpy: 0)
        self._io_error_exit_handler = _IO_ERROR_EXIT_HANDLER(lambda dpy, data: None)
        self._x.XSetIOErrorHandler(self._io_error_handler)
        self._x.XSetIOErrorExitHandler(self.dpy, self._io_error_exit_handler, None)
        self.root = self._x.XDefaultRootWindow(self.dpy)

    def disconnect(self):
        if self.dpy:
            self._x.XCloseDisplay(self.dpy)
        self.dpy = None

    # -- windows

    def atom(self, name):
        return self._x.XInternAtom(self.dpy, name.encode(), 0)

    def property(self, wid, name):
        """A window property: bytes for 8-bit data, a list of numbers for 32-bit data, None
        when the window has none."""
        kind, fmt = ctypes.c_ulong(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        if self._x.XGetWindowProperty(self.dpy, wid, self.atom(name), 0, 65536, 0, 0, ctypes.byref(kind),
                                      ctypes.byref(fmt), ctypes.byref(count), ctypes.byref(after),
                                      ctypes.byref(data)) != 0 or not data.value:
            return None
        try:
            if fmt.value == 8:
                return ctypes.string_at(data.value, count.value)
            if fmt.value == 32:  # Xlib hands 32-bit items over as longs
                return list((ctypes.c_ulong * count.value).from_address(data.value))
            return None
        finally:
            self._x.XFree(data)

    def title(self, wid):
        for name in ("_NET_WM_NAME", "WM_NAME"):
            value = self.property(wid, name)
            if isinstance(value, bytes) and value:
                return value.decode("utf-8", "replace")
        return ""

    def _attributes(self, wid):
        attributes = _XWindowAttributes()
        return attributes if self._x.XGetWindowAttributes(self.dpy, wid, ctypes.byref(attributes)) else None

    def _tree(self, wid):
        """(parent, children bottom to top) of a window."""
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        self._x.XSync(self.dpy, 0)
        if not self._x.XQueryTree(self.dpy, wid, ctypes.byref(root), ctypes.byref(parent),
                                  ctypes.byref(children), ctypes.byref(count)):
            return None, []
        ids = [children[i] for i in range(count.value)]
        if children:
            self._x.XFree(children)
        return parent.value, ids

    def parent(self, wid):
        return self._tree(wid)[0]

    def windows(self):
        """The viewable top-level windows (with a window manager: its frames), bottom to top."""
        found = []
        for wid in self._tree(self.root)[1]:
            a = self._attributes(wid)
            if a and a.map_state == _IS_VIEWABLE:
                found.append(Window(wid, a.x, a.y, a.width, a.height, self.title(wid), bool(a.override_redirect)))
        return found

    def window_named(self, name):
        return next((w for w in self.windows() if w.name == name), None)

    def windows_of_pid(self, pid, mapped_only=True):
        """The windows, at any depth, that a process marked as its own (_NET_WM_PID), in
        the order of the window tree; only the viewable ones unless mapped_only is false."""
        return self._windows_where(lambda wid: self.property(wid, "_NET_WM_PID") == [pid], mapped_only)

    def windows_of_class(self, name, mapped_only=True):
        """The windows, at any depth, whose WM_CLASS names name as instance or class."""
        return self._windows_where(lambda wid: name in (self.property(wid, "WM_CLASS") or b"").decode(
            "latin-1").split("\0"), mapped_only)

    def _windows_where(self, matches, mapped_only):
        found, pending = [], [self.root]
        while pending:
            wid = pending.pop(0)
            children = self._tree(wid)[1]
            pending += children
            if wid == self.root or not matches(wid):
                continue
            a = self._attributes(wid)
            if a and (not mapped_only or a.map_state == _IS_VIEWABLE):
                found.append(wid)
        return found

    def geometry(self, wid):
        """(x, y, width, height) of a window, x and y on the screen."""
        a = self._attributes(wid)
        x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        if not a or not self._x.XTranslateCoordinates(self.dpy, wid, self.root, 0, 0, ctypes.byref(x),
                                                      ctypes.byref(y), ctypes.byref(child)):
            raise TestFailure(f"no window 0x{wid:x}")
        return x.value, y.value, a.width, a.height

    # -- screen

    def grab(self, wid=None):
        """The screen, or one window's area of it. The server leaves the pointer out."""
        a = self._attributes(wid or self.root)
        image = a and self._x.XGetImage(self.dpy, wid or self.root, 0, 0, a.width, a.height, ~0, _Z_PIXMAP)
        if not image:
            raise TestFailure(f"cannot read the pixels of {'the screen' if wid is None else hex(wid)}")
        try:
            return _picture_of(image)
        finally:
            self._x.XDestroyImage(image)

    # -- requests

    def focus(self, wid):
        """Gives a window the keyboard focus directly (for displays without a window manager)."""
        self._x.XSetInputFocus(self.dpy, wid, 1, 0)  # RevertToPointerRoot, CurrentTime
        self._x.XSync(self.dpy, 0)

    def _focused(self, wid):
        focus, revert = ctypes.c_ulong(), ctypes.c_int()
        self._x.XGetInputFocus(self.dpy, ctypes.byref(focus), ctypes.byref(revert))
        window = focus.value
        while window and window != self.root:
            if window == wid:
                return True
            window = self.parent(window)
        return False

    def activate(self, wid):
        """Asks the window manager to make a window the active one, and waits until it is
        and has the keyboard focus."""
        if self.property(self.root, "_NET_ACTIVE_WINDOW") != [wid] or not self._focused(wid):
            self.client_message(wid, "_NET_ACTIVE_WINDOW", [2, 0], to=self.root)  # 2: a pager asks
        wait_for(f"window 0x{wid:x} to become active",
                 lambda: self.property(self.root, "_NET_ACTIVE_WINDOW") == [wid] and self._focused(wid))

    def request_close(self, wid):
        """What a window manager does for the close button of a title bar: a
        WM_DELETE_WINDOW message to the window."""
        self.client_message(wid, "WM_PROTOCOLS", [self.atom("WM_DELETE_WINDOW"), 0])

    def minimize(self, wid):
        """Asks the window manager to iconify a window, as its minimize button does."""
        self.client_message(wid, "WM_CHANGE_STATE", [3], to=self.root)  # IconicState

    def destroy(self, wid, moved_first=False):
        """Destroys a window from another client, as a misbehaving program may. moved_first:
        moves it just before, so that its program, when it has not read its events in the
        meantime, learns of the move only after the window is gone."""
        if moved_first:
            self._x.XMoveWindow(self.dpy, wid, 7, 11)
        self._x.XDestroyWindow(self.dpy, wid)
        self._x.XSync(self.dpy, 0)

    def kill_client(self, wid):
        """Closes the X connection of the program that made a window, as xkill does."""
        self._x.XKillClient(self.dpy, wid)
        self._x.XSync(self.dpy, 0)

    def client_message(self, wid, kind, data, to=None):
        event = XClientMessageEvent()
        event.type, event.window, event.format = CLIENT_MESSAGE, wid, 32
        event.message_type = self.atom(kind)
        for i, value in enumerate(data):
            event.data[i] = value
        mask = 0x180000 if to else 0  # SubstructureRedirect | SubstructureNotify, to the window manager
        self._x.XSendEvent(self.dpy, to or wid, 0, mask, ctypes.byref(event))
        self._x.XSync(self.dpy, 0)
