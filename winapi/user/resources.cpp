// A .res file is a sequence of entries, each a header followed by its data, both padded
// to four bytes. The header holds the data size, the header size, the type and the name
// (each either 0xFFFF and a 16-bit number, or a NUL-terminated UTF-16 string), then
// version, flags and language. The first entry is an empty one that marks the format.
#include "user/resources.h"

namespace winapi {
namespace {

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t ReadU16(std::span<const uint8_t> bytes, size_t at) { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); }

// Reads a type or name field at `at` within a header of `size` bytes. Sets `number` to
// the identifier for a numbered one, or to -1 for a named one, and returns the offset
// after the field; 0 when the field runs past the header.
size_t ReadNameOrId(std::span<const uint8_t> header, size_t at, long& number) {
  if (at + 2 > header.size()) return 0;
  if (ReadU16(header, at) == 0xFFFF) {
    if (at + 4 > header.size()) return 0;
    number = ReadU16(header, at + 2);
    return at + 4;
  }
  number = -1;
  for (; at + 2 <= header.size(); at += 2)
    if (ReadU16(header, at) == 0) return at + 2;
  return 0;
}

}  // namespace

std::span<const uint8_t> FindResourceData(uint16_t type, uint16_t id) {
  if (!winapi_module_resources) return {};
  return FindResourceIn({winapi_module_resources, winapi_module_resources_size}, type, id);
}

std::span<const uint8_t> FindResourceIn(std::span<const uint8_t> image, uint16_t type, uint16_t id) {
  size_t at = 0;
  while (at + 8 <= image.size()) {
    const uint32_t dataSize = ReadU32(image, at);
    const uint32_t headerSize = ReadU32(image, at + 4);
    if (headerSize < 8 || headerSize > image.size() - at || dataSize > image.size() - at - headerSize) break;
    const std::span<const uint8_t> header = image.subspan(at, headerSize);
    long entryType = -1, entryName = -1;
    const size_t afterType = ReadNameOrId(header, 8, entryType);
    const size_t afterName = afterType ? ReadNameOrId(header, afterType, entryName) : 0;
    if (afterName && entryType == type && entryName == id) return image.subspan(at + headerSize, dataSize);
    const size_t next = at + headerSize + ((dataSize + 3u) & ~3u);
    if (next <= at) break;
    at = next;
  }
  return {};
}

}  // namespace winapi
