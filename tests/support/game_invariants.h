// What must hold of a running game after every event, whatever came before: used by
// the fuzzer and the soak test, which drive the main window on the headless display.
#pragma once

#include <string>

#include "game/game_controller.h"
#include "game/status_panel.h"
#include "rules/board.h"

namespace gametest {

// An empty string when every invariant holds, else what broke.
inline std::string BrokenInvariant(const GameController& game) {
  const Board& board = game.GetBoard();
  const int black = CountStones(board, Black()), white = CountStones(board, White());
  if (black + white + CountStones(board, nullptr) != kCellCount)
    return "a cell holds something other than a stone or nothing";
  const Board::History& history = board.GetHistory();
  if (black + white != 4 + static_cast<int>(history.size())) return "stones and records disagree";
  if (!history.empty() && board.GetMoveCount() < history.top().count)
    return "the move counter is below the newest record";

  const Color* toMove = board.SideToMove();
  const bool anyMove = HasLegalPlacement(board, toMove) || HasLegalPlacement(board, Opposite(toMove));
  if (game.IsGameOver() && anyMove) return "over while a side can place";
  if (!game.IsGameOver() && !anyMove) return "in play while neither side can place";
  // Between events the game never waits on a side that cannot place, nor on the computer.
  if (!game.IsGameOver()) {
    if (!HasLegalPlacement(board, toMove)) return "waiting on a side without a placement";
    if (game.GetPlayer() && game.GetPlayer()->GetColor() == toMove) return "waiting on the computer";
  }

  // The panel shows what a panel told the true state would show.
  const Color* winner = nullptr;
  if (game.IsGameOver() && black != white) winner = black > white ? Black() : White();
  StatusPanel expected(0, 0, &board);
  expected.Update(board.GetMoveCount(), game.GetPlayer(), game.IsGameOver(), winner);
  if (game.GetPanel().Text() != expected.Text()) return "the panel disagrees with the board";
  return "";
}

}  // namespace gametest
