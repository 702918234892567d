// The table of GDI objects behind the handles the layer hands out.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "gdi/surface.h"

namespace winapi {

enum class ObjectKind { Pen, Brush, Bitmap, DeviceContext };

struct GdiObject {
  explicit GdiObject(ObjectKind kind) : kind(kind) {}
  virtual ~GdiObject() = default;
  const ObjectKind kind;
  // How many device contexts hold this object selected; such an object cannot be deleted.
  int selectCount = 0;
};

struct Brush final : GdiObject {
  enum class Style { Solid, Hatch, Null };
  Brush(Style style, COLORREF color, int hatch = 0)
      : GdiObject(ObjectKind::Brush), style(style), color(color), hatch(hatch) {}
  Style style;
  COLORREF color;
  int hatch;  // HS_* when style is Hatch
};

struct Pen final : GdiObject {
  Pen(bool null, COLORREF color) : GdiObject(ObjectKind::Pen), null(null), color(color) {}
  bool null;  // draws nothing
  COLORREF color;
};

// A device-independent 32-bit bitmap: the only kind the layer makes.
struct Bitmap final : GdiObject {
  Bitmap(int width, int height) : GdiObject(ObjectKind::Bitmap), surface(width, height) {}
  Surface surface;
};

// The objects created and not yet deleted, by handle (stock objects are not among them).
struct ObjectTable {
  std::unordered_map<uintptr_t, std::unique_ptr<GdiObject>> live;
  uintptr_t nextHandle = 0x10000;
};
ObjectTable& GdiObjects();

// Takes ownership and returns a fresh handle; handle values are never reused,
// so a stale handle is recognised as unknown instead of reaching another object.
void* AddObject(std::unique_ptr<GdiObject> object);

// The object behind a live or stock handle, null for anything else.
GdiObject* FindObject(const void* handle);

template <typename T>
T* FindObjectAs(const void* handle, ObjectKind kind) {
  GdiObject* object = FindObject(handle);
  return object && object->kind == kind ? static_cast<T*>(object) : nullptr;
}

bool IsStockObject(const void* handle);

// Destroys a created object; stock and unknown handles are refused.
bool RemoveObject(const void* handle);

// The 1x1 bitmap every new memory device context starts with (Windows' DEFAULT_BITMAP).
HBITMAP DefaultBitmap();

}  // namespace winapi
