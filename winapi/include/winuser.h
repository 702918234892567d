// USER32: windows, messages, menus, message boxes, rectangles.
#pragma once

#include "windef.h"
