// Leaves of the game tree from a position: a side without a placement passes (as
// a ply) when the other side can place; a position where neither can place is
// one leaf whatever depth remains. A pass is taken back only by the Undo of the
// placement before it, so the board is left as found unless its own side to move
// must pass.
#pragma once

#include <cstdint>

#include "rules/board.h"

std::uint64_t Perft(Board& board, int depth);
