// A .res file is a sequence of entries, each a header followed by its data, both padded
// to four bytes. The header holds the data size, the header size, the type and the name
// (each either 0xFFFF and a 16-bit number, or a NUL-terminated UTF-16 string), then
// version, flags and language. The first entry is an empty one that marks the format.
#include "user/resources.h"

#include <optional>

namespace winapi {
namespace {

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t ReadU16(std::span<const uint8_t> bytes, size_t at) { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); }

// The number of a numbered type or name field at `at` within a header; none for a named
// one, which no lookup by number can match, or for a field that runs past the header.
// A named type is followed by a name at an offset the string decides, so an entry of a
// named type is passed over without reading its name.
std::optional<uint16_t> NumberAt(std::span<const uint8_t> header, size_t at) {
  if (at + 4 > header.size() || ReadU16(header, at) != 0xFFFF) return std::nullopt;
  return ReadU16(header, at + 2);
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
    if (NumberAt(header, 8) == type && NumberAt(header, 12) == id) return image.subspan(at + headerSize, dataSize);
    const size_t next = at + headerSize + ((dataSize + 3u) & ~3u);
    if (next <= at) break;
    at = next;
  }
  return {};
}

}  // namespace winapi
