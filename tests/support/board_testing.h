// Helpers for tests that play on a Board: snapshots and seeded random games.
#pragma once

#include <array>
#include <random>
#include <vector>

#include "rules/board.h"

struct BoardSnapshot {
  std::array<const Color*, kCellCount> cells;
  int moveCount;
  Board::History history;

  explicit BoardSnapshot(const Board& board) : moveCount(board.GetMoveCount()), history(board.GetHistory()) {
    for (int x = 0; x < kBoardSize; ++x)
      for (int y = 0; y < kBoardSize; ++y) cells[x * kBoardSize + y] = board.GetCell(x, y);
  }
  friend bool operator==(const BoardSnapshot&, const BoardSnapshot&) = default;
};

// Plays one random move for the side to move: a placement when one is legal,
// else a pass when the other side can place. Returns false when the game is over.
inline bool PlayRandomMove(Board& board, std::mt19937& random) {
  const std::vector<CellPos> legal = LegalCells(board, board.SideToMove());
  if (legal.empty()) {
    if (LegalCells(board, Opposite(board.SideToMove())).empty()) return false;
    board.Pass();
    return true;
  }
  const CellPos cell = legal[std::uniform_int_distribution<size_t>(0, legal.size() - 1)(random)];
  board.Place(cell.x, cell.y, board.SideToMove());
  return true;
}

// Plays random moves until the move counter reaches moveCount or the game ends.
inline void PlayRandomGameTo(Board& board, std::mt19937& random, int moveCount) {
  while (board.GetMoveCount() < moveCount && PlayRandomMove(board, random)) {
  }
}
