"""A Wayland session for the tests: Debian's weston, headless, with XWayland when asked.
Each compositor has a runtime directory of its own, so tests side by side never share one,
and reads no weston.ini. A headless weston has no seat: XTEST input into its XWayland
crashed XWayland, so programs in it are looked at, not clicked.
"""
import os
import re
import shutil
import subprocess
import tempfile

from checks import TestFailure, end_with_parent, stop, wait_for

SOCKET = "wayland-tarvel"


class Weston:
    """env is the environment of a program started in this session: WAYLAND_DISPLAY, its
    XDG_RUNTIME_DIR, and DISPLAY naming the XWayland server when there is one."""

    def __init__(self, xwayland=True, width=1280, height=1024):
        self.runtime = tempfile.mkdtemp(prefix="weston-")  # mode 700, as Wayland wants it
        self.log = os.path.join(self.runtime, "weston.log")
        own = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        own["XDG_RUNTIME_DIR"] = self.runtime
        command = ["weston", "--no-config", "--use-pixman", "--width=%d" % width, "--height=%d" % height,
                   "--socket=" + SOCKET, "--idle-time=0", "--log=" + self.log, "--backend=headless-backend.so"]
        if xwayland:
            command.append("--xwayland")
        with open(os.path.join(self.runtime, "stderr"), "wb") as stderr:
            self.process = subprocess.Popen(command, env=own, stdout=subprocess.DEVNULL, stderr=stderr,
                                            preexec_fn=end_with_parent)
        self.env = dict(own, WAYLAND_DISPLAY=SOCKET)
        self.display = None
        try:
            wait_for("weston's socket", lambda: self._alive() and os.path.exists(os.path.join(self.runtime, SOCKET)))
            if xwayland:
                # weston starts XWayland on the first connection to the display it names here.
                self.display = wait_for("XWayland's display", lambda: self._alive() and self._xwayland_display())
                self.env["DISPLAY"] = self.display
        except TestFailure:
            self.close()
            raise

    def _alive(self):
        if self.process.poll() is not None:
            raise TestFailure("weston ended with code %d: %s" % (self.process.returncode, self.log_text()))
        return True

    def _xwayland_display(self):
        found = re.search(r"xserver listening on display (:\d+)", self.log_text())
        return found and found.group(1)

    def log_text(self):
        texts = []
        for name in ("weston.log", "stderr"):
            try:
                with open(os.path.join(self.runtime, name), errors="replace") as f:
                    texts.append(f.read())
            except OSError:
                pass
        return "\n".join(texts)

    def close(self):
        """Ends weston (and its XWayland, which it removes with its sockets and lock)."""
        stop(self.process, 30)
        shutil.rmtree(self.runtime, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
