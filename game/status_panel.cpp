#include "game/status_panel.h"

namespace {

constexpr int kWidth = 150;
constexpr int kHeight = 140;
constexpr int kTextInset = 10;

}  // namespace

StatusPanel::StatusPanel(int left, int top, const Board* board) : left_(left), top_(top), board_(board) {}

void StatusPanel::Update(int moveCount, const ICom* player, bool gameOver, const Color* winner) {
  moveCount_ = moveCount;
  player_ = player;
  gameOver_ = gameOver;
  winner_ = winner;
}

void StatusPanel::Compose(char (&buffer)[kTextBufferSize]) const {
  const int black = CountStones(*board_, Black()), white = CountStones(*board_, White());
  const char* opponent = player_ ? player_->GetName() : "Human";
  if (!gameOver_) {
    wsprintfA(buffer, "%sの番です\n%d 手目\n● Human\n    %d 目\n○ %s\n    %d 目",
              ColorName(ColorForCount(moveCount_)), moveCount_ + 1, black, opponent, white);
  } else if (!winner_) {
    wsprintfA(buffer, "引き分けです\n%d 手で終了\n● Human\n    %d 目\n○ %s\n    %d 目", moveCount_, black, opponent,
              white);
  } else {
    wsprintfA(buffer, "%sの勝ちです\n%d 手で終了\n● Human\n    %d 目\n○ %s\n    %d 目", ColorName(winner_),
              moveCount_, black, opponent, white);
  }
}

std::string StatusPanel::Text() const {
  char buffer[kTextBufferSize];
  Compose(buffer);
  return buffer;
}

void StatusPanel::Draw(HDC dc) const {
  char buffer[kTextBufferSize];
  Compose(buffer);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Rectangle(dc, left_, top_, left_ + kWidth, top_ + kHeight);

  RECT text{left_ + kTextInset, top_ + kTextInset, left_ + kWidth - kTextInset, top_ + kHeight - kTextInset};
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  DrawTextA(dc, buffer, -1, &text, 0);
}
