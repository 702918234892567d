// Opponent 2: a legal corner when it meets one, otherwise a random cell among
// those that turn the most stones.
#pragma once

#include "players/com.h"
#include "rules/board.h"

class MaxCom : public ICom {
 public:
  MaxCom(Board* board, const Color* color) : board_(board), color_(color) {}

  CellPos NextMove() override;
  const Color* GetColor() const override { return color_; }
  void SetColor(const Color* color) override { color_ = color; }
  const char* GetName() const override { return "Max"; }

 private:
  Board* board_;  // not owned
  const Color* color_;
};
