// The hex board as 64-bit sets: bit y * 8 + x stands for cell (x, y), so that a
// step along any of the six directions moves the index the same way from every
// cell of the line (rows dominate), which lets a ray's nearest blocker be found
// by a bit scan. The four slanted directions step by different amounts from even
// and odd rows, so their shifts treat the two row parities apart.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "rules/board.h"

namespace hex {

using Bits = std::uint64_t;

// Counts set bits without a library call: where the build does not assume a
// population count instruction, std::popcount becomes one, and the search counts
// bits at every node.
constexpr int PopCount(Bits b) {
  b = b - ((b >> 1) & 0x5555555555555555ULL);
  b = (b & 0x3333333333333333ULL) + ((b >> 2) & 0x3333333333333333ULL);
  b = (b + (b >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((b * 0x0101010101010101ULL) >> 56);
}

constexpr int SquareOf(int x, int y) { return y * kBoardSize + x; }
constexpr Bits BitOf(int x, int y) { return Bits{1} << SquareOf(x, y); }
constexpr CellPos CellOf(int square) { return {square & 7, square >> 3}; }
// Rank of a square in the scan order of the players (x outer, y inner).
constexpr int ScanRank(int square) { return (square & 7) * kBoardSize + (square >> 3); }

constexpr Bits kEvenRows = 0x00FF00FF00FF00FFULL;
constexpr Bits kOddRows = ~kEvenRows;
constexpr Bits kNotLeftColumn = ~0x0101010101010101ULL;
constexpr Bits kNotRightColumn = ~0x8080808080808080ULL;

// Every cell of s moved one step along direction d; steps leaving the board are dropped.
template <Direction d>
constexpr Bits Shift(Bits s) {
  if constexpr (d == kLeft) return (s & kNotLeftColumn) >> 1;
  if constexpr (d == kRight) return (s & kNotRightColumn) << 1;
  if constexpr (d == kUpLeft) return ((s & kEvenRows & kNotLeftColumn) >> 9) | ((s & kOddRows) >> 8);
  if constexpr (d == kDownLeft) return ((s & kEvenRows & kNotLeftColumn) << 7) | ((s & kOddRows) << 8);
  if constexpr (d == kUpRight) return ((s & kEvenRows) >> 8) | ((s & kOddRows & kNotRightColumn) >> 7);
  if constexpr (d == kDownRight) return ((s & kEvenRows) << 8) | ((s & kOddRows & kNotRightColumn) << 9);
}

// The cells next to those of s, in any direction.
constexpr Bits Neighbours(Bits s) {
  return Shift<kLeft>(s) | Shift<kRight>(s) | Shift<kUpLeft>(s) | Shift<kDownLeft>(s) | Shift<kUpRight>(s) |
         Shift<kDownRight>(s);
}

// Two and four steps along d. Two steps along a slanted direction move every
// cell by the same amount whatever its row (a row and its neighbour together
// shift the column by one), so these are plain shifts.
constexpr Bits kNotLeftTwoColumns = ~0x0303030303030303ULL;
constexpr Bits kNotRightTwoColumns = ~0xC0C0C0C0C0C0C0C0ULL;
constexpr Bits kNotLeftFourColumns = ~0x0F0F0F0F0F0F0F0FULL;
constexpr Bits kNotRightFourColumns = ~0xF0F0F0F0F0F0F0F0ULL;

template <Direction d>
constexpr Bits Shift2(Bits s) {
  if constexpr (d == kLeft) return (s & kNotLeftTwoColumns) >> 2;
  if constexpr (d == kRight) return (s & kNotRightTwoColumns) << 2;
  if constexpr (d == kUpLeft) return (s & kNotLeftColumn) >> 17;
  if constexpr (d == kDownLeft) return (s & kNotLeftColumn) << 15;
  if constexpr (d == kUpRight) return (s & kNotRightColumn) >> 15;
  if constexpr (d == kDownRight) return (s & kNotRightColumn) << 17;
}

template <Direction d>
constexpr Bits Shift4(Bits s) {
  if constexpr (d == kLeft) return (s & kNotLeftFourColumns) >> 4;
  if constexpr (d == kRight) return (s & kNotRightFourColumns) << 4;
  if constexpr (d == kUpLeft) return (s & kNotLeftTwoColumns) >> 34;
  if constexpr (d == kDownLeft) return (s & kNotLeftTwoColumns) << 30;
  if constexpr (d == kUpRight) return (s & kNotRightTwoColumns) >> 30;
  if constexpr (d == kDownRight) return (s & kNotRightTwoColumns) << 34;
}

template <Direction d>
constexpr Bits MovesAlong(Bits mover, Bits opponent, Bits empty) {
  // The cells reached from mover's stones through opposing ones, found for runs
  // of up to seven steps by doubling the step (a line holds at most six opposing
  // stones between the placed one and the closer): `through` keeps the cells
  // from which one, two, then four steps back stay on opposing stones.
  Bits reached = mover;
  Bits through = opponent;
  reached |= through & Shift<d>(reached);
  through &= Shift<d>(through);
  reached |= through & Shift2<d>(reached);
  through &= Shift2<d>(through);
  reached |= through & Shift4<d>(reached);
  return Shift<d>(reached & opponent) & empty;
}

// The cells where mover may place.
constexpr Bits Moves(Bits mover, Bits opponent) {
  const Bits empty = ~(mover | opponent);
  return MovesAlong<kLeft>(mover, opponent, empty) | MovesAlong<kRight>(mover, opponent, empty) |
         MovesAlong<kUpLeft>(mover, opponent, empty) | MovesAlong<kDownLeft>(mover, opponent, empty) |
         MovesAlong<kUpRight>(mover, opponent, empty) | MovesAlong<kDownRight>(mover, opponent, empty);
}

// kRays[square][d]: the cells reached from square by repeated steps along d.
inline constexpr auto kRays = [] {
  std::array<std::array<Bits, kDirectionCount>, kCellCount> rays{};
  for (int square = 0; square < kCellCount; ++square)
    for (int d = 0; d < kDirectionCount; ++d) {
      int x = CellOf(square).x, y = CellOf(square).y;
      for (StepForward(x, y, d); InBoard(x, y); StepForward(x, y, d)) rays[square][d] |= BitOf(x, y);
    }
  return rays;
}();

// The stones that a placement on square turns along direction d: the run of
// opposing stones up to the first cell that is not one, if that cell is mover's.
// Right and the two downward directions raise the square index at every step, the
// others lower it, so the first such cell is the lowest or the highest of the ray's.
template <Direction d>
constexpr Bits FlipsAlong(Bits mover, Bits opponent, int square) {
  const Bits ray = kRays[square][d];
  const Bits stops = ray & ~opponent;
  if constexpr (d == kRight || d == kDownLeft || d == kDownRight) {
    const Bits first = stops & (~stops + 1);
    return first & mover ? ray & (first - 1) : 0;
  } else {
    if (!stops) return 0;
    const Bits first = Bits{1} << (63 - std::countl_zero(stops));
    return first & mover ? ray & ~((first << 1) - 1) : 0;
  }
}

// The stones that a placement of mover on square (empty) turns.
constexpr Bits Flips(Bits mover, Bits opponent, int square) {
  return FlipsAlong<kLeft>(mover, opponent, square) | FlipsAlong<kRight>(mover, opponent, square) |
         FlipsAlong<kUpLeft>(mover, opponent, square) | FlipsAlong<kDownLeft>(mover, opponent, square) |
         FlipsAlong<kUpRight>(mover, opponent, square) | FlipsAlong<kDownRight>(mover, opponent, square);
}

// The stones of one colour on the board.
inline Bits StonesOf(const Board& board, const Color* color) {
  Bits stones = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board.GetCell(x, y) == color) stones |= BitOf(x, y);
  return stones;
}

// Leaves of the game tree under the pass rule of the board's games: a side
// without a placement passes as a ply when the other side can place; a position
// where neither can place is one leaf.
inline std::uint64_t Perft(Bits mover, Bits opponent, int depth) {
  if (depth == 0) return 1;
  Bits moves = Moves(mover, opponent);
  if (!moves) return Moves(opponent, mover) ? Perft(opponent, mover, depth - 1) : 1;
  if (depth == 1) return PopCount(moves);
  std::uint64_t leaves = 0;
  for (; moves; moves &= moves - 1) {
    const int square = std::countr_zero(moves);
    const Bits flips = Flips(mover, opponent, square);
    leaves += Perft(opponent & ~flips, mover | flips | (Bits{1} << square), depth - 1);
  }
  return leaves;
}

}  // namespace hex
