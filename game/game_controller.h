// The game of the main window: owns the board, the status panel, the computer opponent
// and the back buffer, and turns clicks and menu commands into moves.
#pragma once

#include <windows.h>

#include "players/com.h"

class Board;
class StatusPanel;

class GameController {
 public:
  // Called while the window handles WM_CREATE: builds everything and starts a game
  // against opponent 1 with the human moving first.
  explicit GameController(HWND window);
  ~GameController();
  GameController(const GameController&) = delete;
  GameController& operator=(const GameController&) = delete;

  // Draws board and panel into the back buffer and copies it to the window; also
  // satisfies a pending WM_PAINT.
  void Paint(HWND window);
  // A release of the left button at client coordinates (x, y).
  void OnClick(HWND window, int x, int y);
  // A menu command. The exit command deletes this controller before it returns.
  void OnCommand(HWND window, int id);

  // Read-only views for tests that check the game's state after every event.
  const Board& GetBoard() const { return *board_; }
  const StatusPanel& GetPanel() const { return *panel_; }
  const ICom* GetPlayer() const { return player_; }
  bool IsGameOver() const { return gameOver_; }

 private:
  void NewGame(HWND window, const Color* computerColor);
  void ChooseOpponent(HWND window, int id);
  void TakeBack(HWND window);
  void RunComputerTurns(HWND window);
  bool SideHasMove() const;
  void ShowGameOver(HWND window);

  Board* board_;
  StatusPanel* panel_;
  bool gameOver_ = false;
  ICom* player_ = nullptr;
  HBITMAP backBuffer_;
  HDC memoryDC_;
};
