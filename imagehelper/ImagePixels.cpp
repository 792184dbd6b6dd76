// Work on locked pixels: gray copies, alpha band rewrite, regions from alpha.
#include "ImageOwners.h"
#include "ImportFixup.h"

#include <cstdlib>
#include <cstring>
#include <optional>

using Gdiplus::Bitmap;
using imagecore::Box;
using namespace imagehelper;

namespace {

// 256 opaque grays, flagged as a gray-scale palette.
bool SetGrayPalette(Bitmap* image) {
    const size_t bytes = sizeof(Gdiplus::ColorPalette) + 255 * sizeof(Gdiplus::ARGB);
    auto* palette = static_cast<Gdiplus::ColorPalette*>(std::malloc(bytes));
    if (palette == nullptr) return false;
    palette->Flags = Gdiplus::PaletteFlagsGrayScale;
    palette->Count = 256;
    for (UINT i = 0; i < 256; ++i) palette->Entries[i] = 0xFF000000u + i * 0x010101u;
    image->SetPalette(palette);
    std::free(palette);
    return true;
}

void ConvertToGray(const BitmapBits& source, Gdiplus::PixelFormat format, const BitmapBits& gray) {
    const int width = gray.Width();
    for (int y = 0; y < gray.Height(); ++y) {
        switch (format) {
        case PixelFormat24bppRGB: imagecore::GrayRow24(source.Row(y), gray.Row(y), width); break;
        case PixelFormat32bppARGB: imagecore::GrayRow32(source.Row(y), gray.Row(y), width); break;
        // Index values become gray levels, whatever the source's palette held.
        case PixelFormat8bppIndexed: std::memcpy(gray.Row(y), source.Row(y), width); break;
        default: return;  // other formats leave the gray image as created
        }
    }
}

// RGNDATA header and rectangles in a movable global block that grows by 100
// rectangles; every 2000 rectangles become a region, OR-ed into the result.
class RegionBuilder {
public:
    static constexpr DWORD kStep = 100;
    static constexpr DWORD kFlushAt = 2000;

    RegionBuilder() : m_block(GlobalAlloc(GMEM_MOVEABLE, BlockBytes(kStep))), m_capacity(kStep) { Reset(); }

    bool Valid() const { return m_block.Get() != nullptr; }
    bool Failed() const { return m_bFailed; }

    void Add(int x0, int x1, int y) {
        if (m_bFailed) return;
        if (m_count == m_capacity) {
            Unmap();  // a locked block could not move while it grows
            if (!GrowGlobal(m_block, BlockBytes(m_capacity + kStep))) {
                m_bFailed = true;
                return;
            }
            m_capacity += kStep;
        }
        if (m_pRects == nullptr && !Map()) return;
        SetRect(&m_pRects[m_count++], x0, y, x1, y + 1);
        m_bound.left = std::min<LONG>(m_bound.left, x0);
        m_bound.top = std::min<LONG>(m_bound.top, y);
        m_bound.right = std::max<LONG>(m_bound.right, x1);
        m_bound.bottom = std::max<LONG>(m_bound.bottom, y + 1);
        if (m_count == kFlushAt) Flush();
    }

    // Region of everything added; an empty region when nothing was.
    HRGN Finish() {
        Flush();
        if (m_bFailed) return nullptr;
        if (m_region.Get() == nullptr) m_region.Reset(CreateRectRgn(0, 0, 0, 0));
        return m_region.Release();
    }

private:
    static SIZE_T BlockBytes(DWORD rects) { return sizeof(RGNDATAHEADER) + sizeof(RECT) * rects; }

    void Unmap() {
        m_pLocked.reset();
        m_pRects = nullptr;
    }

    bool Map() {
        m_pLocked.emplace(m_block.Get());
        if (m_pLocked->Get() == nullptr) {
            m_bFailed = true;
            return false;
        }
        m_pRects = reinterpret_cast<RECT*>(static_cast<BYTE*>(m_pLocked->Get()) + sizeof(RGNDATAHEADER));
        return true;
    }

    void Reset() {
        m_count = 0;
        m_bound = RECT{0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
    }

    void Flush() {
        if (m_bFailed || (m_count == 0 && m_region.Get() != nullptr)) return;
        if (m_pRects == nullptr && !Map()) return;
        auto* header = static_cast<RGNDATAHEADER*>(m_pLocked->Get());
        header->dwSize = sizeof(RGNDATAHEADER);
        header->iType = RDH_RECTANGLES;
        header->nCount = m_count;
        header->nRgnSize = 0;
        header->rcBound = m_bound;
        const auto bytes = static_cast<DWORD>(BlockBytes(m_capacity));
        UniqueRegion part(ExtCreateRegion(nullptr, bytes, static_cast<RGNDATA*>(m_pLocked->Get())));
        Unmap();
        if (part.Get() == nullptr) {
            if (m_count != 0) m_bFailed = true;
        } else if (m_region.Get() == nullptr) {
            m_region.Reset(part.Release());
        } else if (CombineRgn(m_region.Get(), m_region.Get(), part.Get(), RGN_OR) == ERROR) {
            m_bFailed = true;
        }
        Reset();
    }

    UniqueGlobalMemory m_block;
    std::optional<GlobalPointer> m_pLocked;
    RECT* m_pRects = nullptr;
    DWORD m_capacity;
    DWORD m_count = 0;
    RECT m_bound{};
    UniqueRegion m_region;
    bool m_bFailed = false;
};

}  // namespace

IMAGEHELPER_API Bitmap* Gdiplus_Gray(Bitmap* source) {
    EnsureImports();
    if (source == nullptr) return nullptr;
    const Box box = ImageBox(source);
    Bitmap* gray = NewImage(box.w, box.h, PixelFormat8bppIndexed);
    if (gray == nullptr) return nullptr;
    if (!SetGrayPalette(gray)) return gray;
    const Gdiplus::PixelFormat format = source->GetPixelFormat();
    // Declared in this order so the source is unlocked first, then the gray image.
    BitmapBits grayBits(gray, box, Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed);
    BitmapBits sourceBits(source, box, Gdiplus::ImageLockModeRead, format);
    if (grayBits.Locked() && sourceBits.Locked()) ConvertToGray(sourceBits, format, grayBits);
    return gray;
}

IMAGEHELPER_API void Gdiplus_SetBitmapAlpha(Bitmap* image, const RECT* rect, BYTE alpha, int lowest, int highest) {
    EnsureImports();
    if (image == nullptr) return;
    const Box whole = ImageBox(image);
    const RECT r = rect ? *rect : RECT{0, 0, whole.w, whole.h};
    // Only the part of the rectangle on the image is touched.
    Box part;
    if (!imagecore::ClipEdges(r.left, r.top, r.right, r.bottom, whole.w, whole.h, &part)) return;
    BitmapBits bits(image, part, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB);
    if (!bits.Locked()) return;
    for (int y = 0; y < bits.Height(); ++y)
        imagecore::RewriteAlphaBand(bits.Row(y), bits.Width(), alpha, lowest, highest);
}

IMAGEHELPER_API HRGN Gdiplus_CreateRgnFromBitmap(Bitmap* image, BYTE threshold) {
    EnsureImports();
    if (image == nullptr) return nullptr;
    const Box box = ImageBox(image);
    BitmapBits bits(image, box, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    if (!bits.Locked()) return nullptr;
    RegionBuilder region;
    if (!region.Valid()) return nullptr;
    for (int y = 0; y < bits.Height() && !region.Failed(); ++y)
        imagecore::ForEachAlphaRun(bits.Row(y), bits.Width(), threshold,
                                   [&](int x0, int x1) { region.Add(x0, x1, y); });
    return region.Finish();
}
