// The Win32 subset the program calls, for Linux. Declares only what the program uses;
// the names, types and values are those of the Windows SDK.
#pragma once

#include "windef.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
