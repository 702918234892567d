"""Driving a program's windows on a private Xvfb display, for the Windows build under Wine
and for the Linux build alike.

Everything here waits on events (a window appears, pixels take a value, a process ends),
never on fixed sleeps: each wait polls its condition and fails with a description of what
it last saw once its time limit is up.

Pure standard library: the X client calls go through ctypes to libX11 and libXtst; the
screen is read from the XWD file that Xvfb keeps of its framebuffer (-fbdir).
"""

import ctypes
import ctypes.util
import os
import shutil
import struct
import subprocess
import tempfile
import time
import zlib

SCREEN_W, SCREEN_H = 1024, 768


class TestFailure(Exception):
    pass


def end_with_parent():
    """For subprocess's preexec_fn: the child gets SIGTERM when the test process goes away
    (a test killed at its time limit leaves no X server or program behind)."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, 15, 0, 0, 0)  # PR_SET_PDEATHSIG, SIGTERM


def wait_for(what, condition, timeout, interval=0.02):
    """Polls condition() until it returns a truthy value, which is returned."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = condition()
        if last:
            return last
        if time.monotonic() > deadline:
            raise TestFailure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


# ---------------------------------------------------------------------------------------
# Pictures


class Picture:
    """An RGB picture: width, height and a bytes object of 3 bytes per pixel."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            return None
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i : i + 3])

    def crop(self, x, y, w, h):
        out = bytearray()
        for row in range(y, y + h):
            if 0 <= row < self.height and x >= 0 and x + w <= self.width:
                i = (row * self.width + x) * 3
                out += self.rgb[i : i + 3 * w]
            else:
                for col in range(x, x + w):
                    out += bytes(self.pixel(col, row) or (0, 0, 0))
        return Picture(w, h, out)

    def write_png(self, path):
        raw = bytearray()
        stride = self.width * 3
        for y in range(self.height):
            raw.append(0)
            raw += self.rgb[y * stride : (y + 1) * stride]

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data
                    + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                    + chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


def read_png(path):
    """An 8-bit RGB or RGBA PNG (no interlace) as a Picture; alpha is dropped."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise TestFailure(f"{path} is not a PNG")
    at, idat, header = 8, b"", None
    while at < len(data):
        (length,) = struct.unpack(">I", data[at : at + 4])
        kind, body = data[at + 4 : at + 8], data[at + 8 : at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise TestFailure(f"{path}: only 8-bit RGB or RGBA PNGs are read here")
    channels = 3 if colour == 2 else 4
    stride = width * channels
    raw = zlib.decompress(idat)
    prior = bytearray(stride)
    out = bytearray()
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            left = row[i - channels] if i >= channels else 0
            up = prior[i]
            upper_left = prior[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + left) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + up) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - upper_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else upper_left
                row[i] = (row[i] + predictor) & 0xFF
        prior = row
        if channels == 3:
            out += row
        else:
            for i in range(0, stride, 4):
                out += row[i : i + 3]
    return Picture(width, height, out)


def read_xwd(path):
    """The picture in an XWD file with a TrueColor visual (as Xvfb's -fbdir writes it)."""
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _version, pixmap_format, _depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14:17]
    ncolors = fields[19]
    if pixmap_format != 2 or bits_per_pixel != 32:
        raise TestFailure(f"unexpected XWD layout: format {pixmap_format}, {bits_per_pixel} bpp")
    offset = header_size + 12 * ncolors
    order = "<" if byte_order == 0 else ">"
    shifts = [(mask, (mask & -mask).bit_length() - 1) for mask in (red_mask, green_mask, blue_mask)]
    out = bytearray(width * height * 3)
    # The usual case, little-endian 0x00RRGGBB, converts by slicing.
    if order == "<" and (red_mask, green_mask, blue_mask) == (0xFF0000, 0xFF00, 0xFF):
        for y in range(height):
            row = data[offset + y * bytes_per_line : offset + y * bytes_per_line + 4 * width]
            o = y * width * 3
            out[o : o + 3 * width : 3] = row[2::4]
            out[o + 1 : o + 3 * width : 3] = row[1::4]
            out[o + 2 : o + 3 * width : 3] = row[0::4]
        return Picture(width, height, out)
    for y in range(height):
        base = offset + y * bytes_per_line
        for x in range(width):
            (value,) = struct.unpack_from(order + "I", data, base + 4 * x)
            o = (y * width + x) * 3
            for c, (mask, shift) in enumerate(shifts):
                out[o + c] = (value & mask) >> shift
    return Picture(width, height, out)


# ---------------------------------------------------------------------------------------
# The X display


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


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
        ("pad", ctypes.c_long * 12),  # an XEvent is 24 longs
    ]


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class Window:
    def __init__(self, wid, x, y, width, height, name, override_redirect):
        self.id, self.x, self.y, self.width, self.height = wid, x, y, width, height
        self.name, self.override_redirect = name, override_redirect

    def __repr__(self):
        return f"<window 0x{self.id:x} {self.name!r} {self.width}x{self.height}+{self.x}+{self.y}>"


class Display:
    """A private Xvfb server with its framebuffer in a file, and a client connection to it."""

    def __init__(self, workdir, width=SCREEN_W, height=SCREEN_H):
        self.fbdir = tempfile.mkdtemp(prefix="xvfb-", dir=workdir)
        read_fd, write_fd = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-fbdir", self.fbdir, "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=end_with_parent)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                byte = pipe.read(1)
                if not byte:
                    break
                number += byte
        if not number.strip():
            self.server.kill()
            raise TestFailure("Xvfb did not start")
        self.name = ":" + number.decode().strip()
        self.fbfile = os.path.join(self.fbdir, "Xvfb_screen0")
        self._x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self._xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        x = self._x
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                           ctypes.POINTER(_XWindowAttributes)]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x.XKeysymToKeycode.restype = ctypes.c_ubyte
        x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XStringToKeysym.restype = ctypes.c_ulong
        x.XStringToKeysym.argtypes = [ctypes.c_char_p]
        x.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
        x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                 ctypes.c_void_p]
        x.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
        self._xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                    ctypes.c_int, ctypes.c_ulong]
        self._xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                    ctypes.c_ulong]
        self._xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                 ctypes.c_ulong]
        # A window may vanish between listing it and asking for its attributes: ignore
        # such errors instead of letting Xlib end the process.
        self._error_handler = _ERROR_HANDLER(lambda dpy, event: 0)
        x.XSetErrorHandler(self._error_handler)
        self.dpy = wait_for(f"a connection to {self.name}",
                            lambda: x.XOpenDisplay(self.name.encode()), 10)
        self.root = x.XDefaultRootWindow(self.dpy)
        self._net_wm_name = x.XInternAtom(self.dpy, b"_NET_WM_NAME", 0)
        self._wm_name = x.XInternAtom(self.dpy, b"WM_NAME", 0)
        wait_for("the framebuffer file", lambda: os.path.exists(self.fbfile), 10)
        # The pointer starts in the middle of the screen, where it would cover the window.
        self.park()

    def close(self):
        if self.dpy:
            self._x.XCloseDisplay(self.dpy)
            self.dpy = None
        if self.server.poll() is None:
            self.server.terminate()
            try:
                self.server.wait(10)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()
        shutil.rmtree(self.fbdir, ignore_errors=True)

    # -- screen

    def grab(self):
        return read_xwd(self.fbfile)

    # -- windows

    def _name(self, wid):
        for atom in (self._net_wm_name, self._wm_name):
            actual_type, actual_format = ctypes.c_ulong(), ctypes.c_int()
            nitems, after, prop = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
            status = self._x.XGetWindowProperty(
                self.dpy, wid, atom, 0, 1024, 0, 0, ctypes.byref(actual_type),
                ctypes.byref(actual_format), ctypes.byref(nitems), ctypes.byref(after),
                ctypes.byref(prop))
            if status == 0 and prop.value:
                try:
                    if actual_format.value == 8 and nitems.value:
                        raw = ctypes.string_at(prop.value, nitems.value)
                        return raw.decode("utf-8", "replace")
                finally:
                    self._x.XFree(prop)
        return ""

    def windows(self):
        """The viewable top-level windows, bottom to top."""
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        self._x.XSync(self.dpy, 0)
        if not self._x.XQueryTree(self.dpy, self.root, ctypes.byref(root), ctypes.byref(parent),
                                  ctypes.byref(children), ctypes.byref(count)):
            return []
        ids = [children[i] for i in range(count.value)]
        if children:
            self._x.XFree(children)
        found = []
        for wid in ids:
            attributes = _XWindowAttributes()
            if not self._x.XGetWindowAttributes(self.dpy, wid, ctypes.byref(attributes)):
                continue
            if attributes.map_state != 2:  # IsViewable
                continue
            found.append(Window(wid, attributes.x, attributes.y, attributes.width,
                                attributes.height, self._name(wid),
                                bool(attributes.override_redirect)))
        return found

    def window_named(self, name):
        for window in self.windows():
            if window.name == name:
                return window
        return None

    # -- input (XTEST: as if from the real mouse and keyboard)

    def move(self, x, y):
        self._xtst.XTestFakeMotionEvent(self.dpy, -1, int(x), int(y), 0)
        self._x.XSync(self.dpy, 0)

    def click(self, x, y, button=1):
        """Clicks at a screen position, then parks the pointer in the screen's bottom right
        corner: Xvfb draws the pointer into the framebuffer, over what the screenshots read."""
        self.move(x, y)
        self._xtst.XTestFakeButtonEvent(self.dpy, button, 1, 0)
        self._x.XSync(self.dpy, 0)
        self._xtst.XTestFakeButtonEvent(self.dpy, button, 0, 0)
        self._x.XSync(self.dpy, 0)
        self.park()

    def park(self):
        self.move(SCREEN_W - 1, SCREEN_H - 1)

    def focus(self, wid):
        """Gives a window the keyboard focus (the displays have no window manager to do it)."""
        self._x.XSetInputFocus(self.dpy, wid, 1, 0)  # RevertToPointerRoot, CurrentTime
        self._x.XSync(self.dpy, 0)

    def request_close(self, wid):
        """What a window manager does for the close button of a title bar: a WM_DELETE_WINDOW
        message to the window."""
        event = _XClientMessageEvent()
        event.type = 33  # ClientMessage
        event.window = wid
        event.message_type = self._x.XInternAtom(self.dpy, b"WM_PROTOCOLS", 0)
        event.format = 32
        event.data[0] = self._x.XInternAtom(self.dpy, b"WM_DELETE_WINDOW", 0)
        event.data[1] = 0  # CurrentTime
        self._x.XSendEvent(self.dpy, wid, 0, 0, ctypes.byref(event))
        self._x.XSync(self.dpy, 0)

    def key(self, name):
        """Presses and releases one key, given by its keysym name ("F10", "g", "Return")."""
        keysym = self._x.XStringToKeysym(name.encode())
        code = self._x.XKeysymToKeycode(self.dpy, keysym)
        if not keysym or not code:
            raise TestFailure(f"no key code for {name!r}")
        self._xtst.XTestFakeKeyEvent(self.dpy, code, 1, 0)
        self._x.XSync(self.dpy, 0)
        self._xtst.XTestFakeKeyEvent(self.dpy, code, 0, 0)
        self._x.XSync(self.dpy, 0)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
