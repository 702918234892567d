"""A private X session for the tests: an Xvfb server, with the openbox window manager when
asked, a client connection to look at its windows and pixels (xclient), and the mouse and
the keyboard through xdotool, whose events arrive as if from real devices.

As a program it runs a command in an X server of its own and returns the command's exit
code: python3 xsession.py COMMAND [ARGUMENT...]
"""
import os
import shutil
import subprocess
import sys
import tempfile

from checks import DEADLINE, TestFailure, end_with_parent, stop, wait_for
from xclient import XClient

SCREEN_W, SCREEN_H = 1024, 768


class Display(XClient):
    """A private Xvfb server (the server picks a free display number itself and reports it,
    so tests side by side never share one; -noreset keeps it up while no client is
    connected), optionally openbox on it, and a client connection for looking and typing."""

    def __init__(self, workdir=None, width=SCREEN_W, height=SCREEN_H, window_manager=False):
        self.width, self.height = width, height
        self.tmp = tempfile.mkdtemp(prefix="xsession-", dir=workdir)
        self.wm = None
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
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.pop("SDL_VIDEODRIVER", None)
        super().__init__(self.name)
        if window_manager:
            ready = os.path.join(self.tmp, "openbox-ready")
            self.wm = subprocess.Popen(["openbox", "--sm-disable", "--startup", f"touch {ready}"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       preexec_fn=end_with_parent)
            wait_for("the window manager", lambda: os.path.exists(ready))
        # The pointer starts in the middle of the screen, where it would hover over a window.
        self.park()

    def close(self):
        if self.server.poll() is None:
            self.disconnect()
        self.dpy = None
        for process in (self.wm, self.server):
            if process:
                stop(process)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

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


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    with Display() as display:
        sys.exit(subprocess.run(sys.argv[1:], env=display.env).returncode)
