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

constexpr DWORD kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                kBlack = 0xFF000000;

// A 32-bit ARGB image filled with colour.
BitmapPtr Solid(int w, int h, DWORD argb);
// A 32-bit ARGB image whose pixel (x, y) is colourAt(x, y).
template <typename F>
BitmapPtr Painted(int w, int h, F colourAt)
{
    BitmapPtr image(Gdiplus_CreateBitmap(w, h, PixelFormat32bppARGB));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image->SetPixel(x, y, Gdiplus::Color(colourAt(x, y)));
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

std::vector<unsigned char> ReadBytes(const std::wstring& path);
std::string Ansi(const std::wstring& s);

}  // namespace imgtest

#define EXPECT_PIXEL(image, x, y, argb) EXPECT_PRED3(::imgtest::Near, ::imgtest::PixelAt(image, x, y), argb, 2) \
    << "at (" << (x) << ", " << (y) << ")"
