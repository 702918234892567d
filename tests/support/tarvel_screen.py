"""What the game's window shows, read back from the screen: where its client area is, the
stones on the board, and the rules of a placement to check the computer's replies.

Geometry of the client area (651 x 420): the board is drawn at (10, 10) and covers
10..481 x 10..410 (both ends included: the outlines' right and bottom vertices are drawn);
the status panel's frame is the rectangle (491, 10)-(641, 150), so its one-pixel outline
covers x 491..640 and y 10..149. The Linux layer draws its 20 pixel menu bar inside the
window, above the client area; Windows draws it in the frame.
"""

import struct

CLIENT_W, CLIENT_H = 651, 420
MENU_BAR = 20
BOARD_ORIGIN = (10, 10)
ORIGIN = BOARD_ORIGIN[0]
BOARD_RECT = (10, 10, 482, 411)  # left, top, right, bottom (exclusive)
PANEL_FRAME = (491, 10, 641, 150)
PANEL_TEXT = (501, 20, 631, 140)

# Colours as 0xRRGGBB and as (r, g, b).
BLACK, WHITE, BOARD, HATCH = 0x000000, 0xFFFFFF, 0x3F9F6F, 0xBFCFDF
MENU_FACE, HIGHLIGHT = 0xD4D0C8, 0x0A246A  # the Linux layer's menus: face and chosen item


def rgb(colour):
    return colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF


BLACK_RGB, WHITE_RGB, BOARD_RGB, HATCH_RGB = map(rgb, (BLACK, WHITE, BOARD, HATCH))

# The square root of 3 in single precision and the cell width, as the board computes them.
_S = struct.unpack("<f", struct.pack("<f", 3.0 ** 0.5))[0]
CELL_W = 32 * _S

DIR_DX = ((-1, 1, -1, -1, 0, 0), (-1, 1, 0, 0, 1, 1))
DIR_DY = (0, 0, -1, 1, -1, 1)


def cell_center(x, y):
    """The centre of cell (column x, row y) in client coordinates."""
    cx = int((x + 1) * CELL_W) if y % 2 else int((x + 0.5) * CELL_W)
    return BOARD_ORIGIN[0] + cx, BOARD_ORIGIN[1] + 48 * y + 32


# ---------------------------------------------------------------------------------------
# The rules, enough to check what the program shows


def opening():
    cells = {}
    cells[(3, 3)] = cells[(4, 4)] = "W"
    cells[(4, 3)] = cells[(3, 4)] = "B"
    return Position(cells)


class Position:
    """Stones by cell: {(x, y): "B" or "W"}; empty cells are absent."""

    def __init__(self, cells):
        self.cells = dict(cells)

    def __eq__(self, other):
        return isinstance(other, Position) and self.cells == other.cells

    def __hash__(self):
        return hash(frozenset(self.cells.items()))

    def count(self, colour):
        return sum(1 for v in self.cells.values() if v == colour)

    def flips(self, x, y, colour):
        if (x, y) in self.cells or not (0 <= x < 8 and 0 <= y < 8):
            return []
        other = "W" if colour == "B" else "B"
        turned = []
        for d in range(6):
            line = []
            cx, cy = x, y
            while True:
                cx += DIR_DX[cy % 2][d]
                cy += DIR_DY[d]
                if not (0 <= cx < 8 and 0 <= cy < 8):
                    line = []
                    break
                stone = self.cells.get((cx, cy))
                if stone == other:
                    line.append((cx, cy))
                    continue
                if stone != colour:
                    line = []
                break
            turned += line
        return turned

    def legal_moves(self, colour):
        return [(x, y) for x in range(8) for y in range(8) if self.flips(x, y, colour)]

    def play(self, x, y, colour):
        turned = self.flips(x, y, colour)
        if not turned:
            raise ValueError(f"({x}, {y}) is not a legal placement for {colour}")
        cells = dict(self.cells)
        cells[(x, y)] = colour
        for cell in turned:
            cells[cell] = colour
        return Position(cells)

    def __str__(self):
        rows = []
        for y in range(8):
            row = " " * (y % 2) + " ".join(self.cells.get((x, y), ".") for x in range(8))
            rows.append(row)
        return "\n".join(rows)


# ---------------------------------------------------------------------------------------
# Reading the screen


def find_client_origin(picture, region=None):
    """The screen position of the client area's (0, 0), found from the status panel's frame:
    a black outline exactly 150 x 140 pixels with a white inside next to it. None if absent."""
    left, top, right, bottom = region or (0, 0, picture.width, picture.height)
    left, top = max(left, 0), max(top, 0)
    right, bottom = min(right, picture.width), min(bottom, picture.height)
    fw = PANEL_FRAME[2] - PANEL_FRAME[0]
    fh = PANEL_FRAME[3] - PANEL_FRAME[1]
    width = picture.width
    rgb = picture.rgb
    for y in range(top, bottom - fh + 1):
        run = 0
        for x in range(left, right + 1):
            i = (y * width + x) * 3
            black = x < right and rgb[i : i + 3] == b"\0\0\0"
            if black:
                run += 1
                continue
            if run == fw:
                x0 = x - fw
                if _is_frame(picture, x0, y, fw, fh):
                    return x0 - PANEL_FRAME[0], y - PANEL_FRAME[1]
            run = 0
    return None


def _is_frame(picture, x0, y0, fw, fh):
    for y in range(y0, y0 + fh):
        if picture.pixel(x0, y) != BLACK_RGB or picture.pixel(x0 + fw - 1, y) != BLACK_RGB:
            return False
    for x in range(x0, x0 + fw):
        if picture.pixel(x, y0 + fh - 1) != BLACK_RGB:
            return False
    # just inside the frame, the panel is white (text starts 10 pixels further in)
    return picture.pixel(x0 + 1, y0 + 1) == WHITE_RGB and picture.pixel(x0 + fw - 2, y0 + fh - 2) == WHITE_RGB


def cell_states(picture, origin):
    """{(x, y): "B", "W", "." or "?"}: what each cell's centre shows (a stone, the board's
    green or something else), with the client area's (0, 0) at origin in the picture."""
    ox, oy = origin
    names = {BLACK: "B", WHITE: "W", BOARD: "."}
    return {(x, y): names.get(picture.at(ox + cell_center(x, y)[0], oy + cell_center(x, y)[1]), "?")
            for x in range(8) for y in range(8)}


def read_cells(picture, origin, hidden=None):
    """{(x, y): "B", "W" or "."} as shown at the cell centres, leaving out the cells whose
    centre lies in the screen rectangle hidden (left, top, right, bottom), for example
    under a menu; None while a centre shows something that is neither a stone nor the
    board's green."""
    ox, oy = origin

    def shown(cell):
        sx, sy = ox + cell_center(*cell)[0], oy + cell_center(*cell)[1]
        return not (hidden and hidden[0] <= sx < hidden[2] and hidden[1] <= sy < hidden[3])

    cells = {cell: state for cell, state in cell_states(picture, origin).items() if shown(cell)}
    return None if "?" in cells.values() else cells


def read_position(picture, origin):
    """The stones shown at the 64 cell centres, or None while any centre is unreadable."""
    cells = read_cells(picture, origin)
    if cells is None:
        return None
    return Position({cell: v for cell, v in cells.items() if v != "."})


def cells_of(position):
    return {(x, y): position.cells.get((x, y), ".") for x in range(8) for y in range(8)}
