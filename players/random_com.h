// Opponent 1: a legal corner when it meets one, otherwise a random legal cell.
#pragma once

#include "players/com.h"
#include "rules/board.h"

class RandomCom : public ICom {
 public:
  RandomCom(Board* board, const Color* color) : board_(board), color_(color) {}

  // (-1, -1) at once when the colour has no legal placement.
  CellPos NextMove() override;
  const Color* GetColor() const override { return color_; }
  void SetColor(const Color* color) override { color_ = color; }
  const char* GetName() const override { return "Random"; }

 private:
  Board* board_;  // not owned
  const Color* color_;
};
