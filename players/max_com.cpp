#include "players/max_com.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "players/corner.h"

CellPos MaxCom::NextMove() {
  // Cells turning nothing tie with the starting best of 0; the first legal cell
  // raises best and drops them, so they stay only when nothing is legal.
  int best = 0;
  std::vector<CellPos> candidates;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      const int flips = board_->CountFlips(x, y, color_);
      if (flips > 0 && IsCorner(x, y)) return {x, y};
      if (flips > best) {
        best = flips;
        candidates.clear();
      }
      if (flips == best) candidates.push_back({x, y});
    }

  Sleep(300);
  return candidates[static_cast<unsigned>(std::rand()) % candidates.size()];
}
