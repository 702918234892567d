#include "players/alpha_search.h"

#include <array>
#include <cstdlib>
#include <memory>

#include "players/alpha_com.h"

using hex::Bits;

namespace {

constexpr int kInfinity = AlphaCom::kInfinity;
// Never a set of moves: some cells are always occupied.
constexpr Bits kUnknownMoves = ~Bits{0};

// With at most this many empty cells, when the depth reaches past them, the
// search tries the empty cells directly: no move generation, ordering or table.
constexpr int kLastEmpties = 5;
// Nodes with fewer placements ahead neither read nor write the table, and take
// their children unordered.
constexpr int kTableAhead = 3;
// Nodes with at least this many placements ahead first look up their children in
// the table, in case one of them is already known to cut.
constexpr int kChildLookupAhead = 8;
// Depth of the search that orders the root's cells.
constexpr int kRootProbeDepth = 4;

// kCellWeights by rows of the bit sets: kRowWeights[y][own stones of row y].
constexpr auto kRowWeights = [] {
  std::array<std::array<int, 256>, kBoardSize> table{};
  for (int y = 0; y < kBoardSize; ++y)
    for (int row = 0; row < 256; ++row)
      for (int x = 0; x < kBoardSize; ++x)
        if (row >> x & 1) table[y][row] += kCellWeights[x * kBoardSize + y];
  return table;
}();

// AlphaCom::Evaluate on bit sets.
inline int Evaluate(Bits own, int moveCount) {
  if (moveCount >= AlphaCom::kCountingFrom) return hex::PopCount(own);
  int sum = 0;
  for (int y = 0; y < kBoardSize; ++y) sum += kRowWeights[y][(own >> (8 * y)) & 0xFF];
  return sum;
}

// The up to six cells next to each square.
constexpr auto kNeighbours = [] {
  std::array<Bits, kCellCount> neighbours{};
  for (int square = 0; square < kCellCount; ++square) neighbours[square] = hex::Neighbours(Bits{1} << square);
  return neighbours;
}();

// Bounds on the score of one position. The score is a function of the stones,
// the passes made before the root (the search itself never passes, so they fix
// the move count and the side to move), the player's colour and the placements
// still allowed below (capped by the empty cells): these make the key, so a bound
// stays true from one search to the next, whatever window found it. The board
// puts no bound on passes, so the key holds all 32 bits of their count.
struct Entry {
  Bits own;
  Bits other;
  std::uint32_t passes;
  std::uint16_t shape;  // placements ahead, the colour, and a mark that the entry is used
  std::int16_t move;    // the best or cutting square found, or -1
  std::int32_t lower;
  std::int32_t upper;
};
static_assert(sizeof(Entry) == 32);

// Everything in the key but the stones; ahead is at most the number of cells.
struct Tag {
  std::uint32_t passes;
  std::uint16_t shape;
};

Tag TagOf(int passes, bool playerIsBlack, int ahead) {
  return {static_cast<std::uint32_t>(passes),
          static_cast<std::uint16_t>(ahead | (playerIsBlack ? 1u << 8 : 0u) | 1u << 15)};
}

bool Holds(const Entry& e, Bits own, Bits other, Tag tag) {
  return e.own == own && e.other == other && e.passes == tag.passes && e.shape == tag.shape;
}

class Table {
 public:
  static constexpr std::size_t kEntries = std::size_t{1} << 18;  // 8 MiB

  // Zeroed pages come from the system untouched, so the table costs nothing
  // until the search writes into it.
  Table() : entries_(static_cast<Entry*>(std::calloc(kEntries, sizeof(Entry))), &std::free) {
    if (!entries_) std::abort();
  }

  Entry& Slot(Bits own, Bits other, Tag tag) {
    const std::uint64_t mixed = std::uint64_t{tag.passes} << 16 | tag.shape;
    std::uint64_t h = own * 0x9E3779B97F4A7C15ULL ^ (other + mixed) * 0xC2B2AE3D27D4EB4FULL;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 29;
    return entries_[h & (kEntries - 1)];
  }

 private:
  std::unique_ptr<Entry[], decltype(&std::free)> entries_;
};

// One table for the whole program: AlphaCom is created anew for every opponent
// choice, and what one search learnt stays true for the next.
Table& SharedTable() {
  static Table table;
  return table;
}


// Children whose replier cannot answer end the line: their score is known at
// once, so they come first, best first. The others come by fewest replies, which
// keeps the tree narrow, and among equals by the score of the position reached.
template <bool kMax>
int OrderKey(Bits own, int moveCount, Bits replies) {
  const int score = kMax ? Evaluate(own, moveCount) : -Evaluate(own, moveCount);
  return replies ? score - 64 * hex::PopCount(replies) : (1 << 16) + score;
}

}  // namespace

struct AlphaSearch::Child {
  Bits own;
  Bits other;
  Bits replies;  // the moves of the side to move next, or kUnknownMoves
  int square;
  int order;
};

namespace {

// Sorts by descending order key; a handful of children, so insertion sort.
template <typename Child>
void SortChildren(Child* children, int n) {
  for (int i = 1; i < n; ++i) {
    const Child c = children[i];
    int j = i;
    for (; j > 0 && children[j - 1].order < c.order; --j) children[j] = children[j - 1];
    children[j] = c;
  }
}

}  // namespace

AlphaSearch::AlphaSearch(Bits player, Bits other, int moveCount, bool playerIsBlack)
    : player_(player),
      other_(other),
      moveCount_(moveCount),
      playerIsBlack_(playerIsBlack),
      passes_(moveCount - (hex::PopCount(player | other) - 4)) {}

template <bool kMax>
int AlphaSearch::SolveLast(Bits own, Bits other, int moveCount, int alpha, int beta) {
  ++positions_;
  const Bits mover = kMax ? own : other;
  const Bits opponent = kMax ? other : own;
  const Bits empties = ~(own | other);
  if (!(empties & (empties - 1))) {
    // At most one empty cell: the line ends after taking it, or here.
    if (empties && (kNeighbours[std::countr_zero(empties)] & opponent)) {
      const Bits flips = hex::Flips(mover, opponent, std::countr_zero(empties));
      if (flips) {
        ++positions_;
        return Evaluate(kMax ? own | flips | empties : own & ~flips, moveCount + 1);
      }
    }
    return Evaluate(own, moveCount);
  }

  int best = kMax ? -kInfinity : kInfinity;
  bool placed = false;
  for (Bits empty = empties; empty; empty &= empty - 1) {
    const int square = std::countr_zero(empty);
    if (!(kNeighbours[square] & opponent)) continue;
    const Bits flips = hex::Flips(mover, opponent, square);
    if (!flips) continue;
    placed = true;
    const Bits placedBit = Bits{1} << square;
    int v;
    if constexpr (kMax)
      v = SolveLast<false>(own | flips | placedBit, other & ~flips, moveCount + 1, alpha, beta);
    else
      v = SolveLast<true>(own & ~flips, other | flips | placedBit, moveCount + 1, alpha, beta);
    if (kMax ? v > best : v < best) {
      best = v;
      if (kMax ? v > alpha : v < beta) {
        (kMax ? alpha : beta) = v;
        if (alpha >= beta) return best;
      }
    }
  }
  return placed ? best : Evaluate(own, moveCount);
}

template <bool kMax>
int AlphaSearch::Search(Bits own, Bits other, int moveCount, int depth, int alpha, int beta, Bits moves) {
  if (depth == 0) {
    ++positions_;
    return Evaluate(own, moveCount);
  }
  const int empties = hex::PopCount(~(own | other));
  if (depth >= empties && empties <= kLastEmpties) return SolveLast<kMax>(own, other, moveCount, alpha, beta);
  ++positions_;

  // The table's slot is fetched from memory while the moves are generated.
  const int ahead = depth < empties ? depth : empties;
  const bool useTable = ahead >= kTableAhead;
  const Tag tag = TagOf(passes_, playerIsBlack_, ahead);
  Entry* entry = useTable ? &SharedTable().Slot(own, other, tag) : nullptr;
  if (useTable) __builtin_prefetch(entry);

  const Bits mover = kMax ? own : other;
  const Bits opponent = kMax ? other : own;
  if (moves == kUnknownMoves) moves = hex::Moves(mover, opponent);
  if (!moves) return Evaluate(own, moveCount);

  if (depth == 1) {  // the children are leaves
    int best = kMax ? -kInfinity : kInfinity;
    for (; moves; moves &= moves - 1) {
      ++positions_;
      const int square = std::countr_zero(moves);
      const Bits flips = hex::Flips(mover, opponent, square);
      const int v = Evaluate(kMax ? own | flips | (Bits{1} << square) : own & ~flips, moveCount + 1);
      if (kMax ? v > best : v < best) {
        best = v;
        if (kMax ? best >= beta : best <= alpha) return best;
      }
    }
    return best;
  }

  int tableMove = -1;
  if (useTable && Holds(*entry, own, other, tag)) {
    if (entry->lower >= beta) return entry->lower;
    if (entry->upper <= alpha) return entry->upper;
    if (entry->lower == entry->upper) return entry->lower;
    tableMove = entry->move;
    // The score is known to lie within the bounds, so the window can shrink to them.
    if (entry->lower > alpha) alpha = entry->lower;
    if (entry->upper < beta) beta = entry->upper;
  }

  const bool lookUpChildren = ahead >= kChildLookupAhead;
  const bool prefetchChildren =
      ahead - 1 >= kTableAhead && !(depth - 1 >= empties - 1 && empties - 1 <= kLastEmpties);
  const Tag childTag = TagOf(passes_, playerIsBlack_, ahead - 1);
  Child children[kCellCount];
  const Entry* childEntries[kCellCount];
  int n = 0;
  for (; moves; moves &= moves - 1) {
    const int square = std::countr_zero(moves);
    const Bits flips = hex::Flips(mover, opponent, square);
    const Bits placedBit = Bits{1} << square;
    Child& c = children[n];
    c.own = kMax ? own | flips | placedBit : own & ~flips;
    c.other = kMax ? other & ~flips : other | flips | placedBit;
    c.square = square;
    if (prefetchChildren) {  // most are searched soon, and each will look itself up
      childEntries[n] = &SharedTable().Slot(c.own, c.other, childTag);
      __builtin_prefetch(childEntries[n]);
    }
    c.replies = kUnknownMoves;
    c.order = 0;
    if (useTable) {
      c.replies = kMax ? hex::Moves(c.other, c.own) : hex::Moves(c.own, c.other);
      c.order = square == tableMove ? 1 << 20 : OrderKey<kMax>(c.own, moveCount + 1, c.replies);
    }
    ++n;
  }
  // A child already known to cut makes searching any of them unnecessary.
  if (lookUpChildren)
    for (int i = 0; i < n; ++i) {
      const Entry& e = *childEntries[i];
      if (Holds(e, children[i].own, children[i].other, childTag) && (kMax ? e.lower >= beta : e.upper <= alpha))
        return kMax ? e.lower : e.upper;
    }
  SortChildren(children, n);

  const int alpha0 = alpha, beta0 = beta;
  int best = kMax ? -kInfinity : kInfinity;
  int bestSquare = -1;
  for (int i = 0; i < n; ++i) {
    const Child& c = children[i];
    int v;
    if (i == 0 || beta - alpha == 1) {
      v = Search<!kMax>(c.own, c.other, moveCount + 1, depth - 1, alpha, beta, c.replies);
    } else if constexpr (kMax) {
      // Later children are first only tested to beat the best so far; one that
      // does gets its exact score, knowing it is at least v.
      v = Search<false>(c.own, c.other, moveCount + 1, depth - 1, alpha, alpha + 1, c.replies);
      if (v > alpha && v < beta) v = Search<false>(c.own, c.other, moveCount + 1, depth - 1, v - 1, beta, c.replies);
    } else {
      v = Search<true>(c.own, c.other, moveCount + 1, depth - 1, beta - 1, beta, c.replies);
      if (v < beta && v > alpha) v = Search<true>(c.own, c.other, moveCount + 1, depth - 1, alpha, v + 1, c.replies);
    }
    if (kMax ? v > best : v < best) {
      best = v;
      bestSquare = c.square;
      if (kMax ? v > alpha : v < beta) {
        (kMax ? alpha : beta) = v;
        if (alpha >= beta) break;
      }
    }
  }

  if (useTable) {
    // Fail-soft: a result at or below the window bounds the score from above, at
    // or above it from below; one inside is exact.
    const int lower = best <= alpha0 ? -kInfinity : best;
    const int upper = best >= beta0 ? kInfinity : best;
    // The slot may have been taken by another position further down meanwhile.
    if (Holds(*entry, own, other, tag)) {
      if (lower > entry->lower) entry->lower = lower;
      if (upper < entry->upper) entry->upper = upper;
      entry->move = bestSquare;
    } else {
      *entry = {own, other, tag.passes, tag.shape, static_cast<std::int16_t>(bestSquare), lower, upper};
    }
  }
  return best;
}

int AlphaSearch::SearchChild(const Child& child, int depth, int alpha, int beta) {
  const bool blackMoves = (moveCount_ + 1) % 2 == 0;
  return blackMoves == playerIsBlack_ ? Search<true>(child.own, child.other, moveCount_ + 1, depth, alpha, beta, child.replies)
                                      : Search<false>(child.own, child.other, moveCount_ + 1, depth, alpha, beta, child.replies);
}

AlphaSearch::Child AlphaSearch::RootChild(int square) const {
  const bool playerMoves = (moveCount_ % 2 == 0) == playerIsBlack_;
  const Bits mover = playerMoves ? player_ : other_;
  const Bits opponent = playerMoves ? other_ : player_;
  const Bits flips = hex::Flips(mover, opponent, square);
  const Bits next = mover | flips | (Bits{1} << square);
  const Bits rest = opponent & ~flips;
  const Bits replies = hex::Moves(rest, next);
  const Bits player = playerMoves ? next : rest;
  // Whoever moves at the root, the root takes the greatest score of the player.
  const int score = Evaluate(player, moveCount_ + 1);
  return {player, playerMoves ? rest : next, replies, square,
          replies ? score - 64 * hex::PopCount(replies) : (1 << 16) + score};
}

int AlphaSearch::Choose(int depth) {
  const bool playerMoves = (moveCount_ % 2 == 0) == playerIsBlack_;
  Bits moves = playerMoves ? hex::Moves(player_, other_) : hex::Moves(other_, player_);
  Child children[kCellCount];
  int n = 0;
  for (; moves; moves &= moves - 1) children[n++] = RootChild(std::countr_zero(moves));
  SortChildren(children, n);
  // The first cell searched sets the bar for the others, so the cells come in the
  // order of a shallow search's scores.
  if (depth > kRootProbeDepth && n > 1) {
    for (int i = 0; i < n; ++i) children[i].order = SearchChild(children[i], kRootProbeDepth, -kInfinity, kInfinity);
    SortChildren(children, n);
  }

  // Only the first greatest cell in scan order matters, so after the first cell
  // each other one is only tested against the best so far, with a null window:
  // a cell earlier in scan order takes over when it ties, a later one only when
  // it scores more. Its exact score is wanted only when it does take over.
  int best = -kInfinity;
  int choice = -1;
  for (int i = 0; i < n; ++i) {
    const Child& c = children[i];
    if (choice < 0) {
      best = SearchChild(c, depth, -kInfinity, kInfinity);
      choice = c.square;
    } else if (hex::ScanRank(c.square) < hex::ScanRank(choice)) {
      if (SearchChild(c, depth, best - 1, best) >= best) {
        best = SearchChild(c, depth, best - 1, kInfinity);
        choice = c.square;
      }
    } else if (SearchChild(c, depth, best, best + 1) > best) {
      best = SearchChild(c, depth, best, kInfinity);
      choice = c.square;
    }
  }
  return choice;
}

int AlphaSearch::RootScore(int square, int depth) {
  return SearchChild(RootChild(square), depth, -kInfinity, kInfinity);
}
