// Basic Win32-compatible types for code that must also build on the host.
// On Windows the real definitions are used; on the host, layout-identical
// stand-ins (LONG and DWORD are 32 bits on both).
#pragma once

#ifdef _WIN32
#include <windef.h>
#include <wingdi.h>  // RGB and its parts, as on the host
#else
#include <cstdint>

typedef int BOOL;
typedef int32_t LONG;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef uint32_t COLORREF;
typedef uint8_t BYTE;
typedef uint16_t WORD;

struct RECT {
    LONG left, top, right, bottom;
};
struct POINT {
    LONG x, y;
};
struct SIZE {
    LONG cx, cy;
};

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef RGB
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#endif
#endif
