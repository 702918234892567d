// The USER32 calls that only draw into a device context: FillRect, DrawTextA, wsprintfA.
#pragma once

#include "windef.h"
