// The USER32 calls that draw into a device context: FillRect with a brush, DrawTextA in
// the default font.
#include <algorithm>
#include <cstring>
#include <string>

#include "boundary.h"
#include "gdi/dc.h"
#include "gdi/text.h"
#include "kernel/cp932.h"

using winapi::DeviceContext;

int WINAPI FillRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
  return winapi::Guarded(0, [&] {
    DeviceContext* dc = winapi::FindDC(handle);
    const winapi::Brush* brush = winapi::FindObjectAs<winapi::Brush>(brushHandle, winapi::ObjectKind::Brush);
    winapi::Surface* surface = dc ? dc->Target() : nullptr;
    if (!surface || !rect || !brush) return 0;
    // FillRect is a pattern blit of the rectangle's extent: a reversed side is mirrored
    // about its starting edge, which then lies inside, as PatBlt does with a negative extent.
    const POINT from = dc->ToDevice(rect->left, rect->top);
    const POINT to = dc->ToDevice(rect->right, rect->bottom);
    RECT area{from.x, from.y, to.x, to.y};
    if (area.left > area.right) area = {area.right + 1, area.top, area.left + 1, area.bottom};
    if (area.top > area.bottom) area = {area.left, area.bottom + 1, area.right, area.top + 1};
    if (winapi::PixelOutput()) winapi::MakePaint(*brush, dc->bkColor, dc->bkMode).Rect(*surface, area);
    ++surface->generation;
    return 1;
  });
}

namespace {

int DrawTextOn(DeviceContext& dc, std::string_view source, RECT& rect, UINT format) {
  winapi::MnemonicLabel parsed =
      (format & DT_NOPREFIX) ? winapi::MnemonicLabel{std::string(source)} : winapi::ParseMnemonic(source);
  std::string& label = parsed.text;
  int& underline = parsed.markedByte;
  if (format & DT_SINGLELINE) {
    // One line whatever the text holds: line breaks are dropped, not drawn.
    for (size_t i = 0; i < label.size();) {
      if (label[i] == '\r' || label[i] == '\n') {
        label.erase(i, 1);
        if (underline > static_cast<int>(i)) --underline;
      } else {
        ++i;
      }
    }
  }
  const winapi::TextExtent extent = winapi::MeasureText(label);
  const int height = extent.lines * extent.lineHeight;
  if (format & DT_CALCRECT) {
    rect.right = rect.left + extent.width;
    // An empty text on several lines takes no room, though its line still counts in the
    // answer; on a single line it keeps the line's height.
    rect.bottom = rect.top + (source.empty() && !(format & DT_SINGLELINE) ? 0 : height);
    return height;
  }
  winapi::Surface* surface = dc.Target();
  if (!surface) return 0;
  if (!winapi::PixelOutput()) return height;

  const POINT topLeft = dc.ToDevice(rect.left, rect.top);
  const POINT bottomRight = dc.ToDevice(rect.right, rect.bottom);
  const RECT box{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  const RECT clip = (format & DT_NOCLIP) ? RECT{0, 0, surface->width, surface->height} : box;
  int y = box.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = box.top + (box.bottom - box.top - height) / 2;
    else if (format & DT_BOTTOM)
      y = box.bottom - height;
  }

  // Each line is placed on its own, and in OPAQUE mode its cell is first filled with the
  // background colour, as GDI's text output does.
  int lineTop = y;
  for (const std::string_view line : winapi::SplitTextLines(label)) {
    const int width = winapi::MeasureText(line).width;
    int x = box.left;
    if (format & DT_CENTER)
      x = box.left + (box.right - box.left - width) / 2;
    else if (format & DT_RIGHT)
      x = box.right - width;
    if (dc.bkMode == OPAQUE) {
      const winapi::Paint background{winapi::Paint::Kind::Solid, winapi::PixelOf(dc.bkColor)};
      background.Rect(*surface, {std::max<LONG>(x, clip.left), std::max<LONG>(lineTop, clip.top),
                                 std::min<LONG>(x + width, clip.right),
                                 std::min<LONG>(lineTop + extent.lineHeight, clip.bottom)});
    }
    const int begin = static_cast<int>(line.data() - label.data());
    const int lineUnderline =
        underline >= begin && underline < begin + static_cast<int>(line.size()) ? underline - begin : -1;
    winapi::DrawTextOnSurface(*surface, x, lineTop, line, dc.textColor, clip, lineUnderline);
    lineTop += extent.lineHeight;
  }
  return y - box.top + height;
}

}  // namespace

int WINAPI DrawTextA(HDC handle, LPCSTR text, int length, LPRECT rect, UINT format) {
  DeviceContext* dc = winapi::FindDC(handle);
  // A null text is "" when its length is to be counted, and nothing at all with a length.
  if (!text && length < 0) text = "";
  // Nothing to draw: Windows answers 0 and leaves the rectangle, DT_CALCRECT or not.
  if (!dc || !text || !rect || length == 0) return 0;
  const std::string_view source(text, length < 0 ? std::strlen(text) : static_cast<size_t>(length));
  return winapi::Guarded(0, [&] { return DrawTextOn(*dc, source, *rect, format); });
}
