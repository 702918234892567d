#!/usr/bin/env python3
"""The same game drawn by the Linux build (our software GDI) and by the Windows build under
Wine (Wine's GDI), compared pixel by pixel.

Both programs get the same input in client coordinates: the two-human mode by keyboard
(F10, g, h), then a fixed series of placements, each the first legal cell in scan order for
the side to move. At the opening and after the 4th and the 8th placement the client areas
are captured and compared: every pixel outside the panel's text rectangle must agree (the
board 10..481 x 10..410, the panel's frame and margin, the hatch background); the text may
differ in font. Differences are written as pictures (wine-N.png, linux-N.png, diff-N.png,
red where a compared pixel differs, yellow where text differs) and listed by kind.

Usage: fidelity.py --exe tarvel.exe --linux build/tarvel --prefix PREFIX --workdir DIR
"""

import argparse
import math
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import tarvel_screen as ts
from game_driver import GameWindow
from wine import Prefix
from checks import TestFailure, end_with_parent, expect, verdict
from picture import Picture
from xsession import Display

MOVES = 8
CHECKPOINTS = (0, 4, 8)


def placements():
    """The two-human game both programs are given: [(cell, position after it)]."""
    position, colour, out = ts.opening(), "B", []
    for _ in range(MOVES):
        legal = position.legal_moves(colour)
        if not legal:
            raise TestFailure(f"{colour} has no legal cell in\n{position}")
        position = position.play(*legal[0], colour)
        out.append((legal[0], position))
        colour = "W" if colour == "B" else "B"
    return out


def stable_client(game):
    """The client area once two grabs in a row agree (a paint is finished)."""
    last = [None]

    def same():
        picture = game.client()
        if last[0] is not None and picture.rgb == last[0].rgb:
            return picture
        last[0] = picture
        return None

    return game.wait("a still picture", same, 10)


def play(game, label, choose):
    """Plays the fixed game, choosing menu items by keyboard through choose(menu letter,
    item letter); returns {checkpoint: client picture}."""
    captures = {}
    opening = ts.opening()
    game.wait_position("the opening position", lambda p: p == opening)
    captures[0] = stable_client(game)
    choose("g", "h")  # "vs 人間(&H)": two people at the mouse, a new game
    for number, (cell, expected) in enumerate(placements(), 1):
        game.click_cell(*cell)
        game.wait_position(f"placement {number} on {cell}", lambda p, e=expected: p == e)
        if number in CHECKPOINTS:
            captures[number] = stable_client(game)
    print(f"{label}: {MOVES} placements shown as expected")
    choose("g", "x")  # "終了(&X)"
    code = game.wait_exit(30)
    # The exit code is the end-to-end tests' business; here it is only reported.
    print(f"{label}: ended through the menu with exit code {code}")
    return captures


def run_wine(args):
    prefix = Prefix(args.prefix)
    prefix.check()
    with Display(args.workdir) as display:
        prefix.display = display.name
        prefix.start_server()
        process = prefix.start(os.path.abspath(args.exe))
        game = GameWindow(display, process, args.workdir, "wine")
        try:
            game.wait_started()
            # Wine shows a popup menu as a window of its own: menu_by_keys waits for it.
            return play(game, "wine", game.menu_by_keys)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
            prefix.kill_server()


def run_linux(args):
    with Display(args.workdir) as display:
        env = dict(display.env, SDL_VIDEODRIVER="x11")
        process = subprocess.Popen([os.path.abspath(args.linux)], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, preexec_fn=end_with_parent)
        game = GameWindow(display, process, args.workdir, "linux")
        try:
            game.wait_started()

            def choose(menu, item):
                # No window manager gives the window the focus; its menus are drawn inside it.
                display.focus(game.window.id)
                game.keys("F10", menu, item)

            return play(game, "linux", choose)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()


# ---------------------------------------------------------------------------------------
# Comparison


def region_of(x, y):
    """Which part of the client area a pixel belongs to."""
    bl, bt, br, bb = ts.BOARD_RECT
    tl, tt, tr, tb = ts.PANEL_TEXT
    fl, ft, fr, fb = ts.PANEL_FRAME
    if tl <= x < tr and tt <= y < tb:
        return "text"
    if bl <= x < br and bt <= y < bb:
        return "board"
    if fl <= x < fr and ft <= y < fb:
        return "panel"
    return "background"


CENTRES = [ts.cell_center(x, y) for x in range(8) for y in range(8)]


def kind_in_board(x, y, a, b):
    """A rough name for what a differing board pixel belongs to: stones lie within 25
    pixels of a cell's centre, the outlines at least 27 pixels away."""
    distance = min(math.hypot(x - cx, y - cy) for cx, cy in CENTRES)
    if distance < 26.5:
        return "stone"
    if ts.BLACK_RGB in (a, b):
        return "hexagon outline"
    if ts.HATCH_RGB in (a, b) or ts.WHITE_RGB in (a, b):
        return "hatch around the hexagons"
    return "hexagon fill"


def compare(wine, linux, tag, workdir):
    diff = bytearray()
    counts = {"board": 0, "panel": 0, "background": 0, "text": 0}
    kinds = {}
    for y in range(ts.CLIENT_H):
        for x in range(ts.CLIENT_W):
            a, b = wine.pixel(x, y), linux.pixel(x, y)
            if a == b:
                diff += bytes(255 - (255 - c) // 4 for c in a)
                continue
            region = region_of(x, y)
            counts[region] += 1
            if region == "text":
                diff += bytes((255, 200, 0))
                continue
            diff += bytes((255, 0, 0))
            kind = kind_in_board(x, y, a, b) if region == "board" else region
            kinds.setdefault(kind, []).append(((x, y), a, b))
    wine.write_png(os.path.join(workdir, f"wine-{tag}.png"))
    linux.write_png(os.path.join(workdir, f"linux-{tag}.png"))
    Picture(ts.CLIENT_W, ts.CLIENT_H, diff).write_png(os.path.join(workdir, f"diff-{tag}.png"))
    print(f"after {tag} placements: differing pixels: board {counts['board']}, panel frame and "
          f"margin {counts['panel']}, background {counts['background']}; text (allowed) {counts['text']}")
    for kind, pixels in sorted(kinds.items()):
        sample = "; ".join(f"{p} wine {a} linux {b}" for p, a, b in pixels[:12])
        print(f"  {kind}: {len(pixels)} pixels, e.g. {sample}")
    return counts


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--linux", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--workdir", required=True)
    args = parser.parse_args()
    os.makedirs(args.workdir, exist_ok=True)

    def body():
        linux = run_linux(args)
        wine = run_wine(args)
        failing = 0
        for tag in CHECKPOINTS:
            counts = compare(wine[tag], linux[tag], tag, args.workdir)
            failing += counts["board"] + counts["panel"] + counts["background"]
        print(f"pictures in {args.workdir}")
        expect(failing == 0, f"{failing} pixels outside the text differ between Wine's GDI and ours")

    return verdict(body)


if __name__ == "__main__":
    sys.exit(main())
