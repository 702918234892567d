// KERNEL32 timing on Linux: Sleep and GetTickCount ask the clock in use, the system's
// unless another was plugged in (backend.h).
// <chrono> cannot be used here: its micro suffix has no code page 932 form, so it
// fails to compile with the build's execution character set.
#include <time.h>

#include <cerrno>

#include "backend.h"

namespace winapi {
namespace {

class MonotonicClock final : public Clock {
 public:
  void Sleep(DWORD milliseconds) override {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
    }
  }

  DWORD TickCount() override {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Truncation to 32 bits gives the same wrap-around as on Windows.
    const unsigned long long ms = static_cast<unsigned long long>(now.tv_sec) * 1000ULL + now.tv_nsec / 1000000;
    return static_cast<DWORD>(ms);
  }
};

Clock* clockInUse = nullptr;

Clock& CurrentClock() { return clockInUse ? *clockInUse : SystemClock(); }

}  // namespace

Clock& SystemClock() {
  static MonotonicClock clock;
  return clock;
}

void UseClock(Clock* clock) { clockInUse = clock; }

}  // namespace winapi

void WINAPI Sleep(DWORD dwMilliseconds) { winapi::CurrentClock().Sleep(dwMilliseconds); }

DWORD WINAPI GetTickCount(void) { return winapi::CurrentClock().TickCount(); }
