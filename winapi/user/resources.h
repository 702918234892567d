// The module's resources: the bytes of the compiled resource script (.res) that the
// program embeds, looked up by type and integer identifier as FindResource does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace winapi {

constexpr uint16_t kResourceTypeMenu = 4;  // RT_MENU

// The bytes of the compiled resource script (.res) that menus are loaded from.
// The data must outlive every window.
void SetModuleResources(const void* data, std::size_t size);

// The data of the first resource of the given type and identifier, empty when there is none.
std::span<const uint8_t> FindResourceData(uint16_t type, uint16_t id);

// Same, in a given .res image: split out so that malformed images can be tested.
std::span<const uint8_t> FindResourceIn(std::span<const uint8_t> image, uint16_t type, uint16_t id);

}  // namespace winapi
