"""Plays the game through its window like a user: clicks in client coordinates, the menu by
mouse and by keyboard, and waits on what the screen shows. Works for any program whose
main window is the game's (the Windows build under Wine, the Linux build)."""

import os
import time

import tarvel_screen as ts
from checks import TestFailure, wait_for

MAIN_TITLE = "Tarvel"
# A point on the menu bar's first item, "ゲーム(&G)", in client coordinates: the bar lies
# right above the client area and its first item starts at the left edge.
GAME_MENU_AT = (20, -10)


class GameWindow:
    def __init__(self, display, process, workdir, label):
        self.display, self.process = display, process
        self.workdir, self.label = workdir, label
        self.window = None
        self.origin = None
        self.shots = 0

    # -- finding the window

    def wait_started(self, timeout=60):
        def main_window():
            self.check_running()
            return self.display.window_named(MAIN_TITLE)

        self.window = wait_for(f"a window titled {MAIN_TITLE!r}", main_window, timeout)
        w = self.window

        def origin():
            self.check_running()
            return ts.find_client_origin(self.display.grab(), (w.x, w.y, w.x + w.width, w.y + w.height))

        self.origin = self.wait("the status panel's frame in the window", origin, 20)
        return self.origin

    def check_running(self):
        code = self.process.poll()
        if code is not None:
            raise TestFailure(f"{self.label}: the program ended early with exit code {code}")

    # -- reading the screen

    def grab(self):
        return self.display.grab()

    def client(self, picture=None):
        """The client area as a picture of its own (651 x 420)."""
        picture = picture or self.grab()
        return picture.crop(self.origin[0], self.origin[1], ts.CLIENT_W, ts.CLIENT_H)

    def position(self, picture=None):
        return ts.read_position(picture or self.grab(), self.origin)

    def wait(self, what, condition, timeout=20):
        try:
            return wait_for(what, condition, timeout)
        except TestFailure as failure:
            path = self.screenshot("timeout")
            raise TestFailure(f"{self.label}: {failure} (screen saved to {path})") from None

    def wait_position(self, what, accept, timeout=20):
        """Waits until the board shows a position for which accept(position) holds."""
        seen = []

        def check():
            position = self.position()
            if position is not None and (not seen or seen[-1] != position):
                seen.append(position)
            return position if position is not None and accept(position) else None

        try:
            return self.wait(what, check, timeout)
        except TestFailure as failure:
            shown = "\n\n".join(str(p) for p in seen[-3:]) or "(nothing readable)"
            raise TestFailure(f"{failure}\nlast positions seen:\n{shown}") from None

    def expect_cells(self, position, over, what):
        """The board shows position at every cell centre not under the window over."""
        hidden = (over.x, over.y, over.x + over.width, over.y + over.height)
        shown = ts.read_cells(self.grab(), self.origin, hidden)
        expected = {c: v for c, v in ts.cells_of(position).items() if shown is not None and c in shown}
        if shown != expected or len(shown) < 32:
            path = self.screenshot("board")
            raise TestFailure(f"{self.label}: {what}: the board shows {shown}, expected {expected} "
                              f"(screen: {path})")
        return shown

    def new_window(self, what, known):
        """Waits for a viewable window whose id is not in known."""
        return self.wait(what, lambda: next((w for w in self.display.windows() if w.id not in known), None))

    def screenshot(self, tag):
        self.shots += 1
        path = os.path.join(self.workdir, f"{self.label}-{self.shots:02d}-{tag}.png")
        self.grab().write_png(path)
        return path

    # -- input

    def click_client(self, x, y):
        self.display.click(self.origin[0] + x, self.origin[1] + y)

    def click_cell(self, x, y):
        self.click_client(*ts.cell_center(x, y))

    def keys(self, *names):
        for name in names:
            self.display.key(name)

    def menu_by_keys(self, menu, item, attempts=3):
        """Chooses a menu item by keyboard: F10 and the menu's letter, then, once its popup
        shows, the item's letter. Under Wine, keys typed just after a message box has
        closed are sometimes lost (on a loaded machine); the popup showing proves that the
        menu bar got them, and they are typed again if it does not show."""
        for attempt in range(1, attempts + 1):
            known = {w.id for w in self.display.windows()}
            self.keys("F10", menu)
            try:
                popup = wait_for(f"the popup of the menu {menu!r}",
                                 lambda: next((w for w in self.display.windows() if w.id not in known), None), 5)
                break
            except TestFailure:
                self.check_running()
                if attempt == attempts:
                    path = self.screenshot("no-popup")
                    raise TestFailure(f"{self.label}: F10 and {menu!r} did not open a menu in "
                                      f"{attempts} attempts (screen: {path})") from None
                print(f"{self.label}: F10 and {menu!r} opened no menu; typing them again")
        if item is not None:
            self.keys(item)
            self.wait_window_gone(popup)
        return popup

    def open_game_menu(self):
        """Clicks "ゲーム(&G)" on the menu bar; returns the popup's window once it shows."""
        before = {w.id for w in self.display.windows()}
        self.click_client(*GAME_MENU_AT)
        return self.wait("the game menu's popup",
                         lambda: next((w for w in self.display.windows() if w.id not in before), None), 10)

    def click_popup_item(self, popup, first=True):
        """Clicks the first or the last item of a popup menu (8 pixels in from its edge)."""
        y = popup.y + 8 + 3 if first else popup.y + popup.height - 8 - 3
        self.display.click(popup.x + 30, y)
        self.wait("the popup menu to close",
                  lambda: all(w.id != popup.id for w in self.display.windows()), 10)

    def wait_window(self, title, timeout=20):
        return self.wait(f"a window titled {title!r}", lambda: self.display.window_named(title), timeout)

    def wait_window_gone(self, window, timeout=20):
        self.wait(f"{window} to close",
                  lambda: all(w.id != window.id for w in self.display.windows()), timeout)

    def wait_exit(self, timeout=30):
        deadline = time.monotonic() + timeout
        while self.process.poll() is None:
            if time.monotonic() > deadline:
                path = self.screenshot("still-running")
                raise TestFailure(f"{self.label}: the program did not end within {timeout} s (screen: {path})")
            time.sleep(0.02)
        return self.process.returncode
