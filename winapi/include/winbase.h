// KERNEL32: timing.
#pragma once

#include "windef.h"

// Blocks the calling thread for the given number of milliseconds.
void WINAPI Sleep(DWORD dwMilliseconds);

// Milliseconds since an arbitrary start, from a monotonic clock; wraps after about 49.7 days.
DWORD WINAPI GetTickCount(void);
