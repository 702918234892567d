#include "gdi/dc.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "boundary.h"

namespace winapi {
namespace {

void Hold(HGDIOBJ handle) {
  if (GdiObject* object = FindObject(handle)) ++object->selectCount;
}

void Release(HGDIOBJ handle) {
  if (GdiObject* object = FindObject(handle)) --object->selectCount;
}

HDC AddDC(std::unique_ptr<DeviceContext> dc) {
  // Every DC starts with the defaults Windows gives it: black pen, white brush and, for a
  // memory DC, the 1x1 default bitmap. They are held once the DC is in the table, so that
  // a DC that could not be added holds nothing.
  DeviceContext& added = *dc;
  added.pen = GetStockObject(BLACK_PEN);
  added.brush = GetStockObject(WHITE_BRUSH);
  if (added.IsMemory()) added.bitmap = DefaultBitmap();
  HDC handle = static_cast<HDC>(AddObject(std::move(dc)));
  Hold(added.pen);
  Hold(added.brush);
  Hold(added.bitmap);
  return handle;
}

void RemoveDC(HDC handle, DeviceContext& dc) {
  Release(dc.pen);
  Release(dc.brush);
  Release(dc.bitmap);
  RemoveObject(handle);
}

}  // namespace

Surface* DeviceContext::Target() const {
  if (windowSurface) return windowSurface;
  Bitmap* selected = FindObjectAs<Bitmap>(bitmap, ObjectKind::Bitmap);
  return selected ? &selected->surface : nullptr;
}

Paint MakePaint(const Brush& brush, COLORREF bkColor, int bkMode) {
  Paint paint;
  switch (brush.style) {
    case Brush::Style::Null:
      break;
    case Brush::Style::Solid:
      paint.kind = Paint::Kind::Solid;
      break;
    case Brush::Style::Hatch:
      paint.kind = Paint::Kind::Hatch;
      break;
  }
  paint.color = PixelOf(brush.color);
  paint.background = PixelOf(bkColor);
  paint.opaque = bkMode == OPAQUE;
  paint.hatch = brush.hatch;
  return paint;
}

Paint DeviceContext::BrushPaint() const {
  const Brush* selected = FindObjectAs<Brush>(brush, ObjectKind::Brush);
  return selected ? MakePaint(*selected, bkColor, bkMode) : Paint{};
}

bool DeviceContext::PenColor(uint32_t& color) const {
  const Pen* selected = FindObjectAs<Pen>(pen, ObjectKind::Pen);
  if (!selected || selected->null) return false;
  color = PixelOf(selected->color);
  return true;
}

DeviceContext* FindDC(HDC dc) { return FindObjectAs<DeviceContext>(dc, ObjectKind::DeviceContext); }

HDC CreateSurfaceDC(Surface* surface, SurfaceDCDeleted onDelete) {
  if (!surface) return nullptr;
  auto dc = std::make_unique<DeviceContext>(surface);
  dc->onDelete = onDelete;
  return AddDC(std::move(dc));
}

void ReleaseSurfaceDC(HDC handle) {
  DeviceContext* dc = FindDC(handle);
  if (dc && !dc->IsMemory()) RemoveDC(handle, *dc);
}

}  // namespace winapi

using winapi::DeviceContext;
using winapi::FindDC;

HDC WINAPI CreateCompatibleDC(HDC dc) {
  // Null stands for the screen; anything else must be a live DC.
  if (dc && !FindDC(dc)) return nullptr;
  return winapi::Guarded<HDC>(nullptr, [] { return winapi::AddDC(std::make_unique<DeviceContext>(nullptr)); });
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height) {
  // Every bitmap is 32 bits per pixel, as a window DC on a true-colour display gives; the
  // layer has no monochrome bitmaps, so a memory DC's default bitmap does not make one.
  if (!FindDC(dc) || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return winapi::DefaultBitmap();
  return winapi::Guarded<HBITMAP>(nullptr, [&] {
    auto bitmap = std::make_unique<winapi::Bitmap>(width, height);
    // Windows has a bitmap's bits from its creation on, or makes no bitmap: so the pixels
    // are taken here, where running short of memory can still answer NULL. A large block
    // comes from the kernel as untouched zero pages, so an undrawn bitmap still costs nothing.
    bitmap->surface.AllPixels();
    return static_cast<HBITMAP>(winapi::AddObject(std::move(bitmap)));
  });
}

BOOL WINAPI DeleteDC(HDC handle) {
  DeviceContext* dc = FindDC(handle);
  if (!dc) return FALSE;
  // A window's DC is its window's: whether it goes is for the window to say.
  if (!dc->IsMemory()) {
    if (!dc->onDelete) return FALSE;
    if (!dc->onDelete(handle)) return TRUE;
  }
  winapi::RemoveDC(handle, *dc);
  return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object) {
  DeviceContext* dc = FindDC(handle);
  winapi::GdiObject* found = winapi::FindObject(object);
  if (!dc || !found) return nullptr;
  HGDIOBJ* slot = nullptr;
  switch (found->kind) {
    case winapi::ObjectKind::Pen:
      slot = &dc->pen;
      break;
    case winapi::ObjectKind::Brush:
      slot = &dc->brush;
      break;
    case winapi::ObjectKind::Bitmap:
      // Only a memory DC takes a bitmap, and a bitmap lives in one DC at a time.
      if (!dc->IsMemory()) return nullptr;
      if (object != dc->bitmap && !winapi::IsStockObject(object) && found->selectCount > 0) return nullptr;
      slot = &dc->bitmap;
      break;
    case winapi::ObjectKind::DeviceContext:
      return nullptr;
  }
  HGDIOBJ previous = *slot;
  winapi::Hold(object);
  winapi::Release(previous);
  *slot = object;
  return previous;
}

BOOL WINAPI SetViewportOrgEx(HDC handle, int x, int y, LPPOINT previous) {
  DeviceContext* dc = FindDC(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->viewportOrg;
  dc->viewportOrg = {x, y};
  return TRUE;
}

COLORREF WINAPI SetTextColor(HDC handle, COLORREF color) {
  DeviceContext* dc = FindDC(handle);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->textColor, color & 0xFFFFFF);
}

COLORREF WINAPI SetBkColor(HDC handle, COLORREF color) {
  DeviceContext* dc = FindDC(handle);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->bkColor, color & 0xFFFFFF);
}

int WINAPI SetBkMode(HDC handle, int mode) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
  return std::exchange(dc->bkMode, mode);
}

BOOL WINAPI BitBlt(HDC destHandle, int x, int y, int width, int height, HDC sourceHandle, int sourceX,
                   int sourceY, DWORD rop) {
  return winapi::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    DeviceContext* dest = FindDC(destHandle);
    DeviceContext* source = FindDC(sourceHandle);
    if (!dest || !source || rop != SRCCOPY) return FALSE;
    winapi::Surface* to = dest->Target();
    winapi::Surface* from = source->Target();
    if (!to || !from) return FALSE;
    if (width <= 0 || height <= 0 || !winapi::PixelOutput()) return TRUE;
    const POINT destOrigin = dest->ToDevice(x, y);
    const POINT sourceOrigin = source->ToDevice(sourceX, sourceY);
    // Only pixels that exist on both sides are copied; the rest of the destination stays.
    const int left = std::max({0, static_cast<int>(-destOrigin.x), static_cast<int>(-sourceOrigin.x)});
    const int top = std::max({0, static_cast<int>(-destOrigin.y), static_cast<int>(-sourceOrigin.y)});
    const int right = std::min({width, to->width - static_cast<int>(destOrigin.x),
                                from->width - static_cast<int>(sourceOrigin.x)});
    const int bottom = std::min({height, to->height - static_cast<int>(destOrigin.y),
                                 from->height - static_cast<int>(sourceOrigin.y)});
    if (left >= right || top >= bottom) return TRUE;
    // Copy rows through a buffer: source and destination may be the same surface.
    std::vector<uint32_t> row(static_cast<size_t>(right - left));
    const bool downwards = !(to == from && destOrigin.y > sourceOrigin.y);
    for (int i = 0; i < bottom - top; ++i) {
      const int r = downwards ? top + i : bottom - 1 - i;
      const uint32_t* src = from->Row(sourceOrigin.y + r) + sourceOrigin.x + left;
      std::copy(src, src + row.size(), row.begin());
      std::copy(row.begin(), row.end(), to->Row(destOrigin.y + r) + destOrigin.x + left);
    }
    ++to->generation;
    return TRUE;
  });
}
