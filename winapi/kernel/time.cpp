// KERNEL32 timing on Linux: a monotonic clock and a sleep that tests can record instead.
// <chrono> cannot be used here: its micro suffix has no code page 932 form, so it
// fails to compile with the build's execution character set.
#include <time.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "kernel_layer.h"
#include "winbase.h"

namespace {

std::mutex sleepMutex;
bool recordSleeps = false;
std::vector<DWORD> recordedSleeps;
// Read by every GetTickCount (each message's time too), so no lock on that path.
std::atomic<bool> ticksFixed = false;
std::atomic<DWORD> fixedTicks = 0;

}  // namespace

void WINAPI Sleep(DWORD dwMilliseconds) {
  {
    std::lock_guard lock(sleepMutex);
    if (recordSleeps) {
      recordedSleeps.push_back(dwMilliseconds);
      return;
    }
  }
  timespec remaining{static_cast<time_t>(dwMilliseconds / 1000), static_cast<long>(dwMilliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}

DWORD WINAPI GetTickCount(void) {
  if (ticksFixed) return fixedTicks;
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Truncation to 32 bits gives the same wrap-around as on Windows.
  const unsigned long long ms = static_cast<unsigned long long>(now.tv_sec) * 1000ULL + now.tv_nsec / 1000000;
  return static_cast<DWORD>(ms);
}

namespace winapi {

void SetSleepRecording(bool on) {
  std::lock_guard lock(sleepMutex);
  recordSleeps = on;
  recordedSleeps.clear();
}

std::vector<DWORD> TakeRecordedSleeps() {
  std::lock_guard lock(sleepMutex);
  std::vector<DWORD> taken;
  taken.swap(recordedSleeps);
  return taken;
}

void FixTickCount(std::optional<DWORD> ticks) {
  fixedTicks = ticks.value_or(0);
  ticksFixed = ticks.has_value();
}

}  // namespace winapi
