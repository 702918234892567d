"""End-to-end scenarios of the Linux program in its own X server, driven like a user.

Usage: tarvel_e2e.py BINARY GOLDEN_OPENING_PNG SCENARIO [SCREENSHOT_DIR]
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import expect as check
from checks import wait_for
from picture import read_png
from tarvel_linux import Tarvel, cell_centre
from tarvel_screen import BLACK, BOARD, CLIENT_H, CLIENT_W, HIGHLIGHT, MENU_BAR, MENU_FACE, cell_states
from xsession import XSession

# Two people: White cannot move after Black's 11th move and passes; Black's 12th move
# takes White's last stones and the game ends, 16 to 0.
PASSING_GAME = [(2, 3), (3, 2), (3, 5), (1, 3), (0, 3), (4, 5), (5, 5), (3, 6), (2, 7), (5, 3), (2, 1), (6, 3)]

PASSING_CELLS = [(x, y) for x in range(8) for y in range(8)]

# The menu's layout: titles on the bar, popup items of 20 and separators of 8 pixels
# below a 2 pixel border, as the layer draws them.
GAME_TITLE, HELP_TITLE = (30, 10), (100, 10)
GAME_ITEMS = ["first", "second", None, "human", "com1", "com2", "com3", None, "undo", None, "exit"]


def item_centre(items, name, x=60):
    top = MENU_BAR + 2
    for item in items:
        height = 8 if item is None else 20
        if item == name:
            return x, top + height // 2
        top += height
    raise KeyError(name)


def stones(image):
    """The stones shown, cell by cell: 'B', 'W', '.' or '?'."""
    return cell_states(image, (0, MENU_BAR))


def count(cells, what):
    return sum(1 for v in cells.values() if v == what)


def choose(app, title, items, name):
    """Opens a popup with the mouse and clicks one of its items."""
    app.click(*title)
    # The popup's grey face covers the board where the item's text ends.
    wait_for("the popup", lambda: app.shot().at(*item_centre(items, name, 150)) == MENU_FACE)
    app.click(*item_centre(items, name))


def scenario_start_and_play(app, shots):
    """The first picture is the opening exactly; a legal click is answered by the computer."""
    golden = read_png(GOLDEN)
    shot = app.shot()
    check((shot.width, shot.height) == (CLIENT_W, CLIENT_H + MENU_BAR), "window size %dx%d" % (shot.width, shot.height))
    client = shot.crop(0, MENU_BAR, CLIENT_W, CLIENT_H)
    differing = sum(1 for y in range(CLIENT_H) for x in range(CLIENT_W) if client.at(x, y) != golden.at(x, y))
    check(differing == 0, "%d pixels of the client area differ from the opening picture" % differing)
    check(shot.at(CLIENT_W - 5, 5) == MENU_FACE, "no grey menu bar")
    # Centred on the 1280 x 1024 screen: the window manager puts its frame where the window was asked to be.
    fx, fy, _, _ = app.frame()
    check(abs(fx - (1280 - CLIENT_W) // 2) <= 2 and abs(fy - (1024 - CLIENT_H - MENU_BAR) // 2) <= 2,
          "window at %d, %d" % (fx, fy))
    if shots:
        app.save(os.path.join(shots, "start.png"))

    app.click(*cell_centre(2, 3))
    def answered():
        cells = stones(app.shot())
        return cells if count(cells, "B") + count(cells, "W") == 6 else None
    cells = wait_for("the computer's answer", answered)
    check(cells[2, 3] == "B", "the human's stone is not on (2, 3)")
    app.click(CLIENT_W - 2, CLIENT_H + MENU_BAR - 2)  # an off-board click does nothing
    app.click(*GAME_TITLE)
    app.key("Escape")
    app.key("Escape")
    check(stones(app.shot()) == cells, "the board changed without a move")
    app.click(*item_centre(GAME_ITEMS, "exit"))  # the popup is closed: this is a board click
    check(stones(app.shot()) == cells, "a click below the closed menu placed a stone")


def scenario_menu_radio(app, shots):
    """"vs Com &3" chosen with the mouse moves the radio bullet."""
    def bullet(image, name):
        x0, y = item_centre(GAME_ITEMS, name, 0)
        return sum(1 for dy in range(-4, 5) for x in range(x0 + 2, x0 + 20) if image.at(x, y + dy) == BLACK)

    app.click(*GAME_TITLE)
    menu = wait_for("the popup", lambda: (lambda s: s if bullet(s, "com1") else None)(app.shot()))
    check(bullet(menu, "com3") == 0, "vs Com 3 marked before it was chosen")
    app.move(*item_centre(GAME_ITEMS, "com3"))
    hover = wait_for("the highlight", lambda: (lambda s: s if s.at(150, item_centre(GAME_ITEMS, "com3")[1] - 8) == HIGHLIGHT
                                               else None)(app.shot()))
    if shots:
        app.save(os.path.join(shots, "menu.png"))
    app.click(*item_centre(GAME_ITEMS, "com3"))
    wait_for("the popup to close", lambda: app.shot().at(*item_centre(GAME_ITEMS, "com3", 150)) != HIGHLIGHT)
    app.click(*GAME_TITLE)
    menu = wait_for("the popup", lambda: (lambda s: s if bullet(s, "com3") else None)(app.shot()))
    check(bullet(menu, "com1") == 0, "the bullet stayed on vs Com 1")
    app.key("Escape")
    app.key("Escape")
    # Alpha answers a move.
    app.click(*cell_centre(3, 5))
    wait_for("Alpha's answer", lambda: count(stones(app.shot()), "W") >= 1 and
             count(stones(app.shot()), "B") + count(stones(app.shot()), "W") == 6)
    del hover


def play_to_the_end(app, pass_by_mouse, shots):
    for x, y in PASSING_GAME[:11]:
        app.click(*cell_centre(x, y))
        wait_for("the stone on (%d, %d)" % (x, y), lambda: stones(app.shot())[x, y] != "." or
                 [w for w in app.windows_of_pid() if w != app.main])
    box = app.box()
    check(app.title(box) == "リバーシ", "pass box titled %r" % app.title(box))
    if shots:
        app.session.grab().write_png(os.path.join(shots, "pass.png"))
    # Cells under the box show the box on a screenshot: compare the others.
    bx, by, bw, bh = app.geometry(box)
    mx, my, _, _ = app.geometry(app.main)
    hidden = {cell for cell in PASSING_CELLS if bx - 30 <= mx + cell_centre(*cell)[0] < bx + bw + 30 and
              by - 60 <= my + cell_centre(*cell)[1] < by + bh + 30}

    def outside_box():
        return {cell: v for cell, v in stones(app.shot()).items() if cell not in hidden}
    before = outside_box()
    app.click(*cell_centre(7, 7))  # the owner takes no clicks while the box is up
    if pass_by_mouse:
        app.click_ok(box)
    else:
        app.key("space", window=box)
    app.box_gone(box)
    check(outside_box() == before, "a click reached the board under the box")

    app.click(*cell_centre(*PASSING_GAME[11]))
    box = app.box()
    check(app.title(box) == "リバーシ", "result box titled %r" % app.title(box))
    if shots:
        app.session.grab().write_png(os.path.join(shots, "result.png"))
    if pass_by_mouse:
        app.key("Return", window=box)
    else:
        app.click_ok(box)
    app.box_gone(box)
    wait_for("the final position, 16 to 0, under the box",
             lambda: (lambda c: count(c, "B") == 16 and count(c, "W") == 0)(stones(app.shot())))


def scenario_pass_and_result(app, shots):
    """Two people reach a pass and the end; the boxes go by mouse, Space, Return and OK."""
    choose(app, GAME_TITLE, GAME_ITEMS, "human")
    play_to_the_end(app, True, shots)
    # A new game by the keyboard: F10, Down opens the popup on its first item, Enter.
    app.key("F10")
    app.key("Down")
    app.key("Return")
    wait_for("the opening", lambda: count(stones(app.shot()), "W") == 2)
    play_to_the_end(app, False, None)


def scenario_about(app, shots):
    """Help, then the About item: a box titled "About.." over the window, gone with Escape."""
    app.click(*HELP_TITLE)
    wait_for("the help popup", lambda: app.shot().at(100, MENU_BAR + 12) != BOARD)
    app.click(100, MENU_BAR + 12)
    box = app.box()
    check(app.title(box) == "About..", "about box titled %r" % app.title(box))
    bx, by, bw, bh = app.geometry(box)
    mx, my, mw, mh = app.geometry(app.main)
    check(abs((bx + bw // 2) - (mx + mw // 2)) <= 2, "the box is not centred over the window")
    if shots:
        app.session.grab().write_png(os.path.join(shots, "about.png"))
    app.key("Escape", window=box)
    app.box_gone(box)

    # Again by the keyboard (Alt, Right to Help, Enter, then its letter); gone with the title bar's close button.
    app.key("alt")
    app.key("Right")
    app.key("Return")
    app.key("a")
    box = app.box()
    check(app.title(box) == "About..", "about box titled %r" % app.title(box))
    app.click_close_button(box)
    app.box_gone(box)
    check(app.process.poll() is None, "closing the box ended the program")


def scenario_exit_menu(app, shots):
    choose(app, GAME_TITLE, GAME_ITEMS, "exit")
    code = app.exit_code()
    check(code == 0, "exit code %d, stderr: %s" % (code, app.process.stderr.read().decode(errors="replace")))


def scenario_exit_close(app, shots):
    app.click_close_button()
    code = app.exit_code()
    check(code == 0, "exit code %d, stderr: %s" % (code, app.process.stderr.read().decode(errors="replace")))


def no_display(binary):
    """Without a display the program says so in one line, with the way out, and fails."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    result = subprocess.run([binary], env=env, capture_output=True, text=True, timeout=30)
    lines = result.stderr.strip().splitlines()
    check(result.returncode != 0, "exit code 0 without a display")
    check(len(lines) == 1 and "xvfb-run" in lines[0], "stderr: %r" % result.stderr)


if __name__ == "__main__":
    binary, GOLDEN, name = sys.argv[1:4]
    shots = sys.argv[4] if len(sys.argv) > 4 else None
    if name == "no_display":
        no_display(binary)
        print("ok:", name)
        sys.exit(0)
    session = XSession()
    app = None
    try:
        app = Tarvel(session, binary)
        globals()["scenario_" + name](app, shots)
        if app.process.poll() is None:
            app.process.terminate()
        print("ok:", name)
    finally:
        if app:
            app.kill()
        session.close()
