"""A storm of random input on the real Linux program in its own X server (Xvfb, openbox).

Usage: storm.py BINARY [--seconds N] [--seed S]

Clicks on cells and anywhere, double and right clicks, drags across the window's edge,
the menu bar by mouse and keys (F10, Alt+letters, arrows, Return, Escape, letters),
menu commands straight after a move (during the computer's pause or Alpha's search),
input while a message box or a popup is open, against each opponent in turn. It fails on:
- the program ending other than through its exit command with code 0 (a random click
  or key may choose the exit: the program is then started again), or the final exit
  not giving code 0;
- an X error reported on stderr;
- a window not answering the window manager's ping (_NET_WM_PING) within 5 seconds;
- resident memory growing by more than max(8 MB, an eighth) from after a warm-up (a
  message box and both menus shown once) to the end;
- a settled picture whose board cells are anything but empty, black or white.
The seed is printed first; the same seed replays the same sequence of actions.
"""
import argparse
import os
import random
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
from checks import TestFailure, end_with_parent, wait_for  # noqa: E402
from tarvel_linux import Tarvel, cell_centre  # noqa: E402
from tarvel_screen import BLACK, BOARD, CLIENT_H, CLIENT_W, MENU_BAR, WHITE  # noqa: E402
from x11_ping import Pinger  # noqa: E402
from xsession import XSession  # noqa: E402

ANSWER_SECONDS = 5.0
RSS_SLACK_KB = 8 * 1024
X_ERROR = re.compile(r"X Error|BadWindow|BadDrawable|BadMatch|BadAccess|BadValue|X connection|XIO", re.I)

# Menu letters: Game (G) with N, W, H, 1, 2, 3, U and X (exit), Help (H) with A.
OPPONENTS = {"human": "h", "random": "1", "max": "2", "alpha": "3"}
MENU_LETTERS = "nwh123ua"  # never x: the exit comes once, at the end
KEYS = ["F10", "Escape", "Return", "Left", "Right", "Up", "Down", "space", "Tab", "a", "g", "n", "q", "1", "3"]


class StormedTarvel(Tarvel):
    """The program with stdout and stderr going to files, so that a long run never
    blocks on a full pipe."""

    def __init__(self, session, binary):
        self.session = session
        self.err_path = os.path.join(session.tmp, "stderr.txt")
        self.err = open(self.err_path, "wb")
        self.process = subprocess.Popen([binary], env=session.env, stdout=subprocess.DEVNULL, stderr=self.err,
                                        preexec_fn=end_with_parent)

        def started():
            if self.process.poll() is not None:
                raise AssertionError("the program ended at start with code %d" % self.process.returncode)
            return self.windows_of_pid(mapped_only=True)
        self.main = wait_for("the main window", started)[0]
        wait_for("the first picture", lambda: self.shot().at(CLIENT_W - 1, MENU_BAR + CLIENT_H - 1) != 0)

    def stderr_text(self):
        with open(self.err_path, "rb") as f:
            return f.read().decode(errors="replace")

    def rss_kb(self):
        with open("/proc/%d/status" % self.process.pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        raise AssertionError("no VmRSS for the program")


class Storm:
    def __init__(self, app, restart, rng, log):
        self.app, self.restart, self.rng, self.log = app, restart, rng, log
        self.exits = 0
        self.rss_start = None
        self.pinger = Pinger(app.session.env["DISPLAY"])
        self.actions = 0
        self.pings = 0
        self.longest_answer = 0.0
        self.pictures = 0

    # --- what is checked -------------------------------------------------------------
    def check_alive(self, what):
        errors = [line for line in self.app.stderr_text().splitlines() if X_ERROR.search(line)]
        if errors:
            raise AssertionError("X error on stderr after %s: %s" % (what, errors[0]))
        code = self.app.process.poll()
        if code is None:
            return
        if code != 0:
            raise AssertionError("the program ended with code %d after %s" % (code, what))
        # The exit command, chosen by a random click or key: start again.
        self.log("the program exited with code 0 after %s; started again" % what)
        self.exits += 1
        self.app = self.restart()
        self.warm_up()

    def check_answering(self, what):
        """Every window of the program must answer a ping within ANSWER_SECONDS."""
        for window in self.app.windows_of_pid():
            start = time.monotonic()
            if not self.pinger.ping(window, ANSWER_SECONDS):
                if window not in self.app.windows_of_pid():
                    continue  # a message box closed meanwhile
                app = self.app
                self.check_alive(what)
                if self.app is not app:
                    return  # it had exited through its menu and was started again
                raise AssertionError("window 0x%x did not answer a ping for %.0f s after %s" %
                                     (window, ANSWER_SECONDS, what))
            self.pings += 1
            self.longest_answer = max(self.longest_answer, time.monotonic() - start)

    def check_picture(self):
        shot = self.app.shot()
        wrong = []
        for x in range(8):
            for y in range(8):
                cx, cy = cell_centre(x, y)
                pixel = shot.at(cx, cy)
                if pixel not in (BLACK, WHITE, BOARD):
                    wrong.append("(%d, %d): %06X" % (x, y, pixel))
        if wrong:
            path = os.path.join(tempfile.gettempdir(), "tarvel-storm-bad-picture.png")
            self.app.save(path)
            raise AssertionError("board cells neither empty, black nor white: %s (picture in %s)" %
                                 (", ".join(wrong), path))
        self.pictures += 1
        self.log("picture %d: board cells right; resident memory %d kB" % (self.pictures, self.app.rss_kb()))

    # --- bringing the program to rest --------------------------------------------------
    def boxes(self):
        return [w for w in self.app.windows_of_pid() if w != self.app.main]

    def settle(self):
        """Closes message boxes and menus; waits until the program answers with only its
        main window shown (the computer may still be thinking, which the ping waits for)."""
        for _ in range(40):
            self.check_answering("settling")
            boxes = self.boxes()
            if boxes:
                self.close_box(boxes[0])
                continue
            self.activate(self.app.main)
            self.session.key("Escape")
            self.session.key("Escape")
            self.check_answering("closing the menus")
            if not self.boxes():
                return
        raise AssertionError("message boxes keep coming")

    def close_box(self, box):
        """Return on the box, again when it stays: on a busy machine the window manager may
        give the box the focus only after the key went to the window that had it."""
        for _ in range(3):
            self.activate(box)
            self.session.key("Return")
            try:
                wait_for("the box to close", lambda: box not in self.app.windows_of_pid(), 10)
                return
            except TestFailure:
                self.check_answering("closing a box")
        raise TestFailure("a message box stays open after Return three times")

    def warm_up(self):
        """Shows a message box and both menus once, then settles: what the program keeps
        from then on (fonts, the box's first window) is not counted as growth."""
        self.settle()
        self.menu_command("a")
        wait_for("the About box", lambda: self.boxes(), 10)
        for title in ("alt+g", "alt+h"):
            self.settle()
            self.session.key(title)
        self.settle()
        self.rss_start = self.app.rss_kb()

    def activate(self, window):
        try:
            self.session.activate(window)
        except TestFailure:
            # A box the program closed itself meanwhile, or the main window of a program
            # that chose its exit: check_alive tells which.
            self.check_alive("activating a window")

    # --- the input -----------------------------------------------------------------------
    @property
    def session(self):
        return self.app.session

    def screen(self, x, y):
        return self.session.to_screen(self.app.main, x, y)

    def button(self, number, down):
        self.session.button(number, down)

    def point(self):
        """Anywhere in the window, menu bar included, or a cell's centre half of the time."""
        if self.rng.random() < 0.5:
            return cell_centre(self.rng.randrange(8), self.rng.randrange(8))
        return self.rng.randrange(CLIENT_W), self.rng.randrange(MENU_BAR + CLIENT_H)

    def click_at(self, x, y, button=1):
        self.session.click(*self.screen(x, y), button=button, park=False)

    def click(self):
        self.click_at(*self.point())

    def double_click(self):
        x, y = self.point()
        self.click_at(x, y)
        time.sleep(0.04)
        self.click_at(x, y)

    def right_click(self):
        self.click_at(*self.point(), button=3)

    def drag_across_edge(self):
        left, top, width, height = self.app.geometry(self.app.main)
        outside = [(left - 30, top + height // 2), (left + width + 30, top + height // 2),
                   (left + width // 2, top - 40), (left + width // 2, top + height + 30)]
        ox, oy = self.rng.choice(outside)
        inside = self.screen(*self.point())
        ends = [inside, (max(ox, 0), max(oy, 0))]
        if self.rng.random() < 0.5:
            ends.reverse()  # from outside in
        self.session.move(*ends[0])
        self.button(1, 1)
        self.session.move((ends[0][0] + ends[1][0]) // 2, (ends[0][1] + ends[1][1]) // 2)
        self.session.move(*ends[1])
        self.button(1, 0)

    def key(self):
        self.session.key(self.rng.choice(KEYS))

    def alt_letter(self):
        self.session.key("alt+" + self.rng.choice("ghnz"))
        self.session.key(self.rng.choice(MENU_LETTERS))

    def menu_command(self, letter=None):
        letter = letter or self.rng.choice(MENU_LETTERS)
        self.session.key("alt+h" if letter == "a" else "alt+g")
        self.session.key(letter)

    def menu_by_mouse(self):
        self.click_at(self.rng.choice([30, 100]), 10)
        self.click_at(self.rng.randrange(20, 200), self.rng.randrange(MENU_BAR, 260))

    def move_then_menu(self):
        """A move, then a menu command at once: it arrives during the computer's pause or
        while Alpha searches."""
        self.click_at(*cell_centre(self.rng.randrange(8), self.rng.randrange(8)))
        self.menu_command()

    def with_about_box_open(self):
        self.menu_command("a")
        try:
            box = wait_for("the About box", lambda: self.boxes(), 10)[0]
        except AssertionError:
            return  # the menu was not there to open (a box of the game came first)
        for _ in range(self.rng.randrange(1, 5)):
            self.rng.choice([self.click, self.right_click, self.drag_across_edge, self.key, self.alt_letter])()
        self.check_answering("input with a message box open")
        if box in self.app.windows_of_pid():
            self.activate(box)
            self.session.key(self.rng.choice(["Return", "Escape", "space"]))

    def with_popup_open(self):
        self.session.key(self.rng.choice(["alt+g", "alt+h", "F10"]))
        for _ in range(self.rng.randrange(1, 4)):
            self.rng.choice([self.click, self.right_click, self.drag_across_edge, self.key, self.double_click])()

    def choose_opponent(self, name):
        self.settle()
        self.menu_command(OPPONENTS[name])
        self.log("opponent: " + name)

    def run(self, seconds):
        inputs = [(self.click, 30), (self.double_click, 6), (self.right_click, 5), (self.drag_across_edge, 5),
                  (self.key, 12), (self.alt_letter, 6), (self.menu_command, 6), (self.menu_by_mouse, 5),
                  (self.move_then_menu, 8), (self.with_about_box_open, 3), (self.with_popup_open, 4)]
        actions, weights = zip(*inputs)
        phases = ["random", "max", "alpha", "human"]
        start = time.monotonic()
        phase = -1
        next_picture = start
        while time.monotonic() - start < seconds:
            now_phase = min(int((time.monotonic() - start) * len(phases) / seconds), len(phases) - 1)
            if now_phase != phase:
                phase = now_phase
                self.survive(lambda: self.choose_opponent(phases[phase]), "choosing an opponent")
            action = self.rng.choices(actions, weights)[0]
            self.actions += 1
            what = "action %d (%s)" % (self.actions, action.__name__)
            self.survive(action, what)
            if self.actions % 4 == 0:
                self.survive(lambda: self.check_answering(what), what)
            if time.monotonic() >= next_picture:
                self.survive(lambda: (self.settle(), self.check_picture()), "the picture check")
                next_picture = time.monotonic() + 5

    def survive(self, step, what):
        """Runs a step; a window the harness lost on the way is fine only when the program
        is ending (a random click or key chose the exit): check_alive then starts it again."""
        try:
            step()
        except TestFailure as lost:
            try:
                self.app.process.wait(timeout=ANSWER_SECONDS)
            except subprocess.TimeoutExpired:
                raise AssertionError("%s: %s, while the program keeps running" % (what, lost)) from None
        self.check_alive(what)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1 << 32)
    print("storm seed %d (replay: --seed %d)" % (seed, seed), flush=True)

    def log(text):
        print("[%6.1f s] %s" % (time.monotonic() - began, text), flush=True)

    began = time.monotonic()
    session = XSession()
    app = None
    apps = []
    try:
        apps = [StormedTarvel(session, args.binary)]

        def restart():
            apps[-1].kill()
            apps.append(StormedTarvel(session, args.binary))
            return apps[-1]
        storm = Storm(apps[0], restart, random.Random(seed), log)
        storm.warm_up()
        storm.run(args.seconds)
        storm.settle()
        storm.check_picture()
        app = storm.app
        rss_start, rss_end = storm.rss_start, app.rss_kb()
        log("%d actions, %d exits chosen by the storm, %d pings answered (slowest %.2f s), %d pictures checked" %
            (storm.actions, storm.exits, storm.pings, storm.longest_answer, storm.pictures))
        log("resident memory %d kB at the start, %d kB at the end" % (rss_start, rss_end))
        if rss_end > rss_start + max(RSS_SLACK_KB, rss_start // 8):
            raise AssertionError("resident memory grew from %d kB to %d kB" % (rss_start, rss_end))
        storm.menu_command("x")
        code = app.exit_code()
        errors = [line for line in app.stderr_text().splitlines() if X_ERROR.search(line)]
        if errors:
            raise AssertionError("X error on stderr: " + errors[0])
        if code != 0:
            raise AssertionError("exit through the menu gave code %d" % code)
        log("exit code 0")
        storm.pinger.disconnect()
    except AssertionError as failure:
        print("FAIL (seed %d): %s" % (seed, failure), flush=True)
        if apps:
            tail = apps[-1].stderr_text()[-2000:]
            if tail:
                print("program's stderr (end):\n" + tail, flush=True)
        return 1
    finally:
        for started in apps:
            started.kill()
        session.close()
    print("storm passed (seed %d)" % seed)
    return 0


if __name__ == "__main__":
    sys.exit(main())
