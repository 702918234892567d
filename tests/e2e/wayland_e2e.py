"""The Linux program in a Wayland session (weston), where it runs through XWayland:

  xwayland     weston headless with XWayland, both WAYLAND_DISPLAY and DISPLAY set: the
               window with its title and the launcher's window class, the opening pixel
               for pixel, and the close request ends the program with code 0
  no_xwayland  a Wayland session without XWayland (only WAYLAND_DISPLAY): one line that
               says XWayland is needed, and code 1

Usage: wayland_e2e.py BINARY GOLDEN_OPENING_PNG SCENARIO
"""
import configparser
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from checks import DEADLINE
from game_driver import MAIN_TITLE
from picture import read_png
from tarvel_linux import Tarvel
from tarvel_screen import CLIENT_H, CLIENT_W, MENU_BAR
from tarvel_e2e import check
from weston import Weston
from xclient import XClient

DESKTOP_ENTRY = os.path.join(HERE, "..", "..", "dist", "org.tarvel.tarvel.desktop")


class XWayland(XClient):
    """The test's connection to the XWayland of a weston session, in which the program is
    started."""

    def __init__(self, weston):
        super().__init__(weston.display)
        self.env = weston.env


def launcher_wm_class():
    parser = configparser.RawConfigParser(strict=True)
    parser.optionxform = str  # keys are case-sensitive
    with open(DESKTOP_ENTRY, encoding="utf-8") as f:
        parser.read_file(f)
    return parser["Desktop Entry"]["StartupWMClass"]


def check_opening(app, golden_path):
    golden = read_png(golden_path)
    client = app.shot().crop(0, MENU_BAR, CLIENT_W, CLIENT_H)
    differing = sum(1 for y in range(CLIENT_H) for x in range(CLIENT_W) if client.at(x, y) != golden.at(x, y))
    check(differing == 0, "%d pixels of the client area differ from the opening picture" % differing)


def close(xwayland, app):
    """What the compositor's window manager sends for the close button."""
    xwayland.request_close(app.main)
    code = app.exit_code()
    check(code == 0, "exit code %d after the close request: %s" % (code, app.process.stderr.read().decode()))


def scenario_xwayland(golden_path, binary):
    with Weston() as weston:
        xwayland = XWayland(weston)
        app = Tarvel(xwayland, binary)
        try:
            check(app.title(app.main) == MAIN_TITLE, "the window is titled %r" % app.title(app.main))
            names = (xwayland.property(app.main, "WM_CLASS") or b"").decode(errors="replace").rstrip("\0")
            wanted = launcher_wm_class()
            check(wanted in names.split("\0"), "WM_CLASS is %r, the launcher expects %s" % (names, wanted))
            check_opening(app, golden_path)
            close(xwayland, app)
        finally:
            app.kill()
            xwayland.disconnect()


def scenario_no_xwayland(golden_path, binary):
    with Weston(xwayland=False) as weston:
        result = subprocess.run([binary], env=weston.env, capture_output=True, text=True, timeout=DEADLINE)
        lines = result.stderr.strip().splitlines()
        check(result.returncode == 1, "exit code %d without XWayland; stderr: %r" % (result.returncode, result.stderr))
        check(len(lines) == 1 and "XWayland" in lines[0], "stderr: %r" % result.stderr)
        check(weston.process.poll() is None, "weston ended")


if __name__ == "__main__":
    binary, golden, name = sys.argv[1:4]
    globals()["scenario_" + name](golden, binary)
    print("ok:", name)
