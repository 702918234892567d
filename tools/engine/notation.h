// Game records in text: a placement is the column letter a-h for x and the row
// digit 1-8 for y + 1 ((2, 3) is "c4"), a pass is "pass", and a record is the
// moves from the opening separated by single spaces.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "rules/board.h"

std::string FormatCell(CellPos cell);
std::optional<CellPos> ParseCell(std::string_view text);

// What the side to move may do.
enum class Turn { kPlace, kPass, kGameOver };
Turn TurnOf(const Board& board);

struct RecordError {
  int moveNumber;    // 1 for the first move of the record
  std::string move;  // the offending text
  std::string reason;
};

// Resets the board and plays the record on it. Stops at the first move that is
// malformed or not allowed; the board then holds the position before that move.
std::optional<RecordError> PlayRecord(Board& board, std::string_view record);

// The record of the board's game so far, passes included (read from its history).
std::string RecordOf(const Board& board);

// Reads records from `in`, one per line (a trailing carriage return is dropped),
// and plays each on the board. A rejected record gets one line on `errors` naming
// its line and move; `play` is called for the others, with the board holding the
// record's position. Returns false when some record was rejected.
bool ForEachRecord(std::istream& in, std::ostream& errors, Board& board,
                   const std::function<void(const std::string& record)>& play);
