"""How the Linux program ends when its surroundings fail, and how its menu lets go when
the user turns elsewhere, driven in private X servers with openbox.

Usage: failures_e2e.py BINARY SCENARIO [REPEATS]

Scenarios:
  menu_focus     an open menu closes, choosing nothing, when the user clicks on the
                 desktop, when another window takes the focus, and with Escape
  server_killed  the X server killed while the program is idle, shows a message box, has
                 a menu open, and pauses before the computer's move: REPEATS times each
  client_killed  the program's connection killed by another client (XKillClient)
  window_closed  the main window destroyed by another client, also just after a move: ends
                 as a close does; a message box destroyed: gone as if closed
  no_font        no font in fontconfig's configuration, and only one that does not cover
                 Japanese
  bad_display    DISPLAY names a display where no X server answers
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import wait_for
from tarvel_linux import Tarvel, cell_centre
from xsession import Display, XSession

BLACK, BOARD, FACE = 0x000000, 0x3F9F6F, 0xD4D0C8
GAME_TITLE, HELP_TITLE = (30, 10), (100, 10)
# The Game popup's last item (exit) spans rows 186 to 205 of the window; a click 10 rows
# above the centre of cell (2, 3) is still on that cell, and on that item while the popup
# is open. A popup that outlived the focus would end the program there.
EXIT_ITEM_ROW = 196
LOST_WITHIN = 2.0


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def open_game_menu(app):
    app.click(*GAME_TITLE)
    wait_for("the Game popup", lambda: app.shot().at(150, EXIT_ITEM_ROW) == FACE)


def popup_gone(app):
    return app.shot().at(150, EXIT_ITEM_ROW) != FACE


def click_under_exit_item_and_expect_a_stone(app, how):
    x, y = cell_centre(2, 3)
    check(EXIT_ITEM_ROW > y - 32, "the click would miss the cell")
    app.click(x, EXIT_ITEM_ROW)
    wait_for("a black stone on (2, 3) after " + how,
             lambda: app.process.poll() is not None or app.shot().at(x, y) == BLACK)
    check(app.process.poll() is None, "the program ended: a click after %s chose the exit item" % how)


def other_window(session):
    """Another client's window, shown and given the focus. Returns its process."""
    other = subprocess.Popen(["xmessage", "-geometry", "+0+0", "another program"], env=session.env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = wait_for("the other program's window", lambda: session.windows_of_class("xmessage"))[0]
    session.activate(window)
    return other


def scenario_menu_focus(binary, repeats):
    session = XSession()
    app = None
    try:
        app = Tarvel(session, binary)
        # A click on the desktop: openbox takes the focus from the window.
        open_game_menu(app)
        session.click(20, 1000, park=False)
        wait_for("the popup to close after a click on the desktop", lambda: popup_gone(app))
        click_under_exit_item_and_expect_a_stone(app, "a click on the desktop")
        app.kill()

        # Another window takes the focus.
        app = Tarvel(session, binary)
        open_game_menu(app)
        other = other_window(session)
        try:
            wait_for("the popup to close when another window took the focus", lambda: popup_gone(app))
        finally:
            other.kill()
            other.wait()
        click_under_exit_item_and_expect_a_stone(app, "the focus went to another window")

        # Escape, with the focus still there.
        open_game_menu(app)
        app.key("Escape")
        wait_for("the popup to close with Escape", lambda: popup_gone(app))
        check(app.process.poll() is None, "Escape ended the program")
    finally:
        if app:
            app.kill()
        session.close()


def expect_one_line_and_failure(app, what, started):
    try:
        code = app.process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise AssertionError("%s: the program hangs" % what)
    took = time.monotonic() - started
    lines = app.process.stderr.read().decode(errors="replace").strip().splitlines()
    check(code > 0, "%s: exit code %d" % (what, code))
    check(len(lines) == 1 and "lost the connection to the X server" in lines[0], "%s: stderr %r" % (what, lines))
    check(took < LOST_WITHIN, "%s: the program took %.2f s to end" % (what, took))
    return took


def bring_to_state(app, state):
    """Idle, a message box up, a menu open, or within the computer's 300 ms pause."""
    if state == "box":
        app.click(*HELP_TITLE)
        wait_for("the Help popup", lambda: app.shot().at(100, 32) != BOARD)
        app.click(100, 32)
        app.box()
    elif state == "menu":
        open_game_menu(app)
    elif state == "pause":
        # The stone shows before the computer's pause begins.
        x, y = cell_centre(2, 3)
        app.click(x, y)
        wait_for("the black stone", lambda: app.shot().at(x, y) == BLACK)


STATES = ("idle", "box", "menu", "pause")


def scenario_server_killed(binary, repeats):
    times = []
    for state in STATES:
        for round_ in range(repeats):
            session = XSession()
            app = None
            try:
                app = Tarvel(session, binary)
                bring_to_state(app, state)
                started = time.monotonic()
                # SIGTERM: the server drops every connection at once, as when it dies, and
                # still removes its socket and lock, which a SIGKILL would leave for the
                # next server to trip over.
                session.server.terminate()
                times.append(expect_one_line_and_failure(app, "server killed, %s, round %d" % (state, round_ + 1),
                                                         started))
            finally:
                if app:
                    app.kill()
                session.close()
    print("server killed: %d runs, slowest end %.3f s" % (len(times), max(times)))


def scenario_client_killed(binary, repeats):
    session = XSession()
    app = None
    times = []
    try:
        for round_ in range(repeats):
            app = Tarvel(session, binary)
            started = time.monotonic()
            session.kill_client(app.main)
            times.append(expect_one_line_and_failure(app, "client killed, round %d" % (round_ + 1), started))
    finally:
        if app:
            app.kill()
        session.close()
    print("client killed: %d runs, slowest end %.3f s" % (len(times), max(times)))


def destroyed_window_ends_the_program(app, session, what, moved_first=False):
    """moved_first: the program is paused while its window is moved and destroyed, so the
    move reaches it after the window has gone, and its questions about where the window
    now is fail."""
    if moved_first:
        app.process.send_signal(signal.SIGSTOP)
    session.destroy(app.main, moved_first)
    if moved_first:
        app.process.send_signal(signal.SIGCONT)
    started = time.monotonic()
    try:
        code = app.process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise AssertionError("%s: the program hangs" % what)
    took = time.monotonic() - started
    errors = app.process.stderr.read().decode(errors="replace").strip()
    check(code == 0 and not errors, "%s: exit code %d, stderr %r" % (what, code, errors))
    check(took < LOST_WITHIN, "%s: the program took %.2f s to end" % (what, took))
    return took


def scenario_window_closed(binary, repeats):
    # Without a window manager a move reaches the window itself; with one, the window
    # manager takes it in hand.
    with Display() as bare:
        app = Tarvel(bare, binary)
        try:
            destroyed_window_ends_the_program(app, bare, "window moved and destroyed", moved_first=True)
        finally:
            app.kill()
    session = XSession()
    app = None
    times = []
    try:
        for round_ in range(repeats):
            app = Tarvel(session, binary)
            times.append(destroyed_window_ends_the_program(app, session, "window destroyed, round %d" % (round_ + 1)))

        # A message box destroyed by another client is gone as if closed; the game goes on.
        app = Tarvel(session, binary)
        bring_to_state(app, "box")
        box = app.box()
        session.destroy(box)
        app.box_gone(box)
        x, y = cell_centre(2, 3)
        time.sleep(0.2)  # an error about the box would end the program now
        if app.process.poll() is None:
            app.click(x, y)
            wait_for("a black stone after the box went",
                     lambda: app.process.poll() is not None or app.shot().at(x, y) == BLACK)
        if app.process.poll() is not None:
            raise AssertionError("the program ended with its box: code %d, stderr %r" %
                                 (app.process.returncode, app.process.stderr.read().decode(errors="replace")))
        app.click_close_button()
        code = app.exit_code()
        check(code == 0, "exit code %d after the box was destroyed" % code)
    finally:
        if app:
            app.kill()
        session.close()
    print("window destroyed: %d runs, slowest end %.3f s" % (len(times), max(times)))


def run_alone(binary, env, what):
    result = subprocess.run([binary], env=env, capture_output=True, text=True, timeout=30)
    lines = result.stderr.strip().splitlines()
    # 1, not a signal: no abort, no core dump.
    check(result.returncode == 1, "%s: exit code %d, stderr %r" % (what, result.returncode, result.stderr))
    check(len(lines) == 1, "%s: stderr %r" % (what, result.stderr))
    return lines[0]


def font_without_japanese():
    """A font file of this machine that fontconfig says does not cover Japanese."""
    def files(pattern):
        listed = subprocess.run(["fc-list", pattern, "file"], capture_output=True, text=True, check=True).stdout
        return {line.rstrip().rstrip(":") for line in listed.splitlines() if line.strip()}
    latin = sorted(files(":lang=en") - files(":lang=ja"))
    check(latin, "no font without Japanese to try")
    return latin[0]


def scenario_no_font(binary, repeats):
    """Without a font, and with only one that does not cover Japanese (which fontconfig still
    gives for a Japanese request), the program ends with one line naming the font to install."""
    session = XSession()
    try:
        for fonts, what in (([], "no font"), ([font_without_japanese()], "a font without Japanese")):
            with tempfile.TemporaryDirectory() as work:
                for font in fonts:
                    os.symlink(font, os.path.join(work, os.path.basename(font)))
                config = os.path.join(work, "fonts.conf")
                with open(config, "w") as f:
                    f.write('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "fonts.dtd">\n'
                            '<fontconfig>%s<cachedir>%s</cachedir></fontconfig>\n'
                            % ("<dir>%s</dir>" % work if fonts else "", os.path.join(work, "cache")))
                env = dict(session.env, FONTCONFIG_FILE=config)
                line = run_alone(binary, env, what)
                check("Japanese font" in line and "fonts-ipafont-gothic" in line, "%s: %r" % (what, line))
    finally:
        session.close()


def scenario_bad_display(binary, repeats):
    number = next(n for n in range(947, 1100) if not os.path.exists("/tmp/.X11-unix/X%d" % n))
    env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    env["DISPLAY"] = ":%d" % number
    line = run_alone(binary, env, "bad display")
    check('":%d"' % number in line, "bad display: %r" % line)


if __name__ == "__main__":
    binary, name = sys.argv[1:3]
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    globals()["scenario_" + name](binary, repeats)
    print("ok:", name)
