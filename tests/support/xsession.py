"""A private X server with a window manager, and the Tarvel program driven in it.

Everything waits on what happens (a window appears, pixels change, the process ends)
with a deadline, never on a fixed pause.
"""
import math
import os
import struct
import subprocess
import tempfile
import time

DEADLINE = 30.0
MENU_BAR = 20
CLIENT_W, CLIENT_H = 651, 420
ORIGIN = 10


def wait_for(what, check, deadline=DEADLINE, step=0.02):
    """Polls check() until it returns something true; fails with `what` at the deadline."""
    end = time.monotonic() + deadline
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(step)


def run(*args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs).stdout


class Image:
    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def at(self, x, y):
        i = (y * self.width + x) * 3
        r, g, b = self.data[i], self.data[i + 1], self.data[i + 2]
        return (r << 16) | (g << 8) | b

    def crop(self, left, top, width, height):
        rows = [self.data[((top + y) * self.width + left) * 3:((top + y) * self.width + left + width) * 3]
                for y in range(height)]
        return Image(width, height, b"".join(rows))


def read_png(path):
    """A PNG as RGB pixels, through ImageMagick."""
    size = run("identify", "-format", "%w %h", path).split()
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return Image(int(size[0]), int(size[1]), data)


def cell_centre(x, y):
    """The centre of cell (x, y) in window coordinates (menu bar included)."""
    s = struct.unpack("f", struct.pack("f", math.sqrt(3.0)))[0]
    w = struct.unpack("f", struct.pack("f", 32 * s))[0]
    cx = int((x + 1) * w) if y % 2 else int((x + 0.5) * w)
    return cx + ORIGIN, 48 * y + 32 + ORIGIN + MENU_BAR


class XSession:
    def __init__(self):
        self.tmp = tempfile.mkdtemp(prefix="tarvel-e2e-")
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise AssertionError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.pop("SDL_VIDEODRIVER", None)
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the window manager", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x("xprop", "-root"))

    def x(self, *args):
        return run(*args, env=self.env)

    def close(self):
        for process in (self.wm, self.xvfb):
            process.terminate()
            process.wait()


class Tarvel:
    """The program in a session: its windows, pictures, mouse and keys."""

    def __init__(self, session, binary):
        self.session = session
        self.process = subprocess.Popen([binary], env=session.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        def started():
            if self.process.poll() is not None:
                raise AssertionError("the program ended at start with code %d: %s" %
                                     (self.process.returncode, self.process.stderr.read().decode(errors="replace")))
            return self.windows_of_pid(mapped_only=True)
        self.main = wait_for("the main window", started)[0]
        wait_for("the first picture", lambda: self.shot().at(CLIENT_W - 1, MENU_BAR + CLIENT_H - 1) != 0)

    def x(self, *args):
        return self.session.x(*args)

    def windows_of_pid(self, mapped_only=True):
        try:
            ids = self.x("xdotool", "search", "--onlyvisible" if mapped_only else "--all", "--pid",
                         str(self.process.pid)).split()
        except subprocess.CalledProcessError:
            return []
        return [int(w) for w in ids]

    def title(self, window):
        out = self.x("xprop", "-id", str(window), "_NET_WM_NAME")
        return out.split("=", 1)[1].strip().strip('"') if "=" in out else ""

    def geometry(self, window):
        info = self.x("xwininfo", "-id", str(window))
        values = {}
        for line in info.splitlines():
            line = line.strip()
            for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
                if line.startswith(key + ":"):
                    values[key] = int(line.split(":")[1])
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"], values["Height"])

    def shot(self, window=None):
        window = window or self.main
        path = os.path.join(self.session.tmp, "shot.png")
        self.x("import", "-window", str(window), path)
        return read_png(path)

    def save(self, path, window=None):
        self.x("import", "-window", str(window or self.main), path)

    def move(self, x, y, window=None):
        self.x("xdotool", "mousemove", "--window", str(window or self.main), str(x), str(y))

    def click(self, x, y, window=None):
        self.x("xdotool", "mousemove", "--window", str(window or self.main), str(x), str(y), "click", "1")

    def key(self, *keys, window=None):
        self.x("xdotool", "windowactivate", "--sync", str(window or self.main))
        self.x("xdotool", "key", "--clearmodifiers", *keys)

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
        tree = self.x("xwininfo", "-tree", "-id", str(window or self.main))
        parent = next(line.split(":")[1].split()[0] for line in tree.splitlines() if "Parent window id" in line)
        return self.geometry(int(parent, 16))

    def click_close_button(self, window=None):
        """Clicks the close button at the right end of the frame's title bar."""
        fx, fy, fw, _ = self.frame(window)
        _, cy, _, _ = self.geometry(window or self.main)
        self.x("xdotool", "mousemove", "--sync", str(fx + fw - 10), str(fy + (cy - fy) // 2), "click", "1")

    def exit_code(self):
        return self.process.wait(timeout=DEADLINE)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
