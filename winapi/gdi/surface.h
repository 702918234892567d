// Pixel surfaces: what device contexts draw into (bitmaps, windows' client areas) and what
// tests get back as pictures of them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace winapi {

// Pixel memory from calloc: a block of a window's size comes straight from the kernel
// already zero. A value-initialised element is therefore left as calloc gave it, which is
// only right for memory fresh from allocate: Surface sizes its pixels once, from empty.
template <typename T>
struct ZeroedAllocator {
  using value_type = T;
  ZeroedAllocator() = default;
  template <typename U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}
  T* allocate(std::size_t n) {
    if (void* memory = std::calloc(n, sizeof(T))) return static_cast<T*>(memory);
    throw std::bad_alloc();
  }
  void deallocate(T* memory, std::size_t) { std::free(memory); }
  template <typename U>
  void construct(U*) noexcept {}
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
  friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator&) { return true; }
};

using PixelVector = std::vector<uint32_t, ZeroedAllocator<uint32_t>>;

// 32-bit pixels 0x00RRGGBB, rows top to bottom, as a top-down DIB section; black at first.
// The memory is taken when the pixels are first written or read, so a window that is never
// drawn on costs nothing. (A bitmap takes its pixels when it is made, as calloc's zero pages.)
struct Surface {
  int width = 0;
  int height = 0;
  // Empty until first used: go through Row or AllPixels.
  mutable PixelVector pixels;
  // Advances on every change of the pixels, so that a window knows when to show them again.
  uint64_t generation = 0;

  Surface() = default;
  Surface(int width, int height, uint32_t fill = 0) : width(width), height(height) {
    if (fill != 0) AllPixels().assign(AllPixels().size(), fill);
  }
  PixelVector& AllPixels() const {
    if (pixels.empty()) pixels.resize(static_cast<std::size_t>(width) * height);
    return pixels;
  }
  uint32_t* Row(int y) { return AllPixels().data() + static_cast<std::size_t>(y) * width; }
  const uint32_t* Row(int y) const { return AllPixels().data() + static_cast<std::size_t>(y) * width; }
  uint32_t At(int x, int y) const { return Row(y)[x]; }
  // The same picture, however often either was drawn on.
  friend bool operator==(const Surface& a, const Surface& b) {
    return a.width == b.width && a.height == b.height && a.AllPixels() == b.AllPixels();
  }
};

// COLORREF (0x00BBGGRR) as a surface pixel.
constexpr uint32_t PixelOf(COLORREF color) {
  return (static_cast<uint32_t>(GetRValue(color)) << 16) | (static_cast<uint32_t>(GetGValue(color)) << 8) |
         GetBValue(color);
}

// What DeleteDC does with a surface DC is its owner's to say: the function is told of the
// call and answers whether the DC goes (the owner has forgotten it then) or stays.
using SurfaceDCDeleted = bool (*)(HDC dc);

// A device context drawing into a surface it does not own (a window's client area);
// what GetDC hands out. Released with ReleaseSurfaceDC. DeleteDC refuses it unless it was
// made with onDelete, and then succeeds, taking it away only when onDelete says so.
HDC CreateSurfaceDC(Surface* surface, SurfaceDCDeleted onDelete = nullptr);
void ReleaseSurfaceDC(HDC dc);

}  // namespace winapi
