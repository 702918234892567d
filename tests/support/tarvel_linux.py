"""The Linux program under the X harness: started in a session, its windows and pictures,
clicks and keys in its own coordinates, its message boxes, its frame's close button."""
import subprocess

from checks import DEADLINE, TestFailure, end_with_parent, stop, wait_for
from tarvel_screen import CLIENT_H, CLIENT_W, MENU_BAR, cell_center


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
        """binary: the program's file, or a command that ends in running it (through
        chroot, an emulator) in this process."""
        self.session = session
        command = [binary] if isinstance(binary, str) else list(binary)
        self.process = subprocess.Popen(command, env=session.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        preexec_fn=end_with_parent)

        def started():
            if self.process.poll() is not None:
                raise TestFailure("the program ended at start with code %d: %s" %
                                  (self.process.returncode, self.process.stderr.read().decode(errors="replace")))
            return self.windows_of_pid(mapped_only=True)
        try:
            self.main = wait_for("the main window", started)[0]
        except TestFailure as failure:
            # A window that stays unmapped while the program waits points at the window
            # manager, which maps it.
            wm = self.session.wm
            wm_state = ("none" if wm is None else f"ended with code {wm.returncode}" if wm.poll() is not None
                        else _process_state(wm.pid))
            raise TestFailure(f"{failure}; windows of the program, shown or not: {self.windows_of_pid(False)}; "
                              f"its state: {_process_state(self.process.pid)}; the window manager: {wm_state}") from None
        wait_for("the first picture", lambda: self.shot().at(CLIENT_W - 1, MENU_BAR + CLIENT_H - 1) != 0)

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
        """Ends the program with SIGTERM, which the coverage build answers by writing its
        counters first, and with SIGKILL if it is still there after a while."""
        stop(self.process)
