#include "players/alpha_com.h"

#include "players/alpha_search.h"

namespace {

AlphaSearch SearchFrom(const Board& board, const Color* player) {
  return AlphaSearch(hex::StonesOf(board, player), hex::StonesOf(board, Opposite(player)), board.GetMoveCount(),
                     player == Black());
}

}  // namespace

AlphaCom::AlphaCom(Board* board, const Color* color) : board_(board), color_(color) { AlphaSearch::PrepareTable(); }

CellPos AlphaCom::NextMove() { return Choose(DepthFor(board_->GetMoveCount())); }

CellPos AlphaCom::Choose(int depth) {
  AlphaSearch search = SearchFrom(*board_, color_);
  const int square = search.Choose(depth);
  searchedPositions_ += search.SearchedPositions();
  return square < 0 ? CellPos{-1, -1} : hex::CellOf(square);
}

std::vector<AlphaCom::RootScore> AlphaCom::RootScores(int depth) {
  AlphaSearch search = SearchFrom(*board_, color_);
  const Color* side = board_->SideToMove();
  std::vector<RootScore> scores;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board_->CanPlace(x, y, side)) scores.push_back({{x, y}, search.RootScore(hex::SquareOf(x, y), depth)});
  searchedPositions_ += search.SearchedPositions();
  return scores;
}

CellPos AlphaCom::PlainChoose(int depth) {
  const Color* side = board_->SideToMove();
  int best = -kInfinity;
  CellPos choice{-1, -1};
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      if (!board_->CanPlace(x, y, side)) continue;
      board_->Place(x, y, side);
      // Every root cell gets the full window, so each score is exact.
      const int score = Search(depth, -kInfinity, kInfinity);
      board_->Undo();
      if (score > best) {  // ties stay with the earlier cell
        best = score;
        choice = {x, y};
      }
    }
  return choice;
}

std::vector<AlphaCom::RootScore> AlphaCom::PlainRootScores(int depth) {
  const Color* side = board_->SideToMove();
  std::vector<RootScore> scores;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      if (!board_->CanPlace(x, y, side)) continue;
      board_->Place(x, y, side);
      scores.push_back({{x, y}, Search(depth, -kInfinity, kInfinity)});
      board_->Undo();
    }
  return scores;
}

int AlphaCom::Search(int depth, int alpha, int beta) {
  ++searchedPositions_;
  if (depth == 0) return Evaluate();
  const Color* side = board_->SideToMove();
  const bool maximising = side == color_;
  bool placed = false;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      if (!board_->CanPlace(x, y, side)) continue;
      placed = true;
      board_->Place(x, y, side);
      const int score = Search(depth - 1, alpha, beta);
      board_->Undo();
      if (maximising) {
        if (score >= beta) return score;
        if (score > alpha) alpha = score;
      } else {
        if (score <= alpha) return score;
        if (score < beta) beta = score;
      }
    }
  if (!placed) return Evaluate();
  return maximising ? alpha : beta;
}

int AlphaCom::Evaluate() const {
  const bool counting = board_->GetMoveCount() >= kCountingFrom;
  int sum = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board_->GetCell(x, y) == color_) sum += counting ? 1 : kCellWeights[x * kBoardSize + y];
  return sum;
}
