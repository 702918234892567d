// USER32: windows, messages, menus, message boxes.
#pragma once

#include "windef.h"
#include "winuser_draw.h"
