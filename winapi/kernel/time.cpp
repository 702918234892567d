// KERNEL32 timing on Linux: Sleep and GetTickCount ask the clock in use, the system's
// unless another was plugged in (backend.h).
#include <chrono>
#include <thread>

#include "backend.h"

namespace winapi {
namespace {

class MonotonicClock final : public Clock {
 public:
  void Sleep(DWORD milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

  DWORD TickCount() override {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    // Truncation to 32 bits gives the same wrap-around as on Windows.
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
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
