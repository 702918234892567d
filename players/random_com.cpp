#include "players/random_com.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "players/corner.h"

CellPos RandomCom::NextMove() {
  std::vector<CellPos> candidates;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      if (!board_->CanPlace(x, y, color_)) continue;
      if (IsCorner(x, y)) return {x, y};
      candidates.push_back({x, y});
    }
  // With nothing legal there is nothing to draw from (and no length to divide by).
  if (candidates.empty()) return {-1, -1};

  Sleep(300);
  return candidates[static_cast<unsigned>(std::rand()) % candidates.size()];
}
