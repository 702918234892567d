// The module's resources, looked up by type and integer identifier as FindResource does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The module's resource section: the compiled resource script (.res), which the program
// defines under these names (it embeds the bytes at build time), as a Windows module
// carries its resources in its file. Weak: a program without resources has none to find.
extern "C" __attribute__((weak)) const unsigned char winapi_module_resources[];
extern "C" __attribute__((weak)) const std::size_t winapi_module_resources_size;

namespace winapi {

constexpr uint16_t kResourceTypeMenu = 4;  // RT_MENU

// The data of the first resource of the given type and identifier, empty when there is none.
std::span<const uint8_t> FindResourceData(uint16_t type, uint16_t id);

// Same, in a given .res image: split out so that malformed images can be tested.
std::span<const uint8_t> FindResourceIn(std::span<const uint8_t> image, uint16_t type, uint16_t id);

}  // namespace winapi
