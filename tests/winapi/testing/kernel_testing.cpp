// The test library's clock: Sleep recorded instead of waited for, GetTickCount fixed;
// otherwise the system's clock answers.
#include "kernel_testing.h"

#include "backend.h"

namespace winapi {
namespace {

class TestClock final : public Clock {
 public:
  void Sleep(DWORD milliseconds) override {
    if (recording)
      sleeps.push_back(milliseconds);
    else
      SystemClock().Sleep(milliseconds);
  }
  DWORD TickCount() override { return fixedTicks ? *fixedTicks : SystemClock().TickCount(); }

  bool recording = false;
  std::vector<DWORD> sleeps;
  std::optional<DWORD> fixedTicks;
};

TestClock& InUse() {
  static TestClock clock;
  UseClock(&clock);
  return clock;
}

}  // namespace

void SetSleepRecording(bool on) {
  TestClock& clock = InUse();
  clock.recording = on;
  clock.sleeps.clear();
}

std::vector<DWORD> TakeRecordedSleeps() {
  std::vector<DWORD> taken;
  taken.swap(InUse().sleeps);
  return taken;
}

void FixTickCount(std::optional<DWORD> ticks) { InUse().fixedTicks = ticks; }

}  // namespace winapi
