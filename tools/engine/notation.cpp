#include "notation.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <vector>

#include "arguments.h"

namespace {

const char* SideName(const Color* color) { return color == Black() ? "Black" : "White"; }

}  // namespace

std::string FormatCell(CellPos cell) {
  return {static_cast<char>('a' + cell.x), static_cast<char>('1' + cell.y)};
}

std::optional<CellPos> ParseCell(std::string_view text) {
  if (text.size() != 2 || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') return std::nullopt;
  return CellPos{text[0] - 'a', text[1] - '1'};
}

Turn TurnOf(const Board& board) {
  if (HasLegalPlacement(board, board.SideToMove())) return Turn::kPlace;
  if (HasLegalPlacement(board, Opposite(board.SideToMove()))) return Turn::kPass;
  return Turn::kGameOver;
}

std::optional<RecordError> PlayRecord(Board& board, std::string_view record) {
  board.Reset();
  if (record.empty()) return std::nullopt;
  int number = 0;
  for (size_t start = 0;;) {
    const size_t end = std::min(record.find(' ', start), record.size());
    const std::string move(record.substr(start, end - start));
    ++number;
    if (move.empty()) return RecordError{number, move, "empty move: moves are separated by single spaces"};

    const std::optional<CellPos> cell = ParseCell(move);
    if (!cell && move != "pass") return RecordError{number, move, "not a move: a1 to h8, or pass"};
    const Turn turn = TurnOf(board);
    const Color* side = board.SideToMove();
    if (turn == Turn::kGameOver) return RecordError{number, move, "the game has already ended"};
    if (!cell) {
      if (turn == Turn::kPlace)
        return RecordError{number, move, std::string(SideName(side)) + " has a legal placement and may not pass"};
      board.Pass();
    } else if (!board.Place(cell->x, cell->y, side)) {
      return RecordError{number, move, std::string("not a legal placement for ") + SideName(side)};
    }

    if (end == record.size()) return std::nullopt;
    start = end + 1;
  }
}

std::string RecordOf(const Board& board) {
  // The history holds the placements newest first; the gaps in their counts are passes.
  Board::History history = board.GetHistory();
  std::vector<MoveRecord> placements;
  for (; !history.empty(); history.pop()) placements.push_back(history.top());
  std::string record;
  int count = 0;
  auto append = [&record](const std::string& move) { record += (record.empty() ? "" : " ") + move; };
  for (auto it = placements.rbegin(); it != placements.rend(); ++it) {
    for (; count < it->count - 1; ++count) append("pass");
    append(FormatCell({it->x, it->y}));
    count = it->count;
  }
  for (; count < board.GetMoveCount(); ++count) append("pass");
  return record;
}

bool ForEachRecord(std::istream& in, std::ostream& errors, Board& board,
                   const std::function<void(const std::string& record)>& play) {
  bool allPlayed = true;
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const auto error = PlayRecord(board, line)) {
      errors << "line " << lineNumber << ": move " << error->moveNumber << " '" << Shown(error->move)
             << "': " << error->reason << std::endl;
      allPlayed = false;
      continue;
    }
    play(line);
  }
  return allPlayed;
}
