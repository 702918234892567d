// Extras of the Linux Win32 layer that the Windows API has no word for:
// bookkeeping and switches for tests and tools. Game code never includes this.
#pragma once

#include <cstddef>

namespace winapi {

// GDI objects and device contexts created and not yet deleted (stock objects never count).
std::size_t LiveGdiObjectCount();

}  // namespace winapi
