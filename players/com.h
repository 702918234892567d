// The interface of every computer player.
#pragma once

#include "rules/color.h"

class ICom {
 public:
  virtual ~ICom() {}
  // The cell to place for the player's colour on the current board; places nothing.
  virtual CellPos NextMove() = 0;
  virtual const Color* GetColor() const = 0;
  virtual void SetColor(const Color* color) = 0;
  virtual const char* GetName() const = 0;
};
