// The test library's clock (backend.h's Clock): lets tests run code that pauses without
// waiting for real time to pass, and choose the time that code reads.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace winapi {

// While on, Sleep returns at once and keeps the requested duration instead of
// waiting. Turning it on or off forgets what was kept.
void SetSleepRecording(bool on);

// The durations passed to Sleep since recording was turned on or last taken, oldest
// first; empties the record.
std::vector<DWORD> TakeRecordedSleeps();

// While set, GetTickCount returns this value instead of reading the clock; nullopt
// goes back to the clock.
void FixTickCount(std::optional<DWORD> ticks);

}  // namespace winapi
