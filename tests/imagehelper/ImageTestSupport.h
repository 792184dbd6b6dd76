// Shared helpers of the image helper tests: images with known pixels, pixel
// reads, a scratch folder for files.
#pragma once

#include "GdiplusHelper.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace imgtest {

struct BitmapDeleter {
    void operator()(Gdiplus::Bitmap* b) const { Gdiplus_DeleteBitmap(b); }
};
using BitmapPtr = std::unique_ptr<Gdiplus::Bitmap, BitmapDeleter>;

constexpr DWORD kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

// A 32-bit ARGB image filled with colour.
BitmapPtr Solid(int w, int h, DWORD argb);
// A 32-bit ARGB image whose pixel (x, y) is colourAt(x, y).
template <typename F>
BitmapPtr Painted(int w, int h, F colourAt) {
    BitmapPtr image(Gdiplus_CreateBitmap(w, h, PixelFormat32bppARGB));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image->SetPixel(x, y, Gdiplus::Color(colourAt(x, y)));
    return image;
}

DWORD PixelAt(Gdiplus::Bitmap* image, int x, int y);
bool Near(DWORD actual, DWORD expected, int tolerance = 2);

// Unique empty folder, removed with its files at destruction.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::wstring Path(const std::wstring& name) const { return m_path + L"\\" + name; }
    const std::wstring& Root() const { return m_path; }

private:
    std::wstring m_path;
};

// A handle as a caller built with the platform's own compiler uses it: its
// first word points at the table; `delete p` calls slot 0 with flags 1 and
// p->Clone() calls slot 1. Such member calls pass `this` in rcx and the
// flags in rdx, as these plain x64 function pointers do.
inline void* const* TableOf(void* handle) { return *static_cast<void* const* const*>(handle); }
inline void* CallerClone(void* handle) {
    using CloneSlot = void* (*)(void* self);
    return reinterpret_cast<CloneSlot>(TableOf(handle)[1])(handle);
}
inline void* CallerDestroy(void* handle, unsigned int flags) {
    using ScalarDeletingDestructor = void* (*)(void* self, unsigned int flags);
    return reinterpret_cast<ScalarDeletingDestructor>(TableOf(handle)[0])(handle, flags);
}
inline void* CallerDelete(void* handle) { return CallerDestroy(handle, 1); }

std::vector<unsigned char> ReadBytes(const std::wstring& path);
std::string Ansi(const std::wstring& s);

}  // namespace imgtest

#define EXPECT_PIXEL(image, x, y, argb) \
    EXPECT_PRED3(::imgtest::Near, ::imgtest::PixelAt(image, x, y), argb, 2) << "at (" << (x) << ", " << (y) << ")"
