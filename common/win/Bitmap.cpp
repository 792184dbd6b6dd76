// DIB sections for drawing into memory.
#include "Tavo_Common.h"

#include <windows.h>

#include <climits>
#include <cstring>

extern "C" HBITMAP CreateHBitmap(void** bits, int w, int h, int bpp, void* section, DWORD offset) {
    if (bits) *bits = nullptr;
    if (w <= 0 || h == 0 || h == INT_MIN) return nullptr;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
    const long long rows = h < 0 ? -static_cast<long long>(h) : h;
    const long long stride = ((static_cast<long long>(w) * bpp + 31) / 32) * 4;
    if (stride * rows > (1LL << 31)) return nullptr;
    // Header plus room for the 256-entry colour table of the paletted formats.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info;
    std::memset(&info, 0, sizeof info);
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = w;
    info.header.biHeight = h > 0 ? -h : static_cast<LONG>(rows);  // negative height: top-down rows
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bpp);
    info.header.biCompression = BI_RGB;
    if (bpp <= 8) {
        // A grey ramp: paletted bitmaps here hold grey levels.
        const int entries = 1 << bpp;
        info.header.biClrUsed = static_cast<DWORD>(entries);
        for (int i = 0; i < entries; ++i) {
            const BYTE level = static_cast<BYTE>(i * 255 / (entries - 1));
            info.colours[i] = RGBQUAD{level, level, level, 0};
        }
    }
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels,
                                      static_cast<HANDLE>(section), offset);
    if (bitmap == nullptr) return nullptr;
    if (bits) *bits = pixels;
    return bitmap;
}
