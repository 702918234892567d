// The edge between the Win32 calls and their callers. To a caller every call is a C
// function: a C++ exception leaving one would end the process, and a caller written in C
// could not even catch it. So the work of a call that takes memory runs through Guarded,
// which answers the call's own failure value (NULL, 0 or FALSE, as Windows answers when it
// cannot get memory) if memory runs out or a size is beyond what a container can hold.
// The work must be the layer's own: a window procedure's exceptions belong to the program
// and are never run through here.
#pragma once

#include <new>
#include <stdexcept>
#include <utility>

namespace winapi {

template <typename Result, typename Work>
Result Guarded(Result failure, Work&& work) noexcept {
  try {
    return std::forward<Work>(work)();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return failure;
}

}  // namespace winapi
