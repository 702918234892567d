// Test switch of the KERNEL32 part of the Linux layer: lets unit tests and the
// headless display run code that pauses without waiting for real time to pass.
#pragma once

#include <vector>

#include "windef.h"

namespace winapi {

// While on, Sleep returns at once and keeps the requested duration instead of
// waiting. Turning it on or off forgets what was kept.
void SetSleepRecording(bool on);

// The durations passed to Sleep since recording was turned on or last taken, oldest
// first; empties the record.
std::vector<DWORD> TakeRecordedSleeps();

}  // namespace winapi
