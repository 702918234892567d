#include "rules/color.h"

const Color* Black() {
  static constexpr Color black;
  return &black;
}

const Color* White() {
  static constexpr Color white;
  return &white;
}

const Color* Opposite(const Color* color) {
  if (color == Black()) return White();
  if (color == White()) return Black();
  return nullptr;
}

const Color* ColorForCount(int moveCount) { return moveCount % 2 == 0 ? Black() : White(); }

const char* ColorName(const Color* color) {
  if (color == Black()) return "黒";
  if (color == White()) return "白";
  return "＿";
}
