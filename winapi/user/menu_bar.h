// The menu bar the layer draws above a window's client area, with its popups, and the
// way it follows the mouse and the keyboard. Works in outer window coordinates: the
// bar is the top kMenuBarHeight rows, popups open below it over the client area.
#pragma once

#include <windows.h>

#include <vector>

#include "gdi/surface.h"

namespace winapi {

struct Menu;

constexpr int kMenuBarHeight = 20;

enum class MenuKey { Activate, Left, Right, Up, Down, Enter, Escape, Letter, AltLetter };

class MenuBar {
 public:
  // What one piece of input did.
  struct Result {
    bool consumed = false;  // the input was the menu's, not the client area's
    bool redraw = false;
    UINT command = 0;  // a chosen item, 0 for none
  };

  // Lays the bar out for a window width; the texts are measured in the default font.
  MenuBar(Menu* menu, int width);

  bool IsActive() const { return state_ != State::Closed; }
  int OpenPopup() const { return state_ == State::Popup ? title_ : -1; }

  Result MouseMove(int x, int y);
  Result MouseDown(int x, int y);
  Result MouseUp(int x, int y);
  Result Key(MenuKey key, char letter);
  // Closes whatever is open, as when the window loses the input.
  Result Close();

  // Draws the bar, and the open popup, into frame.
  void Draw(Surface& frame) const;

  // Where things are, for input and the test library: the rectangle of title i on the
  // bar, and of item i of the open popup.
  int TitleCount() const { return static_cast<int>(titles_.size()); }
  RECT TitleRect(int index) const { return titles_[index]; }
  RECT PopupItemRect(int index) const;
  RECT PopupRect() const;

 private:
  enum class State { Closed, Bar, Popup };

  Menu& PopupMenu() const;
  int TitleAt(int x, int y) const;
  int PopupItemAt(int x, int y) const;
  bool Selectable(int index) const;
  int NextSelectable(int from, int step) const;
  void Open(int title, bool selectFirst);
  Result Choose(int index);
  Result Redraw(bool consumed = true) const { return {consumed, true, 0}; }

  Menu* menu_;
  int width_;
  std::vector<RECT> titles_;
  std::vector<int> popupWidths_;
  State state_ = State::Closed;
  int title_ = -1;  // highlighted title on the bar
  int item_ = -1;   // highlighted item in the open popup
  bool swallowRelease_ = false;
};

}  // namespace winapi
