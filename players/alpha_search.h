// The Alpha player's search on bit sets. It finds exactly the scores of the plain
// search over the board (depth-limited minimax, no passes, the player's own
// stones evaluated with the live move count) and the same first greatest root
// cell, by alpha-beta with move ordering and a transposition table. All searches
// share one table, so they must run on one thread at a time (the game's only one).
#pragma once

#include <cstdint>

#include "players/hex_bitboard.h"

class AlphaSearch {
 public:
  // The player's stones, the other colour's, the live move count (passes included)
  // and the player's colour. The side to move follows from the move count's parity.
  AlphaSearch(hex::Bits player, hex::Bits other, int moveCount, bool playerIsBlack);

  // Makes the table that every search shares, and has the system lend all of its
  // memory (and the rest of what the search keeps off the stack) now: the first
  // search would otherwise pay for it, page by page.
  static void PrepareTable();

  // The root: the first square, in the players' scan order, whose placement by the
  // side to move scores the greatest with `depth` placements allowed below it;
  // -1 when the side to move cannot place.
  int Choose(int depth);

  // The exact score of placing the side to move's stone on square (a legal one).
  int RootScore(int square, int depth);

  std::uint64_t SearchedPositions() const { return positions_; }

 private:
  struct Child;
  struct ChildRows;
  static ChildRows childRows_;  // shared by all searches, like the table

  // Scores are the player's; max nodes are those where the player moves. Fail-soft:
  // a result at or below alpha is an upper bound, at or above beta a lower bound.
  template <bool kMax>
  int Search(hex::Bits own, hex::Bits other, int moveCount, int depth, int alpha, int beta, hex::Bits moves);
  // The search to the end with `count` empty cells, at most kLastEmpties: the
  // empty cells are tried directly, the last two by dedicated code.
  template <bool kMax>
  int SolveLast(hex::Bits own, hex::Bits other, int moveCount, int alpha, int beta, int count);
  template <bool kMax>
  int SolveTwo(hex::Bits own, hex::Bits other, int moveCount, int alpha, int beta, int first, int second);
  template <bool kMax>
  int SolveOne(hex::Bits own, hex::Bits other, int moveCount, int square);
  int SearchChild(const Child& child, int depth, int alpha, int beta);
  Child RootChild(int square) const;
  // A root cell's exact score by null-window tests alone (MTD(f)), starting
  // from a guess: each test bounds the score from one side.
  int ScoreByTests(const Child& child, int depth, int guess);
  // A root cell's exact score, known to be at least `lower`, by null-window tests
  // that raise the bound until one fails.
  int ScoreFrom(const Child& child, int depth, int lower);

  hex::Bits player_;
  hex::Bits other_;
  int moveCount_;
  bool playerIsBlack_;
  int passes_;  // before the root; fixed for the whole tree, since the search never passes
  std::uint64_t positions_ = 0;
};
