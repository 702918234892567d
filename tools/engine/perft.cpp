#include "perft.h"

std::uint64_t Perft(Board& board, int depth) {
  if (depth == 0) return 1;
  const Color* side = board.SideToMove();
  std::uint64_t leaves = 0;
  bool placed = false;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board.Place(x, y, side)) {
        placed = true;
        leaves += Perft(board, depth - 1);
        board.Undo();  // also forgets any pass made below
      }
  if (placed) return leaves;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board.CanPlace(x, y, Opposite(side))) {
        board.Pass();  // taken back by the caller's Undo
        return Perft(board, depth - 1);
      }
  return 1;
}
