// Drawn in the classic Windows look: a light grey bar, raised popups with etched
// separators, the chosen item in dark blue. Everything goes through the layer's own
// GDI calls, so the menu uses the same font as the program's own texts.
#include "user/menu_bar.h"

#include <algorithm>

#include "gdi/text.h"
#include "kernel/cp932.h"
#include "user/classic_look.h"
#include "user/menu.h"

namespace winapi {
namespace {

constexpr int kTitlePadding = 8;
constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 8;
constexpr int kPopupBorder = 2;
constexpr int kCheckColumn = 20;
constexpr int kTextRightPadding = 24;

constexpr COLORREF kHighlight = RGB(10, 36, 106);
constexpr COLORREF kHighlightText = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kGrayText = RGB(128, 128, 128);

// The width DrawTextA gives a label on one line. Measured without a device context, so
// that a bar that cannot be laid out for want of memory fails to be made, leaving nothing.
int TextWidth(const std::string& text) { return MeasureText(ParseMnemonic(text).text).width; }

using classic::Fill;
using classic::kDarkShadow;
using classic::kFace;
using classic::kLight;
using classic::kShadow;

void Text(HDC dc, const std::string& text, RECT rect, COLORREF color) {
  SetTextColor(dc, color);
  DrawTextA(dc, text.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

void Bullet(HDC dc, int cx, int cy, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Ellipse(dc, cx - 3, cy - 3, cx + 4, cy + 4);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

void Tick(HDC dc, int cx, int cy, COLORREF color) {
  for (int i = 0; i < 7; ++i) {
    const int x = cx - 3 + i;
    const int y = i < 3 ? cy + i - 1 : cy + 1 - (i - 2);
    Fill(dc, {x, y, x + 1, y + 3}, color);
  }
}

}  // namespace

MenuBar::MenuBar(Menu* menu, int width) : menu_(menu), width_(width) {
  int x = 0;
  for (const MenuItem& item : menu_->items) {
    const int w = TextWidth(item.text) + 2 * kTitlePadding;
    titles_.push_back({x, 0, x + w, kMenuBarHeight});
    x += w;
    int popupWidth = 0;
    if (item.popup)
      for (const MenuItem& entry : item.popup->items)
        popupWidth = std::max(popupWidth, TextWidth(entry.text));
    popupWidths_.push_back(popupWidth + kCheckColumn + kTextRightPadding + 2 * kPopupBorder);
  }
}

Menu& MenuBar::PopupMenu() const { return *menu_->items[title_].popup; }

RECT MenuBar::PopupRect() const {
  if (state_ != State::Popup) return {0, 0, 0, 0};
  int height = 2 * kPopupBorder;
  for (const MenuItem& item : PopupMenu().items) height += item.separator ? kSeparatorHeight : kItemHeight;
  const int left = std::min(titles_[title_].left, std::max(0, width_ - popupWidths_[title_]));
  return {left, kMenuBarHeight, left + popupWidths_[title_], kMenuBarHeight + height};
}

RECT MenuBar::PopupItemRect(int index) const {
  const RECT popup = PopupRect();
  int top = popup.top + kPopupBorder;
  const auto& items = PopupMenu().items;
  for (int i = 0; i < index; ++i) top += items[i].separator ? kSeparatorHeight : kItemHeight;
  const int height = items[index].separator ? kSeparatorHeight : kItemHeight;
  return {popup.left + kPopupBorder, top, popup.right - kPopupBorder, top + height};
}

int MenuBar::TitleAt(int x, int y) const {
  if (y < 0 || y >= kMenuBarHeight) return -1;
  for (size_t i = 0; i < titles_.size(); ++i)
    if (x >= titles_[i].left && x < titles_[i].right) return static_cast<int>(i);
  return -1;
}

int MenuBar::PopupItemAt(int x, int y) const {
  if (state_ != State::Popup) return -1;
  for (size_t i = 0; i < PopupMenu().items.size(); ++i) {
    const RECT r = PopupItemRect(static_cast<int>(i));
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return static_cast<int>(i);
  }
  return -1;
}

bool MenuBar::Selectable(int index) const {
  const MenuItem& item = PopupMenu().items[index];
  return !item.separator && !item.grayed;
}

int MenuBar::NextSelectable(int from, int step) const {
  const int count = static_cast<int>(PopupMenu().items.size());
  for (int i = 1; i <= count; ++i) {
    const int index = ((from + step * i) % count + count) % count;
    if (Selectable(index)) return index;
  }
  return -1;
}

void MenuBar::Open(int title, bool selectFirst) {
  title_ = title;
  if (!menu_->items[title].popup || menu_->items[title].popup->items.empty()) {
    state_ = State::Bar;
    item_ = -1;
    return;
  }
  state_ = State::Popup;
  item_ = selectFirst ? NextSelectable(-1, 1) : -1;
}

MenuBar::Result MenuBar::Choose(int index) {
  if (index < 0 || !Selectable(index)) return {true, false, 0};
  const UINT command = PopupMenu().items[index].id;
  Close();
  return {true, true, command};
}

MenuBar::Result MenuBar::Close() {
  const bool wasActive = IsActive();
  state_ = State::Closed;
  title_ = item_ = -1;
  return {wasActive, wasActive, 0};
}

MenuBar::Result MenuBar::MouseMove(int x, int y) {
  if (state_ != State::Popup) return {};
  const int title = TitleAt(x, y);
  if (title >= 0 && title != title_) {
    Open(title, false);
    return Redraw();
  }
  int item = PopupItemAt(x, y);
  if (item >= 0 && !Selectable(item)) item = -1;
  if (item == item_) return {true, false, 0};
  item_ = item;
  return Redraw();
}

MenuBar::Result MenuBar::MouseDown(int x, int y) {
  const int title = TitleAt(x, y);
  if (title >= 0) {
    if (state_ == State::Popup && title == title_) return Close();
    Open(title, false);
    return Redraw();
  }
  if (y >= 0 && y < kMenuBarHeight) {  // the bar beyond its titles
    Result result = Close();
    result.consumed = true;
    return result;
  }
  if (PopupItemAt(x, y) >= 0) return {true, false, 0};
  if (!IsActive()) return {};
  // A press outside an open menu only closes it; its release must not reach the window.
  swallowRelease_ = true;
  return Close();
}

MenuBar::Result MenuBar::MouseUp(int x, int y) {
  if (swallowRelease_) {
    swallowRelease_ = false;
    return {true, false, 0};
  }
  if (state_ != State::Popup) return {IsActive() || TitleAt(x, y) >= 0 || (y >= 0 && y < kMenuBarHeight), false, 0};
  const int item = PopupItemAt(x, y);
  if (item >= 0) return Choose(item);
  return {true, false, 0};
}

MenuBar::Result MenuBar::Key(MenuKey key, char letter) {
  const int titleCount = static_cast<int>(titles_.size());
  auto titleWithMnemonic = [&] {
    for (int i = 0; i < titleCount; ++i)
      if (letter && MnemonicOf(menu_->items[i].text) == letter) return i;
    return -1;
  };

  switch (state_) {
    case State::Closed:
      if (key == MenuKey::Activate && titleCount > 0) {
        state_ = State::Bar;
        title_ = 0;
        return Redraw();
      }
      if (key == MenuKey::AltLetter) {
        const int title = titleWithMnemonic();
        if (title < 0) return {};
        Open(title, true);
        return Redraw();
      }
      return {};

    case State::Bar:
      switch (key) {
        case MenuKey::Left:
        case MenuKey::Right:
          title_ = (title_ + (key == MenuKey::Left ? titleCount - 1 : 1)) % titleCount;
          return Redraw();
        case MenuKey::Down:
        case MenuKey::Up:
        case MenuKey::Enter:
          Open(title_, true);
          return Redraw();
        case MenuKey::Letter:
        case MenuKey::AltLetter: {
          const int title = titleWithMnemonic();
          if (title >= 0) Open(title, true);
          return Redraw();
        }
        case MenuKey::Escape:
        case MenuKey::Activate:
          return Close();
      }
      break;

    case State::Popup:
      switch (key) {
        case MenuKey::Up:
        case MenuKey::Down:
          item_ = NextSelectable(item_ < 0 && key == MenuKey::Up ? 0 : item_, key == MenuKey::Up ? -1 : 1);
          return Redraw();
        case MenuKey::Left:
        case MenuKey::Right:
          Open((title_ + (key == MenuKey::Left ? titleCount - 1 : 1)) % titleCount, true);
          return Redraw();
        case MenuKey::Enter:
          return item_ >= 0 ? Choose(item_) : Result{true, false, 0};
        case MenuKey::Letter:
        case MenuKey::AltLetter: {
          const auto& items = PopupMenu().items;
          for (int i = 0; i < static_cast<int>(items.size()); ++i)
            if (letter && Selectable(i) && MnemonicOf(items[i].text) == letter) return Choose(i);
          return {true, false, 0};
        }
        case MenuKey::Escape:
          // Back to the bar, its title still selected, as Windows does.
          state_ = State::Bar;
          item_ = -1;
          return Redraw();
        case MenuKey::Activate:
          return Close();
      }
      break;
  }
  return {};
}

void MenuBar::Draw(Surface& frame) const {
  HDC dc = CreateSurfaceDC(&frame);
  SetBkMode(dc, TRANSPARENT);

  Fill(dc, {0, 0, width_, kMenuBarHeight}, kFace);
  for (size_t i = 0; i < titles_.size(); ++i) {
    RECT r = titles_[i];
    const bool hot = static_cast<int>(i) == title_;
    if (hot) Fill(dc, r, kHighlight);
    r.left += kTitlePadding;
    Text(dc, menu_->items[i].text, r, hot ? kHighlightText : kText);
  }

  if (state_ == State::Popup) {
    const RECT p = PopupRect();
    // Raised edge: light outer top-left, dark outer bottom-right, then the inner pair.
    Fill(dc, p, kFace);
    Fill(dc, {p.left, p.top, p.right, p.top + 1}, kFace);
    Fill(dc, {p.left + 1, p.top + 1, p.right - 1, p.top + 2}, kLight);
    Fill(dc, {p.left + 1, p.top + 1, p.left + 2, p.bottom - 1}, kLight);
    Fill(dc, {p.right - 1, p.top, p.right, p.bottom}, kDarkShadow);
    Fill(dc, {p.left, p.bottom - 1, p.right, p.bottom}, kDarkShadow);
    Fill(dc, {p.right - 2, p.top + 1, p.right - 1, p.bottom - 1}, kShadow);
    Fill(dc, {p.left + 1, p.bottom - 2, p.right - 1, p.bottom - 1}, kShadow);

    const auto& items = PopupMenu().items;
    for (size_t i = 0; i < items.size(); ++i) {
      const MenuItem& item = items[i];
      const RECT r = PopupItemRect(static_cast<int>(i));
      if (item.separator) {
        const int y = (r.top + r.bottom) / 2 - 1;
        Fill(dc, {r.left + 1, y, r.right - 1, y + 1}, kShadow);
        Fill(dc, {r.left + 1, y + 1, r.right - 1, y + 2}, kLight);
        continue;
      }
      const bool hot = static_cast<int>(i) == item_;
      if (hot) Fill(dc, r, kHighlight);
      const COLORREF color = item.grayed ? kGrayText : hot ? kHighlightText : kText;
      if (item.checked) {
        const int cx = r.left + kCheckColumn / 2, cy = (r.top + r.bottom) / 2;
        item.radio ? Bullet(dc, cx, cy, color) : Tick(dc, cx, cy, color);
      }
      Text(dc, item.text, {r.left + kCheckColumn, r.top, r.right, r.bottom}, color);
    }
  }
  ReleaseSurfaceDC(dc);
}

}  // namespace winapi
