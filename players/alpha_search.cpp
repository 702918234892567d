#include "players/alpha_search.h"

#include <array>
#include <cstdlib>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "players/alpha_com.h"

using hex::Bits;

namespace {

constexpr int kInfinity = AlphaCom::kInfinity;
// Never a set of moves: some cells are always occupied.
constexpr Bits kUnknownMoves = ~Bits{0};

// With at most this many empty cells, when the depth reaches past them, the
// search tries the empty cells directly: no move generation, ordering or table.
constexpr int kLastEmpties = 5;
// Nodes with fewer placements ahead neither read nor write the table; those with
// two order their children by the score of the position each reaches, those
// with one take them as they come.
constexpr int kTableAhead = 3;
// Nodes with at least this many placements ahead first look up their children in
// the table, in case one of them is already known to cut. Their children must
// be searched with the table, not solved directly.
constexpr int kChildLookupAhead = 7;
static_assert(kChildLookupAhead - 1 > kLastEmpties && kChildLookupAhead - 1 >= kTableAhead);
// Depth of the search that orders the root's cells.
constexpr int kRootProbeDepth = 4;
// How much one reply of the opponent weighs against the score in the order of
// the children: in a search to the end, the fewer replies the narrower the tree
// below, while the weights foretell little; in a depth-limited search the
// weights are what the leaves are scored by.
constexpr int kReplyWeightToTheEnd = 64;
constexpr int kReplyWeightLimited = 4;
// The first guess at the score to the end of the root's first cell, which the
// shallow search scores by weights: the middle of the count of stones.
constexpr int kGuessToTheEnd = 32;

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
//
// The slot is chosen without the placements ahead, so that a depth-limited
// search of one depth finds the square that was best at another, the shallow
// search at the root's or the one of two placements before, to try it first.
// Searches to the end, scored by other means, keep to slots of their own.
struct Entry {
  Bits own;
  Bits other;
  std::uint32_t passes;
  std::uint16_t shape;  // placements ahead, the colour, to the end or not, and a mark that the entry is used
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

constexpr std::uint16_t kAheadBits = 0xFF;

Tag TagOf(int passes, bool playerIsBlack, int ahead, bool toTheEnd) {
  return {static_cast<std::uint32_t>(passes),
          static_cast<std::uint16_t>(ahead | (playerIsBlack ? 1u << 8 : 0u) | (toTheEnd ? 1u << 9 : 0u) | 1u << 15)};
}

// The same position, searched to the end or not as the tag is, whatever the
// placements ahead: its square is worth trying first.
bool SamePosition(const Entry& e, Bits own, Bits other, Tag tag) {
  return e.own == own && e.other == other && e.passes == tag.passes && ((e.shape ^ tag.shape) & ~kAheadBits) == 0;
}

std::uint64_t SlotHash(Bits own, Bits other, std::uint32_t passes, std::uint16_t shape) {
  const std::uint64_t mixed = std::uint64_t{passes} << 16 | (shape & ~kAheadBits);
  std::uint64_t h = own * 0x9E3779B97F4A7C15ULL ^ (other + mixed) * 0xC2B2AE3D27D4EB4FULL;
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ULL;
  h ^= h >> 29;
  return h;
}

// Two entries share a cache line: one keeps the deepest search met there, the
// other the latest, so that what a small table learnt near the root survives
// the many positions further down.
struct Bucket {
  Entry deep;
  Entry recent;
};
static_assert(sizeof(Bucket) == 64);

int AheadOf(const Entry& e) { return e.shape & kAheadBits; }

// Has the system lend every page of zeroed memory now rather than at its first
// use. Reading a page would only map the shared zero page: each one is written.
void LendNow(void* memory, std::size_t bytes) {
  volatile unsigned char* p = static_cast<unsigned char*>(memory);
  for (std::size_t at = 0; at < bytes; at += 4096) p[at] = 0;
  p[bytes - 1] = 0;
}

// The system lends memory a page at a time, when it is first touched, and on
// some machines (virtual ones above all) that costs ten microseconds a page and
// more: a search meeting a fresh table of 8 MiB paid some 30 ms for its pages
// before its answer. So the table takes its memory before any search needs it,
// when the player is made (AlphaSearch::PrepareTable), as chess engines clear
// their table at a new game: 2 MiB in one block, on a single huge page where the
// system gives one (Linux), which costs about as much to touch as sixteen small
// pages. Larger tables hardly shorten the searches: one of 8 MiB searched 0.2 %
// fewer positions over the bench's positions and 0.4 % over whole games.
class Table {
 public:
  static constexpr std::size_t kBytes = std::size_t{2} << 20;
  static constexpr std::size_t kBuckets = kBytes / sizeof(Bucket);

  Table() : buckets_(MakeBlock()) {}
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  Bucket& BucketOf(Bits own, Bits other, Tag tag) {
    return buckets_[SlotHash(own, other, tag.passes, tag.shape) & (kBuckets - 1)];
  }

  // The entry of the same position (see SamePosition), or none.
  static Entry* Find(Bucket& b, Bits own, Bits other, Tag tag) {
    if (SamePosition(b.deep, own, other, tag)) return &b.deep;
    if (SamePosition(b.recent, own, other, tag)) return &b.recent;
    return nullptr;
  }

  // Stores an entry in its bucket, found by BucketOf: in place of the same
  // position's, else as the deep one if it looks at least as far ahead (the
  // deep one moving to recent), else as the recent one.
  static void Store(Bucket& b, const Entry& e) {
    if (Entry* same = Find(b, e.own, e.other, {e.passes, e.shape})) {
      *same = e;
      return;
    }
    if (b.deep.shape == 0 || AheadOf(e) >= AheadOf(b.deep)) {
      if (b.deep.shape != 0) b.recent = b.deep;
      b.deep = e;
    } else {
      b.recent = e;
    }
  }

 private:
  // Zeroed memory, every page of it touched, so that the system has lent it all
  // by the time this returns. Never freed: the table lives as long as the program.
  static Bucket* MakeBlock() {
#ifdef __linux__
    // A huge page must start at a multiple of its size.
    void* mapped = mmap(nullptr, 2 * kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) std::abort();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const auto aligned = (start + kBytes - 1) & ~(kBytes - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    munmap(reinterpret_cast<void*>(aligned + kBytes), start + kBytes - aligned);
    void* block = reinterpret_cast<void*>(aligned);
    madvise(block, kBytes, MADV_HUGEPAGE);  // nothing is lost where it is refused
#else
    void* block = std::calloc(1, kBytes);
    if (!block) std::abort();
#endif
    LendNow(block, kBytes);
    return static_cast<Bucket*>(block);
  }

  Bucket* buckets_;
};

// One table for the whole program: AlphaCom is created anew for every opponent
// choice, and what one search learnt stays true for the next.
Table& SharedTable() {
  static Table table;
  return table;
}

// Children whose replier cannot answer end the line: their score is known at
// once, so they come first, best first. The others come by the score of the
// position reached, less replyWeight for each reply.
template <bool kMax>
int OrderKey(Bits own, int moveCount, Bits replies, int replyWeight) {
  const int score = kMax ? Evaluate(own, moveCount) : -Evaluate(own, moveCount);
  return replies ? score - replyWeight * hex::PopCount(replies) : (1 << 16) + score;
}

// Takes a child's score v at a node where the side of kMax moves: a better one
// becomes the best and narrows the window. True once the window has closed, when
// the other children can no longer matter.
template <bool kMax>
inline bool TakeScore(int v, int& best, int& alpha, int& beta) {
  if (kMax ? v <= best : v >= best) return false;
  best = v;
  if (kMax ? v > alpha : v < beta) (kMax ? alpha : beta) = v;
  return alpha >= beta;
}

}  // namespace

struct AlphaSearch::Child {
  Bits own;
  Bits other;
  Bits replies;  // the moves of the side to move next, or kUnknownMoves
  int square;
  int order;
  Bucket* bucket;  // its slot in the table, when it was fetched ahead
};

// The children of the nodes of the line being searched, a row per node: rows are
// chosen by the node's move count, which grows by one at each placement, and no
// line holds 64 of them. They live here rather than on the stack, where each node
// would take 2.5 KiB of it: the system lends a stack page when it is first
// touched, and the first search would meet some ten such pages, 15 us each on
// this kind of machine. These are prepared with the table.
struct AlphaSearch::ChildRows {
  static constexpr int kRows = 64;
  std::array<Child, kRows * kCellCount> children;

  Child* RowOf(int moveCount) { return &children[(moveCount % kRows) * kCellCount]; }
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
int AlphaSearch::SolveOne(Bits own, Bits other, int moveCount, int square) {
  ++positions_;
  const Bits mover = kMax ? own : other;
  const Bits opponent = kMax ? other : own;
  // The line ends after taking the cell, or here.
  if (kNeighbours[square] & opponent) {
    const Bits flips = hex::Flips(mover, opponent, square);
    if (flips) {
      ++positions_;
      return Evaluate(kMax ? own | flips | Bits{1} << square : own & ~flips, moveCount + 1);
    }
  }
  return Evaluate(own, moveCount);
}

template <bool kMax>
int AlphaSearch::SolveTwo(Bits own, Bits other, int moveCount, int alpha, int beta, int first, int second) {
  ++positions_;
  const Bits mover = kMax ? own : other;
  const Bits opponent = kMax ? other : own;
  int best = kMax ? -kInfinity : kInfinity;
  bool placed = false;
  for (const auto& [square, rest] : {std::pair{first, second}, std::pair{second, first}}) {
    if (!(kNeighbours[square] & opponent)) continue;
    const Bits flips = hex::Flips(mover, opponent, square);
    if (!flips) continue;
    placed = true;
    const Bits placedBit = Bits{1} << square;
    const int v = kMax ? SolveOne<false>(own | flips | placedBit, other & ~flips, moveCount + 1, rest)
                       : SolveOne<true>(own & ~flips, other | flips | placedBit, moveCount + 1, rest);
    if (TakeScore<kMax>(v, best, alpha, beta)) return best;
  }
  return placed ? best : Evaluate(own, moveCount);
}

template <bool kMax>
int AlphaSearch::SolveLast(Bits own, Bits other, int moveCount, int alpha, int beta, int count) {
  const Bits empties = ~(own | other);
  if (count == 1) return SolveOne<kMax>(own, other, moveCount, std::countr_zero(empties));
  if (count == 2)
    return SolveTwo<kMax>(own, other, moveCount, alpha, beta, std::countr_zero(empties),
                          std::countr_zero(empties & (empties - 1)));
  ++positions_;
  if (count == 0) return Evaluate(own, moveCount);
  const Bits mover = kMax ? own : other;
  const Bits opponent = kMax ? other : own;
  // In the order of the bits: trying first the cells of quarters with an odd
  // number of empty ones (parity) searched 3 % fewer positions here, but took 6 %
  // longer to find them.
  int best = kMax ? -kInfinity : kInfinity;
  bool placed = false;
  for (Bits empty = empties; empty; empty &= empty - 1) {
    const int square = std::countr_zero(empty);
    if (!(kNeighbours[square] & opponent)) continue;
    const Bits flips = hex::Flips(mover, opponent, square);
    if (!flips) continue;
    placed = true;
    const Bits placedBit = Bits{1} << square;
    const Bits childOwn = kMax ? own | flips | placedBit : own & ~flips;
    const Bits childOther = kMax ? other & ~flips : other | flips | placedBit;
    int v;
    if (count == 3) {
      const Bits rest = empties & ~placedBit;
      v = SolveTwo<!kMax>(childOwn, childOther, moveCount + 1, alpha, beta, std::countr_zero(rest),
                          std::countr_zero(rest & (rest - 1)));
    } else {
      v = SolveLast<!kMax>(childOwn, childOther, moveCount + 1, alpha, beta, count - 1);
    }
    if (TakeScore<kMax>(v, best, alpha, beta)) return best;
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
  const bool toTheEnd = depth >= empties;
  if (toTheEnd && empties <= kLastEmpties) return SolveLast<kMax>(own, other, moveCount, alpha, beta, empties);
  ++positions_;

  // The table's slot is fetched from memory while the moves are generated.
  const int ahead = toTheEnd ? empties : depth;
  const bool useTable = ahead >= kTableAhead;
  Table& table = SharedTable();
  const Tag tag = TagOf(passes_, playerIsBlack_, ahead, toTheEnd);
  Bucket* bucket = useTable ? &table.BucketOf(own, other, tag) : nullptr;
  if (useTable) __builtin_prefetch(bucket);

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
  if (const Entry* entry = useTable ? Table::Find(*bucket, own, other, tag) : nullptr) {
    tableMove = entry->move;
    if (entry->shape == tag.shape) {
      if (entry->lower >= beta) return entry->lower;
      if (entry->upper <= alpha) return entry->upper;
      if (entry->lower == entry->upper) return entry->lower;
      // The score is known to lie within the bounds, so the window can shrink to them.
      if (entry->lower > alpha) alpha = entry->lower;
      if (entry->upper < beta) beta = entry->upper;
    }
  }

  const bool lookUpChildren = ahead >= kChildLookupAhead;
  const bool prefetchChildren = ahead - 1 >= kTableAhead && !(toTheEnd && empties - 1 <= kLastEmpties);
  const bool orderByScore = !useTable && depth == 2;
  const int replyWeight = toTheEnd ? kReplyWeightToTheEnd : kReplyWeightLimited;
  const Tag childTag = TagOf(passes_, playerIsBlack_, ahead - 1, toTheEnd);
  Child* children = childRows_.RowOf(moveCount);
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
      c.bucket = &table.BucketOf(c.own, c.other, childTag);
      __builtin_prefetch(c.bucket);
    }
    c.replies = kUnknownMoves;
    c.order = 0;
    if (useTable) {
      c.replies = kMax ? hex::Moves(c.other, c.own) : hex::Moves(c.own, c.other);
      c.order = square == tableMove ? 1 << 20 : OrderKey<kMax>(c.own, moveCount + 1, c.replies, replyWeight);
    } else if (orderByScore) {  // the children's replies are the leaves
      c.order = kMax ? Evaluate(c.own, moveCount + 1) : -Evaluate(c.own, moveCount + 1);
    }
    ++n;
  }
  // A child already known to cut makes searching any of them unnecessary.
  if (lookUpChildren)
    for (int i = 0; i < n; ++i) {
      const Entry* e = Table::Find(*children[i].bucket, children[i].own, children[i].other, childTag);
      if (e && e->shape == childTag.shape && (kMax ? e->lower >= beta : e->upper <= alpha))
        return kMax ? e->lower : e->upper;
    }
  if (useTable || orderByScore) SortChildren(children, n);

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
    // The bucket is looked at anew: positions further down may have changed it.
    Entry* entry = Table::Find(*bucket, own, other, tag);
    if (entry && entry->shape == tag.shape) {
      if (lower > entry->lower) entry->lower = lower;
      if (upper < entry->upper) entry->upper = upper;
      entry->move = static_cast<std::int16_t>(bestSquare);
    } else {
      Table::Store(*bucket, {own, other, tag.passes, tag.shape, static_cast<std::int16_t>(bestSquare), lower, upper});
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
          replies ? score - 64 * hex::PopCount(replies) : (1 << 16) + score, nullptr};
}

int AlphaSearch::Choose(int depth) {
  const bool playerMoves = (moveCount_ % 2 == 0) == playerIsBlack_;
  Bits moves = playerMoves ? hex::Moves(player_, other_) : hex::Moves(other_, player_);
  Child* children = childRows_.RowOf(moveCount_);
  int n = 0;
  for (; moves; moves &= moves - 1) children[n++] = RootChild(std::countr_zero(moves));
  // A single legal cell is the choice, whatever it scores.
  if (n <= 1) return n == 1 ? children[0].square : -1;
  SortChildren(children, n);
  // The first cell searched sets the bar for the others, so the cells come in the
  // order of a shallow search's scores.
  const bool probed = depth > kRootProbeDepth;
  if (probed) {
    for (int i = 0; i < n; ++i) children[i].order = SearchChild(children[i], kRootProbeDepth, -kInfinity, kInfinity);
    SortChildren(children, n);
  }
  const bool toTheEnd = depth >= hex::PopCount(~(player_ | other_)) - 1;

  // Only the first greatest cell in scan order matters, so after the first cell
  // each other one is only tested against the best so far, with a null window:
  // a cell earlier in scan order takes over when it ties, a later one only when
  // it scores more. Its exact score is wanted only when it does take over.
  int best = -kInfinity;
  int choice = -1;
  for (int i = 0; i < n; ++i) {
    const Child& c = children[i];
    if (choice < 0) {
      best = probed ? ScoreByTests(c, depth, toTheEnd ? kGuessToTheEnd : c.order)
                    : SearchChild(c, depth, -kInfinity, kInfinity);
      choice = c.square;
    } else if (hex::ScanRank(c.square) < hex::ScanRank(choice)) {
      const int v = SearchChild(c, depth, best - 1, best);
      if (v >= best) {
        best = ScoreFrom(c, depth, v);
        choice = c.square;
      }
    } else {
      const int v = SearchChild(c, depth, best, best + 1);
      if (v > best) {
        best = ScoreFrom(c, depth, v);
        choice = c.square;
      }
    }
  }
  return choice;
}

int AlphaSearch::ScoreByTests(const Child& child, int depth, int guess) {
  int lower = -kInfinity, upper = kInfinity, v = guess;
  while (lower < upper) {
    const int bar = v > lower + 1 ? v : lower + 1;
    v = SearchChild(child, depth, bar - 1, bar);
    (v < bar ? upper : lower) = v;
  }
  return v;
}

int AlphaSearch::ScoreFrom(const Child& child, int depth, int lower) {
  for (;;) {
    const int v = SearchChild(child, depth, lower, lower + 1);
    if (v <= lower) return lower;
    lower = v;
  }
}

// Zero-initialised: no code runs to make it, and the system lends its pages when first written.
AlphaSearch::ChildRows AlphaSearch::childRows_;

void AlphaSearch::PrepareTable() {
  SharedTable();
  LendNow(&childRows_, sizeof(ChildRows));
}

int AlphaSearch::RootScore(int square, int depth) {
  return SearchChild(RootChild(square), depth, -kInfinity, kInfinity);
}
