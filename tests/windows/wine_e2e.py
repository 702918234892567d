#!/usr/bin/env python3
"""tarvel.exe under Wine, played through its window: start, the board's pixels, the window's
style and class as a probe inside the program reads them, a click on a
legal cell and the computer's answer, menu commands by mouse and by keyboard, the About
box, and the exit through the menu with exit code 0 (scenario "play"); start and the
close command of the title bar, exit code 0 (scenario "close"); two people at the mouse,
a pass and the end of a game with their message boxes (scenario "ending"); start, a click
answered and the exit through the menu, for a program installed elsewhere (scenario "click").

Usage: wine_e2e.py --exe build-windows/tarvel.exe --probe window_probe.exe --prefix PREFIX
                   --workdir DIR [--scenario play|close|ending|click] [--golden opening.png]
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import tarvel_screen as ts
from game_driver import GameWindow
from wine import Prefix
from checks import TestFailure, expect, verdict
from picture import read_png
from xsession import Display

HATCH_OR_WHITE = (ts.HATCH_RGB, ts.WHITE_RGB)


def check_start_picture(game):
    picture = game.grab()
    ox, oy = game.origin

    def at(x, y):
        return picture.pixel(ox + x, oy + y)

    # The outline of cell (0, 0): (0, 16), (0, 48), (27, 64), (55, 48), (55, 16), (27, 0),
    # from the board origin (10, 10); the cell is filled with the board's green inside.
    for vx, vy in [(0, 16), (0, 32), (0, 47), (27, 0), (55, 16), (55, 32), (55, 47)]:
        expect(at(10 + vx, 10 + vy) == ts.BLACK_RGB,
               f"no black outline at board ({vx}, {vy}): {at(10 + vx, 10 + vy)}")
    for vx, vy in [(27, 10), (5, 32), (50, 32), (27, 55)]:
        expect(at(10 + vx, 10 + vy) == ts.BOARD_RGB,
               f"cell (0, 0) is not filled with the board colour at ({vx}, {vy}): {at(10 + vx, 10 + vy)}")
    # Outside the board and the panel, the hatch background: diagonal lines in the hatch
    # colour on white, both colours present, nothing else.
    for left, top, right, bottom in [(0, 0, 651, 10), (0, 411, 651, 420), (0, 0, 10, 420),
                                     (641, 0, 651, 420), (482, 150, 651, 420), (482, 0, 491, 150)]:
        colours = {at(x, y) for x in range(left, right) for y in range(top, bottom)}
        expect(colours == set(HATCH_OR_WHITE),
               f"background at ({left}, {top})-({right}, {bottom}) is {sorted(colours)}, "
               "expected the hatch colour on white")
    # An 8 x 8 hatch cell holds both diagonals, two line pixels in each of its rows.
    for y in range(200, 208):
        row = [at(x, y) for x in range(600, 608)]
        expect(row.count(ts.HATCH_RGB) == 2, f"hatch row {y}: {row.count(ts.HATCH_RGB)} line pixels, not 2")
    # The client area is exactly 651 x 420: its edge columns and bottom row are background,
    # the pixels just outside them belong to Wine's frame.
    for x, y in [(0, 200), (650, 200), (300, 419), (0, 419), (650, 419)]:
        expect(at(x, y) in HATCH_OR_WHITE, f"client pixel ({x}, {y}) is {at(x, y)}, not background")
    for x, y in [(-1, 200), (651, 200), (300, 420)]:
        expect(at(x, y) not in HATCH_OR_WHITE, f"pixel ({x}, {y}) outside the client area is {at(x, y)}")
    # The window is centred on the screen (without a window manager, the X window is the
    # Windows window, frame included).
    w, screen = game.window, game.display
    expect((w.x, w.y) == ((screen.width - w.width) // 2, (screen.height - w.height) // 2),
           f"the window {w} is not centred on the {screen.width} x {screen.height} screen")
    # The panel: white inside its frame, black text somewhere in the text rectangle.
    text = {at(x, y) for x in range(501, 631) for y in range(20, 140)}
    expect(ts.WHITE_RGB in text and len(text) > 1, f"the panel shows no text: colours {sorted(text)[:5]}")


def check_window_and_class(prefix, probe):
    """The main window's style, size and menu, and its class's fields, as Windows reports
    them to a probe loaded into the running game."""
    if not probe or not os.path.isfile(probe):
        raise TestFailure(f"{probe} is missing: it is built with x86_64-w64-mingw32-g++")
    code, report = prefix.run_to_end(os.path.abspath(probe))
    print(report.rstrip())
    expect(code == 0, f"the window probe found faults (exit code {code})")


def compare_with_golden(game, path):
    """The client area at the opening against the Linux build's checked-in picture of it,
    every pixel outside the panel's text (whose font may differ)."""
    golden = read_png(path)
    shown = game.client()
    tl, tt, tr, tb = ts.PANEL_TEXT
    differing = [(x, y) for y in range(ts.CLIENT_H) for x in range(ts.CLIENT_W)
                 if not (tl <= x < tr and tt <= y < tb) and shown.pixel(x, y) != golden.pixel(x, y)]
    if differing:
        shown.write_png(os.path.join(game.workdir, "opening-wine.png"))
        sample = ", ".join(f"{p}: {shown.pixel(*p)} not {golden.pixel(*p)}" for p in differing[:10])
        raise TestFailure(f"{len(differing)} pixels of the opening differ from {path}: {sample}")
    print(f"opening: every pixel outside the text equals {os.path.basename(path)}")


def close_from_title_bar(game, display):
    """The close command of the title bar (as a window manager sends it) ends the program
    through the system's default handling, with exit code 0."""
    opening = ts.opening()
    game.wait_position("the opening position", lambda p: p == opening)
    display.request_close(game.window.id)
    code = game.wait_exit(30)
    print(f"close from the title bar: exit code {code}")
    expect(code == 0, f"exit code {code}, expected 0")


def click_and_exit(game):
    """The opening, a click on a legal cell answered by the first computer player, and the
    exit through the menu by keyboard with exit code 0."""
    opening = ts.opening()
    game.wait_position("the opening position", lambda p: p == opening)
    cell = opening.legal_moves("B")[0]
    after = opening.play(*cell, "B")
    answers = {after.play(x, y, "W") for x, y in after.legal_moves("W")}
    game.click_cell(*cell)
    game.wait_position(f"black's stone on {cell} and the computer's answer", lambda p: p in answers, 60)
    print(f"black on {cell}, and the computer answered")
    game.menu_by_keys("g", "x")  # "終了(&X)"
    code = game.wait_exit(30)
    print(f"exit through the menu by keyboard: exit code {code}")
    expect(code == 0, f"exit code {code}, expected 0")


def max_answers(position):
    """The cells Max may choose for White: the first legal corner in scan order, else every
    legal cell that turns the most stones."""
    legal = position.legal_moves("W")
    corners = [c for c in legal if c[0] in (0, 7) and c[1] in (0, 7)]
    if corners:
        return corners[:1]
    most = max(len(position.flips(*c, "W")) for c in legal)
    return [c for c in legal if len(position.flips(*c, "W")) == most]


# Two-human games from the opening, found by a search over the rules: after these eight
# placements Black has no legal cell and White has (a pass); after these nine White has no
# stone left (two passes in a row: the end, Black wins).
PASS_GAME = [(2, 3), (2, 4), (1, 5), (1, 4), (0, 3), (0, 4), (3, 5), (0, 2)]
WIPE_OUT_GAME = [(2, 3), (3, 2), (3, 1), (5, 3), (5, 4), (5, 5), (6, 3), (4, 2), (6, 6)]
BOX_CAPTION = "リバーシ"  # reaches X through code page 932: wrong in any other code page


def play_two_humans(game, cells):
    position, colour = ts.opening(), "B"
    for number, cell in enumerate(cells, 1):
        position = position.play(*cell, colour)
        game.click_cell(*cell)
        if number < len(cells):
            game.wait_position(f"placement {number} on {cell}", lambda p, e=position: p == e)
        colour = "W" if colour == "B" else "B"
    return position


def pass_and_end(game, display):
    """Two people at the mouse: a pass with its box, then a game to its end with the result box."""
    opening = ts.opening()
    game.wait_position("the opening position", lambda p: p == opening)
    game.menu_by_keys("g", "h")  # "vs 人間(&H)"
    position = play_two_humans(game, PASS_GAME)
    expect(not position.legal_moves("B") and position.legal_moves("W"), "the pass game has no pass")
    box = game.wait_window(BOX_CAPTION)
    game.expect_cells(position, box, "under the pass box")
    print(f"pass: box {box} over the position after {len(PASS_GAME)} placements")
    game.keys("Return")
    game.wait_window_gone(box)
    # White moves again after Black's pass.
    white_cell = position.legal_moves("W")[0]
    after = position.play(*white_cell, "W")
    game.click_cell(*white_cell)
    game.wait_position(f"white again, on {white_cell}", lambda p: p == after)
    print(f"white placed again after the pass, on {white_cell}")

    game.menu_by_keys("g", "n")  # "先手でニューゲーム(&N)"
    game.wait_position("the opening position after a new game", lambda p: p == opening)
    final = play_two_humans(game, WIPE_OUT_GAME)
    expect(final.count("W") == 0, "the wipe-out game leaves white stones")
    box = game.wait_window(BOX_CAPTION)
    game.expect_cells(final, box, "under the result box")
    print(f"end of the game: result box {box}, black {final.count('B')}, white 0")
    game.keys("Return")
    game.wait_window_gone(box)
    game.menu_by_keys("g", "x")  # "終了(&X)"
    code = game.wait_exit(30)
    print(f"exit through the menu by keyboard: exit code {code}")
    expect(code == 0, f"exit code {code}, expected 0")


def play(args):
    prefix = Prefix(args.prefix)
    prefix.check()
    os.makedirs(args.workdir, exist_ok=True)
    log = open(os.path.join(args.workdir, "wine.log"), "wb")
    with Display(args.workdir) as display:
        prefix.display = display.name
        prefix.start_server()
        process = prefix.start(os.path.abspath(args.exe), debug="-all,err+all", log=log)
        game = GameWindow(display, process, args.workdir, "wine")
        try:
            started = time.monotonic()
            game.wait_started()
            print(f"main window {game.window}, client area at {game.origin}, "
                  f"{time.monotonic() - started:.1f} s after start")

            if args.scenario == "close":
                close_from_title_bar(game, display)
                return
            if args.scenario == "ending":
                pass_and_end(game, display)
                return
            if args.scenario == "click":
                click_and_exit(game)
                return

            check_window_and_class(prefix, args.probe)
            # Start: the opening position, the hatch, the hex outline and the panel.
            opening = ts.opening()
            game.wait_position("the opening position", lambda p: p == opening)
            check_start_picture(game)
            print("start: opening position, outlines, hatch background and panel as expected")
            if args.golden:
                compare_with_golden(game, args.golden)

            # A click on a legal cell, then the computer's answer (Random: any legal cell).
            def click_and_answer(position, cell, answers_of=lambda p: p.legal_moves("W"), name="Random"):
                after_click = position.play(*cell, "B")
                answers = {after_click.play(x, y, "W"): (x, y) for x, y in answers_of(after_click)}
                started = time.monotonic()
                game.click_cell(*cell)
                # The position between the two placements is painted while the computer
                # thinks, but Wine puts a window's drawing on the X screen only when the
                # program next waits for messages: it may never show here, so only the
                # final position is required.
                answer = game.wait_position(
                    f"black's stone on {cell} and {name}'s answer among {sorted(answers.values())}",
                    lambda p: p in answers, 60)
                print(f"black on {cell}; {name} answered on {answers[answer]} "
                      f"({time.monotonic() - started:.1f} s; it could choose {len(answers)} "
                      f"of the {len(after_click.legal_moves('W'))} legal cells)")
                return answer

            legal = opening.legal_moves("B")
            expect(len(legal) == 4, f"the opening offers {legal}")
            position = click_and_answer(opening, legal[0])

            # An occupied cell: nothing changes and the computer does not move. The program
            # handles its input in order, so once the menu (clicked next) is open, the
            # click on the board has been handled.
            game.click_cell(3, 3)

            # Menu by mouse: "ゲーム(&G)" then its first item, "先手でニューゲーム(&N)".
            popup = game.open_game_menu()
            print(f"game menu (mouse): {popup}")
            game.expect_cells(position, popup, "after a click on an occupied cell")
            game.click_popup_item(popup, first=True)
            game.wait_position("the opening position after a new game", lambda p: p == opening)
            print("new game by mouse: opening position again")

            click_and_answer(opening, legal[1])

            # Menu by keyboard: F10 opens the bar, "g" the game menu, "u" takes back.
            game.menu_by_keys("g", "u")
            game.wait_position("the opening position after take-back", lambda p: p == opening)
            print("take-back by keyboard (F10, g, u): opening position again")

            # "vs Com &2" (Max): a legal corner first, else a cell that turns the most stones.
            # Two rounds at least, until White's choices differ in what they turn.
            game.menu_by_keys("g", "2")
            position = opening
            for round_number in range(1, 6):
                choices = [c for c in position.legal_moves("B")
                           if len({len(position.play(*c, "B").flips(*w, "W"))
                                   for w in position.play(*c, "B").legal_moves("W")}) > 1]
                if round_number > 1 and choices:
                    position = click_and_answer(position, choices[0], max_answers, "Max")
                    break
                cell = next(c for c in position.legal_moves("B") if position.play(*c, "B").legal_moves("W"))
                position = click_and_answer(position, cell, max_answers, "Max")
                expect(position.legal_moves("B"), "black has to pass: choose other cells")
            else:
                raise TestFailure("no position where Max's choice matters was reached")

            # "vs Com &3" (Alpha), by keyboard: a new game, then a legal answer.
            game.menu_by_keys("g", "3")
            game.wait_position("the opening position with Alpha", lambda p: p == opening)
            click_and_answer(opening, legal[2], name="Alpha")
            # "後手でニューゲーム(&W)": Alpha plays Black and opens the game at once.
            game.menu_by_keys("g", "w")
            openings = {opening.play(*c, "B"): c for c in legal}
            position = game.wait_position("Alpha's first stone as Black", lambda p: p in openings, 60)
            print(f"new game with the human second: Alpha opened on {openings[position]}")

            # The About box, by keyboard: F10, h (help), a; closed with Return.
            game.menu_by_keys("h", "a")
            about = game.wait_window("About..")
            print(f"About box: {about}")
            expect(display.window_named("Tarvel") is not None, "the main window went away with the About box")
            expect(about.x > game.window.x and about.y > game.window.y
                   and about.x + about.width < game.window.x + game.window.width,
                   f"the About box {about} does not lie over the main window {game.window}")
            # The box is modal: a click on a cell where the human (White) could place, beside
            # the box, places nothing.
            ox, oy = game.origin

            def beside_box(cell):
                cx, cy = ts.cell_center(*cell)
                return not (about.x - 30 <= ox + cx < about.x + about.width + 30
                            and about.y - 30 <= oy + cy < about.y + about.height + 30)

            beside = next(c for c in position.legal_moves("W") if beside_box(c))
            game.click_cell(*beside)
            game.keys("Return")
            game.wait_window_gone(about)
            game.check_running()
            print(f"About box shown and closed with Return; a click on {beside} meanwhile")

            # Exit through the menu, by mouse: the last item of the game menu, "終了(&X)".
            # Once the menu is open, the click made under the About box has been handled.
            popup = game.open_game_menu()
            shown = game.expect_cells(position, popup, "after a click while the About box was up")
            expect(beside in shown, f"the cell {beside} lies under the menu")
            game.click_popup_item(popup, first=False)
            code = game.wait_exit(30)
            print(f"exit through the menu: exit code {code}")
            expect(code == 0, f"exit code {code}, expected 0")
        except TestFailure:
            game.screenshot("failure")
            raise
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
            prefix.kill_server()
            log.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--probe", help="window_probe.exe, with class_probe.dll beside it (scenario play)")
    parser.add_argument("--golden", help="a picture of the client area at the opening to compare with")
    parser.add_argument("--scenario", choices=("play", "close", "ending", "click"), default="play",
                        help="play: the whole game scenario; close: start and close from the title bar; "
                             "ending: two people, a pass and the end of a game; "
                             "click: start, a click answered, exit")
    args = parser.parse_args()
    return verdict(lambda: play(args))


if __name__ == "__main__":
    sys.exit(main())
