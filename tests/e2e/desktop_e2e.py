"""The Linux program on a real desktop: what its windows tell the window manager (frame,
dialogs, class, names in any locale) and how it is shown on a scaled desktop, where it
must look like the 1x picture enlarged and answer clicks at the enlarged places.

Usage: desktop_e2e.py BINARY GOLDEN_OPENING_PNG SCENARIO
"""
import ctypes
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import wait_for
from picture import Picture, read_png
from tarvel_linux import Tarvel, cell_centre
from tarvel_screen import CLIENT_H, CLIENT_W, MENU_BAR, MENU_FACE
from xsession import XSession
from tarvel_e2e import GAME_ITEMS, GAME_TITLE, HELP_TITLE, PASSING_GAME, check, count, item_centre, stones

# _MOTIF_WM_HINTS bits.
FUNC_RESIZE, FUNC_MINIMIZE, FUNC_MAXIMIZE, FUNC_CLOSE = 1 << 1, 1 << 3, 1 << 4, 1 << 5
DECOR_RESIZEH, DECOR_MINIMIZE, DECOR_MAXIMIZE = 1 << 2, 1 << 5, 1 << 6
OUTER_W, OUTER_H = CLIENT_W, CLIENT_H + MENU_BAR
CAPTION = "リバーシ"


def atoms(app, window, name):
    return set(app.session.property(window, name) or [])


def text(app, window, name):
    """A text property decoded as its type says: how any reader, in any locale, gets it."""
    session = app.session
    kind, fmt = ctypes.c_ulong(), ctypes.c_int()
    length, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
    session._x.XGetWindowProperty(session.dpy, window, session.atom(name), 0, 65536, 0, 0, ctypes.byref(kind),
                                  ctypes.byref(fmt), ctypes.byref(length), ctypes.byref(after), ctypes.byref(data))
    if not data.value:
        return None
    raw = ctypes.string_at(data.value, length.value)
    session._x.XFree(data)
    # Compound text of Japanese designates JIS X 0208 (or GB 2312 for kana) with ISO 2022
    # escapes, which this codec reads.
    codecs = {"STRING": "latin-1", "UTF8_STRING": "utf-8", "COMPOUND_TEXT": "iso2022_jp_2"}
    codec = next((c for t, c in codecs.items() if session.atom(t) == kind.value), None)
    check(codec is not None, "%s of an unknown type" % name)
    return raw.decode(codec)


def motif(app, window):
    values = app.session.property(window, "_MOTIF_WM_HINTS") or [0, 0, 0]
    flags, functions, decorations = values[:3]
    check(flags & 3 == 3, "_MOTIF_WM_HINTS without functions and decorations: %r" % values)
    return functions, decorations


def check_main_frame(app):
    # The instance after the program's file, the class after its window class.
    check(app.session.property(app.main, "WM_CLASS") == b"tarvel\0nTarvel\0",
          "WM_CLASS %r" % app.session.property(app.main, "WM_CLASS"))
    functions, decorations = motif(app, app.main)
    check(not functions & (FUNC_RESIZE | FUNC_MAXIMIZE) and not decorations & (DECOR_RESIZEH | DECOR_MAXIMIZE),
          "the main window offers resizing or maximizing: %x %x" % (functions, decorations))
    check(functions & FUNC_MINIMIZE and functions & FUNC_CLOSE, "no minimize or close: %x" % functions)
    actions = atoms(app, app.main, "_NET_WM_ALLOWED_ACTIONS")
    name = {app.session.atom("_NET_WM_ACTION_" + a): a for a in
            ("MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE", "MINIMIZE", "CLOSE")}
    offered = {name[a] for a in actions if a in name}
    check(offered == {"MINIMIZE", "CLOSE"}, "the window manager offers %s" % sorted(offered))


def check_dialog(app, box, caption):
    session = app.session
    check(atoms(app, box, "_NET_WM_WINDOW_TYPE") == {session.atom("_NET_WM_WINDOW_TYPE_DIALOG")}, "not a dialog")
    check(session.property(box, "WM_TRANSIENT_FOR") == [app.main], "not transient for the main window")
    check(session.property(box, "WM_CLASS") == session.property(app.main, "WM_CLASS"),
          "WM_CLASS %r, not the main window's: the desktop would not group them" % session.property(box, "WM_CLASS"))
    check({session.atom("_NET_WM_STATE_MODAL"), session.atom("_NET_WM_STATE_SKIP_TASKBAR")} <=
          atoms(app, box, "_NET_WM_STATE"), "not modal and out of the task bar")
    functions, _ = motif(app, box)
    check(not functions & (FUNC_MINIMIZE | FUNC_MAXIMIZE | FUNC_RESIZE), "the box offers %x" % functions)
    for name in ("WM_NAME", "_NET_WM_NAME"):
        shown = text(app, box, name)
        check(shown == caption, "%s reads %r" % (name, shown))


class Unscaled:
    """A scaled picture read at 1x coordinates, at the centre of each enlarged pixel."""

    def __init__(self, image, scale):
        self.image, self.scale = image, scale

    def at(self, x, y):
        return self.image.at(*at((x, y), self.scale))


def halved(image):
    """A doubled picture at 1x: one pixel of each 2 x 2 square."""
    width = image.width * 3
    rows = [image.rgb[y * width:(y + 1) * width] for y in range(0, image.height, 2)]
    return Picture(image.width // 2, image.height // 2, b"".join(
        bytes(b for i in range(0, width, 6) for b in row[i:i + 3]) for row in rows))


def check_doubled(image, what):
    """Every pixel shown as an exact 2 x 2 square."""
    width = image.width * 3
    for y in range(0, image.height, 2):
        top = image.rgb[y * width:(y + 1) * width]
        check(top == image.rgb[(y + 1) * width:(y + 2) * width], "%s: rows %d and %d differ" % (what, y, y + 1))
        check(top[0::6] == top[3::6] and top[1::6] == top[4::6] and top[2::6] == top[5::6],
              "%s: row %d is not made of pixel pairs" % (what, y))


def start(session, binary, scale, **env):
    session.env.update(env)
    app = Tarvel(session, binary)
    _, _, width, height = app.geometry(app.main)
    check((width, height) == (int(OUTER_W * scale + 0.5), int(OUTER_H * scale + 0.5)),
          "window %dx%d at scale %s" % (width, height, scale))
    return app


def at(point, scale):
    return int((point[0] + 0.5) * scale), int((point[1] + 0.5) * scale)


def check_opening_doubled(app):
    shot = app.shot()
    check_doubled(shot, "the window")
    golden = read_png(GOLDEN)
    client = halved(shot).crop(0, MENU_BAR, CLIENT_W, CLIENT_H)
    check(client.rgb == golden.rgb, "the client area is not the opening picture doubled")


def play_to_the_pass(app, scale):
    for x, y in PASSING_GAME[:11]:
        app.click(*at(cell_centre(x, y), scale))
        wait_for("the stone on (%d, %d)" % (x, y), lambda: stones(Unscaled(app.shot(), scale))[x, y] != "." or
                 [w for w in app.windows_of_pid() if w != app.main])
    return app.box()


def scenario_hints(app):
    """Scale 1 in the C locale: the frame, the About, pass and result boxes as dialogs."""
    check_main_frame(app)
    app.click(*HELP_TITLE)
    wait_for("the help popup", lambda: app.shot().at(100, MENU_BAR + 12) == MENU_FACE)
    app.click(100, MENU_BAR + 12)
    box = app.box()
    check_dialog(app, box, "About..")
    # Minimizing a box must not hide the game. The request is asynchronous and the fault
    # is windows that stay away, so look again once the window manager has long acted.
    app.session.minimize(box)
    time.sleep(1.5)
    check({app.main, box} <= set(app.windows_of_pid()), "a minimized box left %s" % app.windows_of_pid())
    app.key("Escape", window=box)
    app.box_gone(box)

    app.click(*GAME_TITLE)
    wait_for("the game popup", lambda: app.shot().at(*item_centre(GAME_ITEMS, "human", 150)) == MENU_FACE)
    app.click(*item_centre(GAME_ITEMS, "human"))
    box = play_to_the_pass(app, 1)
    check_dialog(app, box, CAPTION)
    app.key("Return", window=box)
    app.box_gone(box)
    app.click(*cell_centre(*PASSING_GAME[11]))
    box = app.box()
    check_dialog(app, box, CAPTION)


def scenario_xft_dpi_192(app):
    """Scale 2 from Xft.dpi in a Japanese locale: pixels doubled, menu, clicks and boxes at the doubled places."""
    check_opening_doubled(app)
    app.click(*at(GAME_TITLE, 2))
    wait_for("the game popup",
             lambda: Unscaled(app.shot(), 2).at(*item_centre(GAME_ITEMS, "human", 150)) == MENU_FACE)
    app.click(*at(item_centre(GAME_ITEMS, "human"), 2))
    # With a second person instead of the computer, the pass comes after Black's 11th move.
    box = play_to_the_pass(app, 2)
    check_dialog(app, box, CAPTION)
    shot = app.shot(box)
    check(shot.width % 2 == 0 and shot.height % 2 == 0, "box %dx%d" % (shot.width, shot.height))
    check_doubled(shot, "the box")
    # Where OK is clicked at 1x, doubled.
    app.click(shot.width // 2, shot.height - 2 * 24, window=box)
    app.box_gone(box)


def scenario_gdk_scale_2(app):
    """Scale 2 from GDK_SCALE: the game sees the screen at half size and is centred on it."""
    check_opening_doubled(app)
    fx, fy, _, _ = app.frame()
    check(abs(fx - (SCREEN[0] - 2 * OUTER_W) // 2) <= 4 and abs(fy - (SCREEN[1] - 2 * OUTER_H) // 2) <= 4,
          "window at %d, %d" % (fx, fy))
    app.click(*at(cell_centre(2, 3), 2))
    cells = wait_for("the computer's answer", lambda: (lambda c: c if count(c, "B") + count(c, "W") == 6 else None)(
        stones(Unscaled(app.shot(), 2))))
    check(cells[2, 3] == "B", "the stone is not on (2, 3)")


def scenario_xft_dpi_144(app):
    """Scale 1.5: a click lands on the cell under it."""
    app.click(*at(cell_centre(2, 3), 1.5))
    cells = wait_for("the computer's answer", lambda: (lambda c: c if count(c, "B") + count(c, "W") == 6 else None)(
        stones(Unscaled(app.shot(), 1.5))))
    check(cells[2, 3] == "B", "the stone is not on (2, 3)")


SCREEN = (1920, 1200)
SCENARIOS = {
    "hints": (1, {"LC_ALL": "C"}, None),
    "xft_dpi_192": (2, {"LC_ALL": "ja_JP.UTF-8"}, "Xft.dpi:\t192\n"),
    "gdk_scale_2": (2, {"LC_ALL": "C", "GDK_SCALE": "2"}, None),
    "xft_dpi_144": (1.5, {"LC_ALL": "C.UTF-8"}, "Xft.dpi:\t144\n"),
}

if __name__ == "__main__":
    binary, GOLDEN, name = sys.argv[1:4]
    scale, env, resources = SCENARIOS[name]
    session = XSession("%dx%d" % SCREEN)
    app = None
    try:
        if env.get("LC_ALL", "").startswith("ja_JP"):
            subprocess.run([os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "wine",
                                         "ensure-locale.sh")], check=True)
        if resources:
            # As xrdb leaves them: the resource database in a property of the root window.
            x = session._x
            x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                          ctypes.c_int, ctypes.c_int, ctypes.c_char_p, ctypes.c_int]
            XA_STRING, PropModeReplace = 31, 0
            x.XChangeProperty(session.dpy, session.root, session.atom("RESOURCE_MANAGER"), XA_STRING, 8,
                              PropModeReplace, resources.encode(), len(resources))
            x.XSync(session.dpy, 0)
        app = start(session, binary, scale, **env)
        globals()["scenario_" + name](app)
        print("ok:", name)
    finally:
        if app:
            app.kill()
        session.close()
