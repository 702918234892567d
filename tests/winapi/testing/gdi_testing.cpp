// What GDI drew and keeps, read from the layer's own tables.
#include "gdi_testing.h"

#include "gdi/dc.h"

namespace winapi {

Surface CopyDCPixels(HDC handle) {
  const DeviceContext* dc = FindDC(handle);
  const Surface* surface = dc ? dc->Target() : nullptr;
  if (!surface) return {};
  Surface copy = *surface;
  copy.AllPixels();  // full, so that a test may read the pixels directly
  return copy;
}

std::size_t LiveGdiObjectCount() { return GdiObjects().live.size(); }

}  // namespace winapi
