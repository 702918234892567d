// Opponent 3: a depth-limited minimax search over a positional weight table,
// searching to the end of the game from move count 45 on.
#pragma once

#include <cstdint>
#include <vector>

#include "players/com.h"
#include "rules/board.h"

// The weight of cell (x, y) is entry x * 8 + y. Not symmetric between x and y.
inline constexpr int kCellWeights[kCellCount] = {
    30,  -12, 0,  -1, -1, 0,  -12, 30,   //
    -12, -1,  -3, -3, -3, -3, -15, -12,  //
    15,  -5,  0,  -1, -1, 0,  -5,  15,   //
    -6,  -5,  -1, 1,  1,  -1, -5,  -6,   //
    15,  -5,  -1, 1,  1,  -1, -5,  15,   //
    -6,  -5,  0,  -1, -1, 0,  -5,  -6,   //
    15,  -15, -3, -3, -3, -3, -1,  15,   //
    30,  -12, 0,  -1, -1, 0,  -12, 30,
};

class AlphaCom : public ICom {
 public:
  static constexpr int kEndgameFrom = 45;   // move count from which lines run to the end
  static constexpr int kMidgameDepth = 7;   // placements below the root before that
  static constexpr int kEndgameDepth = 60;  // more than there are empty cells
  static constexpr int kCountingFrom = 60;  // move count from which leaves count stones
  static constexpr int kInfinity = 1000000000;

  struct RootScore {
    CellPos cell;
    int score;
    friend bool operator==(const RootScore&, const RootScore&) = default;
  };

  // Prepares the search's table, so that the first reply is as quick as the later ones.
  AlphaCom(Board* board, const Color* color);

  // The first cell in scan order with the greatest score; (-1, -1) when the side
  // to move cannot place. The board is left exactly as it was found.
  CellPos NextMove() override;
  const Color* GetColor() const override { return color_; }
  void SetColor(const Color* color) override { color_ = color; }
  const char* GetName() const override { return "Alpha"; }

  // The depth below the root that NextMove searches at this move count.
  static int DepthFor(int moveCount) { return moveCount < kEndgameFrom ? kMidgameDepth : kEndgameDepth; }

  // NextMove's choice with an explicit depth below the root, by the fast search
  // on bit sets; the board is only read.
  CellPos Choose(int depth);

  // Every legal root cell of the side to move in scan order, each with its exact
  // score, by the fast search.
  std::vector<RootScore> RootScores(int depth);

  // The same two by the plain search on the live board (Search below): children
  // in scan order, no ordering, no table. The reference the fast search must match.
  CellPos PlainChoose(int depth);
  std::vector<RootScore> PlainRootScores(int depth);

  // Alpha-beta on the live board, children in scan order, no passes: a side to
  // move without a placement ends the line. Scores are exact within the window.
  int Search(int depth, int alpha, int beta);

  // The player's own stones: by kCellWeights, or counted once the live move
  // counter has reached kCountingFrom.
  int Evaluate() const;

  // Positions entered by the searches of this player so far (for the benchmark).
  std::uint64_t SearchedPositions() const { return searchedPositions_; }

 private:
  Board* board_;  // not owned
  const Color* color_;
  std::uint64_t searchedPositions_ = 0;
};
