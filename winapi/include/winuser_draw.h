// The USER32 calls that only draw into a device context: FillRect, DrawTextA, wsprintfA.
#pragma once

#include "windef.h"

#ifndef WINAPIV
#define WINAPIV
#endif

#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_SINGLELINE 0x00000020
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int WINAPI DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);
// Formats into buffer, which Windows never fills beyond 1024 bytes.
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);
