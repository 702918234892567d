#include "game/game_controller.h"

#include <cmath>
#include <cstdlib>

#include "game/status_panel.h"
#include "players/alpha_com.h"
#include "players/max_com.h"
#include "players/random_com.h"
#include "rules/board.h"
#include "win/board_view.h"
#include "win/resource.h"

namespace {

constexpr int kBoardOriginX = 10;
constexpr int kBoardOriginY = 10;
constexpr int kPanelTop = 10;
constexpr COLORREF kBackgroundHatch = RGB(191, 207, 223);
constexpr char kCaption[] = "リバーシ";
constexpr char kAboutText[] = "Tarvel\n六角形の盤で遊ぶリバーシ\n\n製作: Tarvel 開発者一同";

}  // namespace

GameController::GameController(HWND window) {
  board_ = new Board(kBoardOriginX, kBoardOriginY);
  // The board's right edge (origin plus eight and a half cell widths) and a 10 pixel gap.
  const int panelLeft = static_cast<int>(std::sqrt(3.0) * 32 * 8.5 + 20);
  panel_ = new StatusPanel(panelLeft, kPanelTop, board_);

  RECT client;
  GetClientRect(window, &client);
  HDC windowDC = GetDC(window);
  backBuffer_ = CreateCompatibleBitmap(windowDC, client.right, client.bottom);
  memoryDC_ = CreateCompatibleDC(windowDC);
  SelectObject(memoryDC_, backBuffer_);

  // The background is filled once: later paints draw only the board and the panel over it.
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, kBackgroundHatch);
  FillRect(memoryDC_, &client, hatch);
  DeleteObject(hatch);
  ReleaseDC(window, windowDC);

  srand(GetTickCount());
  OnCommand(window, IDM_VS_COM1);
}

GameController::~GameController() {
  delete player_;
  delete panel_;
  delete board_;
  // The bitmap stays selected until its device context is gone.
  DeleteDC(memoryDC_);
  DeleteObject(backBuffer_);
}

void GameController::Paint(HWND window) {
  HDC windowDC = GetDC(window);
  board_->Draw(memoryDC_);
  panel_->Draw(memoryDC_);
  RECT client;
  GetClientRect(window, &client);
  BitBlt(windowDC, 0, 0, client.right, client.bottom, memoryDC_, 0, 0, SRCCOPY);
  ReleaseDC(window, windowDC);
  ValidateRect(window, nullptr);
}

void GameController::OnClick(HWND window, int x, int y) {
  if (gameOver_) return;
  const CellPos cell = PickCell(x - board_->GetOriginX(), y - board_->GetOriginY());
  if (board_->Place(cell.x, cell.y, ColorForCount(board_->GetMoveCount()))) RunComputerTurns(window);
  if (gameOver_)
    ShowGameOver(window);
  else
    Paint(window);
}

void GameController::OnCommand(HWND window, int id) {
  switch (id) {
    case IDM_NEW_GAME_FIRST:
      NewGame(window, White());
      break;
    case IDM_NEW_GAME_SECOND:
      NewGame(window, Black());
      break;
    case IDM_VS_HUMAN:
    case IDM_VS_COM1:
    case IDM_VS_COM2:
    case IDM_VS_COM3:
      ChooseOpponent(window, id);
      break;
    case IDM_UNDO:
      TakeBack(window);
      break;
    case IDM_ABOUT:
      MessageBoxA(window, kAboutText, "About..", MB_OK);
      break;
    case IDM_EXIT:
      // The window procedure deletes this controller while handling WM_DESTROY.
      SendMessageA(window, WM_DESTROY, 0, 0);
      return;
  }
}

void GameController::NewGame(HWND window, const Color* computerColor) {
  board_->Reset();
  panel_->Update(0, player_, false, nullptr);
  gameOver_ = false;
  if (player_) {
    player_->SetColor(computerColor);
    if (computerColor == Black()) RunComputerTurns(window);
  }
  InvalidateRect(window, nullptr, FALSE);
}

void GameController::ChooseOpponent(HWND window, int id) {
  delete player_;
  player_ = nullptr;
  if (id == IDM_VS_COM1) player_ = new RandomCom(board_, White());
  if (id == IDM_VS_COM2) player_ = new MaxCom(board_, White());
  if (id == IDM_VS_COM3) player_ = new AlphaCom(board_, White());
  CheckMenuRadioItem(GetMenu(window), IDM_VS_HUMAN, IDM_VS_COM3, id, MF_BYCOMMAND);
  NewGame(window, White());
}

// Back to the last position in which the side now to move was to move. When the
// history runs out first (two humans after Black's first placement, or the human
// moving second before their first one) it stops at the opening position; if the
// computer is then to move, it moves, so that a click never places its colour.
void GameController::TakeBack(HWND window) {
  if (gameOver_) return;
  const Color* side = ColorForCount(board_->GetMoveCount());
  for (;;) {
    const int before = board_->GetMoveCount();
    board_->Undo();
    const int after = board_->GetMoveCount();
    if (after == before || ColorForCount(after) == side) break;
  }
  panel_->Update(board_->GetMoveCount(), player_, false, nullptr);
  // The computer is to move here only at the opening, and its first placement never
  // ends a game.
  if (player_ && player_->GetColor() == ColorForCount(board_->GetMoveCount())) RunComputerTurns(window);
  Paint(window);
}

void GameController::RunComputerTurns(HWND window) {
  bool passed = false;
  for (;;) {
    if (!SideHasMove()) {
      board_->Pass();
      if (passed) {
        gameOver_ = true;
        return;
      }
      passed = true;
      continue;
    }
    panel_->Update(board_->GetMoveCount(), player_, false, nullptr);
    if (passed) {
      Paint(window);
      MessageBoxA(window, "パス", kCaption, MB_OK);
      passed = false;
    }
    if (!player_ || player_->GetColor() != ColorForCount(board_->GetMoveCount())) return;
    Paint(window);
    const CellPos cell = player_->NextMove();
    board_->Place(cell.x, cell.y, player_->GetColor());
  }
}

bool GameController::SideHasMove() const {
  return HasLegalPlacement(*board_, ColorForCount(board_->GetMoveCount()));
}

void GameController::ShowGameOver(HWND window) {
  const int black = CountStones(*board_, Black()), white = CountStones(*board_, White());
  const char* text = "引き分けです。";
  const Color* winner = nullptr;
  if (black > white) {
    text = "黒の勝ちです。";
    winner = Black();
  } else if (white > black) {
    text = "白の勝ちです。";
    winner = White();
  }
  panel_->Update(board_->GetMoveCount(), player_, true, winner);
  Paint(window);
  MessageBoxA(window, text, kCaption, MB_OK);
}
