"""The tests' one X harness: a private X server (Xvfb, with the openbox window manager when
asked), its windows, the mouse and the keyboard (xdotool, whose events arrive as if from
real devices), screenshots, PNG files, and waits.

Everything waits on what happens (a window appears, pixels change, a process ends) with a
deadline, never on a fixed pause. Apart from xdotool, pure standard library: the X calls
that look at windows and pixels go through ctypes to libX11.

As a program it runs a command in an X server of its own and returns the command's exit
code: python3 xsession.py COMMAND [ARGUMENT...]
"""
import ctypes
import ctypes.util
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from tarvel_screen import CLIENT_H, CLIENT_W, MENU_BAR, ORIGIN, cell_center

DEADLINE = 30.0
SCREEN_W, SCREEN_H = 1024, 768


class TestFailure(AssertionError):
    pass


def expect(condition, message):
    if not condition:
        raise TestFailure(message)


def wait_for(what, condition, timeout=DEADLINE, interval=0.02, *, deadline=None, step=None):
    """Polls condition() until it returns something true, which is returned; fails with
    `what` once the time limit (in seconds) is up."""
    timeout = deadline if deadline is not None else timeout
    interval = step if step is not None else interval
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise TestFailure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def end_with_parent():
    """For subprocess's preexec_fn: the child gets SIGTERM when the test process goes away
    (a test killed at its time limit leaves no X server or program behind)."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, 15, 0, 0, 0)  # PR_SET_PDEATHSIG, SIGTERM


def run(*args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs).stdout


# ---------------------------------------------------------------------------------------
# Pictures


class Picture:
    """An RGB picture: width, height and 3 bytes per pixel in rgb."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    @property
    def data(self):
        return self.rgb

    def pixel(self, x, y):
        """(r, g, b), or None outside the picture."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            return None
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def at(self, x, y):
        """The pixel as 0xRRGGBB."""
        i = (y * self.width + x) * 3
        return (self.rgb[i] << 16) | (self.rgb[i + 1] << 8) | self.rgb[i + 2]

    def crop(self, x, y, w, h):
        """The rectangle as a picture of its own; black where it lies outside."""
        out = bytearray()
        for row in range(y, y + h):
            if 0 <= row < self.height and x >= 0 and x + w <= self.width:
                i = (row * self.width + x) * 3
                out += self.rgb[i:i + 3 * w]
            else:
                for col in range(x, x + w):
                    out += bytes(self.pixel(col, row) or (0, 0, 0))
        return Picture(w, h, out)

    def write_png(self, path):
        stride = self.width * 3
        raw = b"".join(b"\0" + self.rgb[y * stride:(y + 1) * stride] for y in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6))
                    + chunk(b"IEND", b""))


Image = Picture


def read_png(path):
    """An 8-bit, non-interlaced PNG (grey, RGB, palette, with or without alpha) as a
    Picture; alpha is dropped."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise TestFailure(f"{path} is not a PNG")
    at, idat, header, palette = 8, b"", None, b""
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise TestFailure(f"{path}: only 8-bit non-interlaced PNGs are read here")
    stride = width * channels
    raw = zlib.decompress(idat)
    prior = bytearray(stride)
    out = bytearray()
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 2:
            row = bytearray((a + b) & 0xFF for a, b in zip(row, prior))
        elif kind:
            for i in range(stride):
                left = row[i - channels] if i >= channels else 0
                up = prior[i]
                if kind == 1:
                    row[i] = (row[i] + left) & 0xFF
                elif kind == 3:
                    row[i] = (row[i] + (left + up) // 2) & 0xFF
                else:
                    upper_left = prior[i - channels] if i >= channels else 0
                    p = left + up - upper_left
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                    row[i] = (row[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else upper_left)) & 0xFF
        prior = row
        if colour == 2:
            out += row
        elif colour == 6:
            out += b"".join(row[i:i + 3] for i in range(0, stride, 4))
        elif colour == 3:
            out += b"".join(palette[3 * v:3 * v + 3] for v in row)
        else:
            out += b"".join(bytes((v, v, v)) for v in row[::channels])
    return Picture(width, height, out)


# ---------------------------------------------------------------------------------------
# Xlib through ctypes


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
_IS_VIEWABLE, _CLIENT_MESSAGE, _Z_PIXMAP = 2, 33, 2


def _load_xlib():
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
        "XGetInputFocus": (ctypes.c_int, [ctypes.c_void_p, c_ulong_p, ctypes.POINTER(ctypes.c_int)]),
        "XFree": (ctypes.c_int, [ctypes.c_void_p]),
        "XSync": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_int]),
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


# ---------------------------------------------------------------------------------------
# The X server


class Display:
    """A private Xvfb server (the server picks a free display number itself and reports it,
    so tests side by side never share one; -noreset keeps it up while no client is
    connected), optionally openbox on it, and a client connection for looking and typing."""

    def __init__(self, workdir=None, width=SCREEN_W, height=SCREEN_H, window_manager=False):
        self.width, self.height = width, height
        self.tmp = tempfile.mkdtemp(prefix="xsession-", dir=workdir)
        self.dpy, self.wm = None, None
        read_fd, write_fd = os.pipe()
        with open(os.path.join(self.tmp, "xvfb.log"), "wb") as log:
            self.server = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=log, preexec_fn=end_with_parent)
        os.close(write_fd)
        with os.fdopen(read_fd, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            self.server.kill()
            self.server.wait()
            with open(os.path.join(self.tmp, "xvfb.log"), errors="replace") as log:
                raise TestFailure("Xvfb did not start: " + log.read())
        self.name = ":" + number.decode()
        self.xvfb = self.server
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.pop("SDL_VIDEODRIVER", None)
        self._x = _load_xlib()
        # A window may vanish between listing it and asking about it: ignore such errors
        # instead of letting Xlib end the process.
        self._error_handler = _ERROR_HANDLER(lambda dpy, event: 0)
        self._x.XSetErrorHandler(self._error_handler)
        self.dpy = wait_for(f"a connection to {self.name}", lambda: self._x.XOpenDisplay(self.name.encode()), 10)
        # A test may kill the server on purpose: Xlib then must not end the test process.
        self._io_error_handler = _IO_ERROR_HANDLER(lambda dpy: 0)
        self._io_error_exit_handler = _IO_ERROR_EXIT_HANDLER(lambda dpy, data: None)
        self._x.XSetIOErrorHandler(self._io_error_handler)
        self._x.XSetIOErrorExitHandler(self.dpy, self._io_error_exit_handler, None)
        self.root = self._x.XDefaultRootWindow(self.dpy)
        if window_manager:
            self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, preexec_fn=end_with_parent)
            wait_for("the window manager", lambda: self.property(self.root, "_NET_SUPPORTING_WM_CHECK"))
        # The pointer starts in the middle of the screen, where it would hover over a window.
        self.park()

    def close(self):
        if self.dpy and self.server.poll() is None:
            self._x.XCloseDisplay(self.dpy)
        self.dpy = None
        for process in (self.wm, self.server):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def x(self, *args):
        """Runs an X client program on this display; returns its output."""
        return run(*args, env=self.env)

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
        if wid is None:
            image = self._x.XGetImage(self.dpy, self.root, 0, 0, self.width, self.height, ~0, _Z_PIXMAP)
        else:
            a = self._attributes(wid)
            image = a and self._x.XGetImage(self.dpy, wid, 0, 0, a.width, a.height, ~0, _Z_PIXMAP)
        if not image:
            raise TestFailure(f"cannot read the pixels of {'the screen' if wid is None else hex(wid)}")
        try:
            return _picture_of(image)
        finally:
            self._x.XDestroyImage(image)

    # -- input: xdotool sends it through XTEST and waits for the server before it exits

    def xdotool(self, *args):
        try:
            subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True, capture_output=True,
                           timeout=DEADLINE)
        except subprocess.CalledProcessError as failure:
            raise TestFailure(f"xdotool {' '.join(map(str, args))}: {failure.stderr.strip()}") from None

    def move(self, x, y):
        self.xdotool("mousemove", int(x), int(y))

    def button(self, number, down):
        self.xdotool("mousedown" if down else "mouseup", number)

    def click(self, x, y, button=1, park=True):
        """Clicks at a screen position. Then, unless park is false, puts the pointer in the
        screen's bottom right corner, where it hovers over nothing."""
        steps = ["mousemove", int(x), int(y), "click", button]
        if park:
            steps += ["mousemove", self.width - 1, self.height - 1]
        self.xdotool(*steps)

    def to_screen(self, wid, x, y):
        wx, wy, _, _ = self.geometry(wid)
        return wx + x, wy + y

    def park(self):
        self.move(self.width - 1, self.height - 1)

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
            self._client_message(wid, "_NET_ACTIVE_WINDOW", [2, 0], to=self.root)  # 2: a pager asks
        wait_for(f"window 0x{wid:x} to become active",
                 lambda: self.property(self.root, "_NET_ACTIVE_WINDOW") == [wid] and self._focused(wid))

    def request_close(self, wid):
        """What a window manager does for the close button of a title bar: a
        WM_DELETE_WINDOW message to the window."""
        self._client_message(wid, "WM_PROTOCOLS", [self.atom("WM_DELETE_WINDOW"), 0])

    def minimize(self, wid):
        """Asks the window manager to iconify a window, as its minimize button does."""
        self._client_message(wid, "WM_CHANGE_STATE", [3], to=self.root)  # IconicState

    def destroy(self, wid):
        """Destroys a window from another client, as a misbehaving program may."""
        self._x.XDestroyWindow(self.dpy, wid)
        self._x.XSync(self.dpy, 0)

    def kill_client(self, wid):
        """Closes the X connection of the program that made a window, as xkill does."""
        self._x.XKillClient(self.dpy, wid)
        self._x.XSync(self.dpy, 0)

    def _client_message(self, wid, kind, data, to=None):
        event = _XClientMessageEvent()
        event.type, event.window, event.format = _CLIENT_MESSAGE, wid, 32
        event.message_type = self.atom(kind)
        for i, value in enumerate(data):
            event.data[i] = value
        mask = 0x180000 if to else 0  # SubstructureRedirect | SubstructureNotify, to the window manager
        self._x.XSendEvent(self.dpy, to or wid, 0, mask, ctypes.byref(event))
        self._x.XSync(self.dpy, 0)

    def key(self, name):
        """Presses and releases one key by its keysym name ("F10", "g", "Return"), or a
        chord ("alt+g"): the keys pressed in order, released in reverse."""
        self.xdotool("key", name)


class XSession(Display):
    """A display with openbox: real title bars, frames and close buttons. screen is
    "WIDTHxHEIGHT"."""

    def __init__(self, screen="1280x1024", workdir=None):
        width, height = (int(n) for n in screen.split("x"))
        super().__init__(workdir, width, height, window_manager=True)


# ---------------------------------------------------------------------------------------
# The Linux program under a window manager


def cell_centre(x, y):
    """The centre of cell (x, y) in the Linux main window's coordinates (menu bar included)."""
    cx, cy = cell_center(x, y)
    return cx, cy + MENU_BAR


def _process_state(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat, open(f"/proc/{pid}/wchan") as wchan:
            return f"{stat.read().split(') ')[1].split()[0]} in {wchan.read() or 'user code'}"
    except OSError as error:
        return str(error)


class Tarvel:
    """The Linux program in a session: its windows, pictures, mouse and keys. Window
    coordinates include the menu bar, which the layer draws inside the window."""

    def __init__(self, session, binary):
        self.session = session
        self.process = subprocess.Popen([binary], env=session.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        preexec_fn=end_with_parent)

        def started():
            if self.process.poll() is not None:
                raise TestFailure("the program ended at start with code %d: %s" %
                                  (self.process.returncode, self.process.stderr.read().decode(errors="replace")))
            return self.windows_of_pid(mapped_only=True)
        try:
            self.main = wait_for("the main window", started)[0]
        except TestFailure as failure:
            raise TestFailure(f"{failure}; windows of the program, shown or not: {self.windows_of_pid(False)}; "
                              f"its state: {_process_state(self.process.pid)}") from None
        wait_for("the first picture", lambda: self.shot().at(CLIENT_W - 1, MENU_BAR + CLIENT_H - 1) != 0)

    def x(self, *args):
        return self.session.x(*args)

    def windows_of_pid(self, mapped_only=True):
        return self.session.windows_of_pid(self.process.pid, mapped_only)

    def title(self, window):
        return self.session.title(window)

    def geometry(self, window):
        return self.session.geometry(window)

    def shot(self, window=None):
        return self.session.grab(window or self.main)

    def save(self, path, window=None):
        self.shot(window).write_png(path)

    def move(self, x, y, window=None):
        self.session.move(*self.session.to_screen(window or self.main, x, y))

    def click(self, x, y, window=None):
        self.session.click(*self.session.to_screen(window or self.main, x, y), park=False)

    def key(self, *keys, window=None):
        self.session.activate(window or self.main)
        for key in keys:
            self.session.key(key)

    def box(self):
        """Waits for a message box: a second window of the process. Returns its id."""
        return wait_for("a message box", lambda: [w for w in self.windows_of_pid() if w != self.main])[0]

    def box_gone(self, box):
        wait_for("the box to go", lambda: box not in self.windows_of_pid())

    def click_ok(self, box):
        _, _, width, height = self.geometry(box)
        self.click(width // 2, height - 24, window=box)

    def frame(self, window=None):
        """The window manager's frame around a window: its screen geometry."""
        return self.geometry(self.session.parent(window or self.main))

    def click_close_button(self, window=None):
        """Clicks the close button at the right end of the frame's title bar."""
        fx, fy, fw, _ = self.frame(window)
        _, cy, _, _ = self.geometry(window or self.main)
        self.session.click(fx + fw - 10, fy + (cy - fy) // 2, park=False)

    def exit_code(self):
        return self.process.wait(timeout=DEADLINE)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    with Display() as display:
        sys.exit(subprocess.run(sys.argv[1:], env=display.env).returncode)
