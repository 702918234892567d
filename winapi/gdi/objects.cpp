#include "gdi/objects.h"

#include <array>

#include "boundary.h"

namespace winapi {
namespace {

constexpr uintptr_t kStockBase = 0x100;
constexpr uintptr_t kHandleStep = 4;
// GetStockObject indices run up to NULL_PEN; the default bitmap sits where Wine keeps it,
// past the public indices, so that no GetStockObject call reaches it.
constexpr int kDefaultBitmapIndex = 21;
constexpr int kStockCount = kDefaultBitmapIndex + 1;

ObjectTable& Table() { return GdiObjects(); }

uintptr_t StockHandle(int index) { return kStockBase + kHandleStep * static_cast<uintptr_t>(index); }

// Stock objects by their GetStockObject index; the gaps are objects the program never asks
// for. They live in static storage, not on the heap: any handle lookup may be the first to
// reach them, and a lookup cannot fail for want of memory.
const std::array<GdiObject*, kStockCount>& StockObjects() {
  static Brush whiteBrush(Brush::Style::Solid, RGB(255, 255, 255));
  static Brush blackBrush(Brush::Style::Solid, RGB(0, 0, 0));
  static Brush nullBrush(Brush::Style::Null, 0);
  static Pen blackPen(false, RGB(0, 0, 0));
  static Pen nullPen(true, 0);
  static Bitmap defaultBitmap(1, 1);
  static const auto stock = [] {
    std::array<GdiObject*, kStockCount> objects{};
    objects[WHITE_BRUSH] = &whiteBrush;
    objects[BLACK_BRUSH] = &blackBrush;
    objects[NULL_BRUSH] = &nullBrush;
    objects[BLACK_PEN] = &blackPen;
    objects[NULL_PEN] = &nullPen;
    objects[kDefaultBitmapIndex] = &defaultBitmap;
    return objects;
  }();
  return stock;
}

int StockIndex(const void* handle) {
  const auto value = reinterpret_cast<uintptr_t>(handle);
  if (value < kStockBase || (value - kStockBase) % kHandleStep != 0) return -1;
  const uintptr_t index = (value - kStockBase) / kHandleStep;
  if (index >= kStockCount || !StockObjects()[index]) return -1;
  return static_cast<int>(index);
}

}  // namespace

ObjectTable& GdiObjects() {
  static ObjectTable table;
  return table;
}

void* AddObject(std::unique_ptr<GdiObject> object) {
  ObjectTable& table = Table();
  const uintptr_t handle = table.nextHandle;
  table.nextHandle += kHandleStep;
  table.live.emplace(handle, std::move(object));
  return reinterpret_cast<void*>(handle);
}

GdiObject* FindObject(const void* handle) {
  if (const int index = StockIndex(handle); index >= 0) return StockObjects()[index];
  ObjectTable& table = Table();
  const auto found = table.live.find(reinterpret_cast<uintptr_t>(handle));
  return found == table.live.end() ? nullptr : found->second.get();
}

bool IsStockObject(const void* handle) { return StockIndex(handle) >= 0; }

bool RemoveObject(const void* handle) {
  return Table().live.erase(reinterpret_cast<uintptr_t>(handle)) == 1;
}

HBITMAP DefaultBitmap() { return reinterpret_cast<HBITMAP>(StockHandle(kDefaultBitmapIndex)); }

}  // namespace winapi

HGDIOBJ WINAPI GetStockObject(int object) {
  if (object < 0 || object > NULL_PEN || !winapi::StockObjects()[object]) return nullptr;
  return reinterpret_cast<HGDIOBJ>(winapi::StockHandle(object));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  return winapi::Guarded<HBRUSH>(nullptr, [&] {
    return static_cast<HBRUSH>(
        winapi::AddObject(std::make_unique<winapi::Brush>(winapi::Brush::Style::Solid, color & 0xFFFFFF)));
  });
}

HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  return winapi::Guarded<HBRUSH>(nullptr, [&] {
    return static_cast<HBRUSH>(winapi::AddObject(
        std::make_unique<winapi::Brush>(winapi::Brush::Style::Hatch, color & 0xFFFFFF, hatch)));
  });
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  // Stock objects are never deleted; Windows answers TRUE and keeps them.
  if (winapi::IsStockObject(object)) return TRUE;
  const winapi::GdiObject* found = winapi::FindObject(object);
  // A device context goes with DeleteDC. An object still selected into a device context
  // is refused, as documented, so that deleting it too early shows up as a leak.
  if (!found || found->kind == winapi::ObjectKind::DeviceContext || found->selectCount > 0) return FALSE;
  return winapi::RemoveObject(object) ? TRUE : FALSE;
}
