// New images from sizes, colours and other images; scaling, cropping and
// fitting; pixels handed out as an HBITMAP or as raw rows.
#include "ImageOwners.h"
#include "ImportFixup.h"

#include "Tavo_Common.h"

#include <cstring>

using Gdiplus::Bitmap;
using imagecore::Box;
using namespace imagehelper;

namespace {

// Draws from into to on target with GDI+'s default settings. Statuses of the
// draw step are not kept: the result is the image as far as it got drawn.
void DrawStep(Bitmap* target, Bitmap* source, const Box& from, const Box& to) {
    Gdiplus::Graphics graphics(target);
    if (graphics.GetLastStatus() != Gdiplus::Ok)
        return;  // indexed formats have no drawing context: the image stays as created
    graphics.DrawImage(source, RectOf(to), from.x, from.y, from.w, from.h, Gdiplus::UnitPixel);
}

Bitmap* TileImage(Bitmap* source, int width, int height) {
    const Box src = ImageBox(source);
    const int across = imagecore::TilesAcross(width, src.w);
    const int down = imagecore::TilesAcross(height, src.h);
    if (across == 0 || down == 0) return nullptr;
    Bitmap* result = NewImage(width, height);
    if (result == nullptr) return nullptr;
    Gdiplus::Graphics graphics(result);
    if (graphics.GetLastStatus() != Gdiplus::Ok) return result;
    for (int row = 0; row < down; ++row) {
        for (int col = 0; col < across; ++col) {
            // Edge tiles are cut, not scaled: the source's top-left part fills them.
            const Box tile = imagecore::TileBox(src.w, src.h, width, height, row, col);
            const Gdiplus::RectF to(static_cast<Gdiplus::REAL>(tile.x), static_cast<Gdiplus::REAL>(tile.y),
                                    static_cast<Gdiplus::REAL>(tile.w), static_cast<Gdiplus::REAL>(tile.h));
            graphics.DrawImage(source, to, 0.0f, 0.0f, static_cast<Gdiplus::REAL>(tile.w),
                               static_cast<Gdiplus::REAL>(tile.h), Gdiplus::UnitPixel);
        }
    }
    return result;
}

}  // namespace

IMAGEHELPER_API Bitmap* Gdiplus_CreateBitmap(int width, int height, int pixelFormat) {
    EnsureImports();
    return NewImage(width, height, static_cast<Gdiplus::PixelFormat>(pixelFormat));
}

IMAGEHELPER_API Bitmap* Gdiplus_CreateColorBmp(int width, int height, DWORD argb) {
    EnsureImports();
    Bitmap* image = NewImage(width, height);
    if (image == nullptr) return nullptr;
    Gdiplus::Graphics graphics(image);
    Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
    if (graphics.GetLastStatus() == Gdiplus::Ok) graphics.FillRectangle(&brush, 0, 0, width, height);
    return image;
}

IMAGEHELPER_API Bitmap* Gdiplus_CopyBitmap(Bitmap* source) {
    EnsureImports();
    if (source == nullptr) return nullptr;
    return Gdiplus_ModifyBitmapFormat(source, static_cast<int>(source->GetPixelFormat()));
}

IMAGEHELPER_API Bitmap* Gdiplus_ModifyBitmapFormat(Bitmap* source, int pixelFormat) {
    EnsureImports();
    if (source == nullptr) return nullptr;
    const Box box = ImageBox(source);
    Bitmap* copy = NewImage(box.w, box.h, static_cast<Gdiplus::PixelFormat>(pixelFormat));
    if (copy != nullptr) DrawStep(copy, source, box, box);
    return copy;
}

IMAGEHELPER_API Bitmap* Gdiplus_StretchBitmap(Bitmap* source, int width, int height) {
    EnsureImports();
    if (source == nullptr || width < 1 || height < 1) return nullptr;
    const Box from = ImageBox(source);
    Bitmap* result = NewImage(width, height);
    if (result != nullptr) DrawStep(result, source, from, Box{0, 0, width, height});
    return result;
}

IMAGEHELPER_API Bitmap* Gdiplus_ResizeBitmap(Bitmap* source, int width, int height, int mode, DWORD fillArgb) {
    EnsureImports();
    if (source == nullptr || width < 1 || height < 1) return nullptr;
    const Box src = ImageBox(source);
    imagecore::ResizePlan plan;
    if (!imagecore::PlanResize(src.w, src.h, width, height, mode, &plan)) return nullptr;
    Bitmap* result = Gdiplus_CreateColorBmp(plan.outW, plan.outH, fillArgb);
    if (result != nullptr)
        DrawStep(result, source, Box{plan.offsetX, plan.offsetY, src.w, src.h}, Box{0, 0, plan.outW, plan.outH});
    return result;
}

IMAGEHELPER_API Bitmap* Gdiplus_DisposeBitmapByMode(Bitmap* source, int width, int height, int mode, DWORD fillArgb) {
    EnsureImports();
    if (source == nullptr || width < 1 || height < 1) return nullptr;
    switch (mode) {
    case 0: {
        const Box src = ImageBox(source);
        Box crop;
        if (!imagecore::PlanCoverCrop(src.w, src.h, width, height, &crop)) return nullptr;
        const SIZE size{width, height};
        return Gdiplus_GetBitmapFromBitmap(source, crop.x, crop.y, crop.w, crop.h, &size);
    }
    case 1: return Gdiplus_ResizeBitmap(source, width, height, 1, fillArgb);
    case 2: return TileImage(source, width, height);
    case 3: {
        const Box src = ImageBox(source);
        Box from, to;
        imagecore::PlanCentre(src.w, src.h, width, height, &from, &to);
        Bitmap* result = Gdiplus_CreateColorBmp(width, height, fillArgb);
        if (result != nullptr && from.w > 0 && from.h > 0) DrawStep(result, source, from, to);
        return result;
    }
    case 4: return Gdiplus_StretchBitmap(source, width, height);
    default: return nullptr;
    }
}

IMAGEHELPER_API Bitmap* Gdiplus_GetBitmapFromBitmap(Bitmap* source, int x, int y, int width, int height,
                                                    const SIZE* size) {
    EnsureImports();
    if (source == nullptr) return nullptr;
    const int outW = size ? size->cx : width;
    const int outH = size ? size->cy : height;
    Bitmap* result = NewImage(outW, outH);
    if (result != nullptr) DrawStep(result, source, Box{x, y, width, height}, Box{0, 0, outW, outH});
    return result;
}

IMAGEHELPER_API Bitmap* Gdiplus_GetBitmapFromBitmapByRect(Bitmap* source, const RECT* rect, const SIZE* size) {
    EnsureImports();
    if (rect == nullptr) return nullptr;
    return Gdiplus_GetBitmapFromBitmap(source, rect->left, rect->top, rect->right - rect->left,
                                       rect->bottom - rect->top, size);
}

IMAGEHELPER_API HBITMAP Gdiplus_GetHBitmap(Bitmap* source, DWORD backgroundArgb, int negateHeight) {
    EnsureImports();
    if (source == nullptr) return nullptr;
    const Box box = ImageBox(source);
    const int bitsPerPixel = (static_cast<int>(source->GetPixelFormat()) >> 8) & 0xFF;

    WindowDC screen(nullptr);
    UniqueCreatedDC memory = CompatibleDC(screen.Get());
    if (memory.Get() == nullptr) return nullptr;
    UniqueBitmap bitmap(CreateHBitmap(nullptr, box.w, negateHeight ? -box.h : box.h, bitsPerPixel, nullptr, 0));
    if (bitmap.Get() == nullptr) return nullptr;
    {
        SelectionGuard selected(memory.Get(), bitmap.Get());
        // GDI colours are 0x00BBGGRR: swap red and blue, drop alpha.
        const COLORREF background =
            RGB((backgroundArgb >> 16) & 0xFF, (backgroundArgb >> 8) & 0xFF, backgroundArgb & 0xFF);
        UniqueBrush brush(CreateSolidBrush(background));
        const RECT all{0, 0, box.w, box.h};
        FillRect(memory.Get(), &all, brush.Get());
        Gdiplus::Graphics graphics(memory.Get());
        if (graphics.GetLastStatus() == Gdiplus::Ok)
            graphics.DrawImage(source, RectOf(box), 0, 0, box.w, box.h, Gdiplus::UnitPixel);
    }
    return bitmap.Release();
}

IMAGEHELPER_API int Gdiplus_GetBitmapBuffer(Bitmap* source, const RECT* rect, int pixelFormat, void* destination,
                                            int destinationStride) {
    EnsureImports();
    if (source == nullptr || rect == nullptr || destination == nullptr) return 0;
    const Box box = ImageBox(source);
    const RECT bounds{0, 0, box.w, box.h};
    RECT clipped;
    if (!BoundRect(&clipped, rect, &bounds)) return 0;  // nothing of the rectangle lies on the image
    BitmapBits bits(source, BoxOf(clipped), Gdiplus::ImageLockModeRead, static_cast<Gdiplus::PixelFormat>(pixelFormat));
    if (!bits.Locked()) return 0;
    const int bitsPerPixel = (pixelFormat >> 8) & 0xFF;
    const size_t rowBytes = static_cast<size_t>(imagecore::RowBytes(bits.Width(), bitsPerPixel));
    auto* out = static_cast<BYTE*>(destination);
    for (int y = 0; y < bits.Height(); ++y, out += destinationStride) std::memcpy(out, bits.Row(y), rowBytes);
    return 1;
}
