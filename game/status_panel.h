// The white box beside the board: whose turn and which move, or the result, with the
// stone counts and the players' names.
#pragma once

#include <windows.h>

#include <string>

#include "players/com.h"
#include "rules/board.h"

class StatusPanel {
 public:
  // The board is read, never owned; it must outlive the panel.
  StatusPanel(int left, int top, const Board* board);

  // Stores the state to show; draws nothing. player is null when two people play.
  void Update(int moveCount, const ICom* player, bool gameOver, const Color* winner);

  // Paints the frame and the text; leaves the black pen and the null brush selected.
  void Draw(HDC dc) const;

  // The six lines Draw shows, in code page 932, with the stones counted now.
  std::string Text() const;

 private:
  // wsprintfA writes at most this many bytes, so a buffer of this size cannot overflow
  // whatever name a player gives.
  static constexpr int kTextBufferSize = 1024;
  void Compose(char (&buffer)[kTextBufferSize]) const;

  int left_;
  int top_;
  int moveCount_ = 0;
  const Board* board_;
  const ICom* player_ = nullptr;
  const Color* winner_ = nullptr;
  bool gameOver_ = false;
};
