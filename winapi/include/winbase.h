// KERNEL32: timing.
#pragma once

#include "windef.h"
