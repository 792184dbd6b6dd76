// Scoped locks of GDI+ images and global memory the image helpers use, and
// the one way new image handles are made. The owners of the handles
// themselves are those of handles/.
#pragma once

#include "GdiplusHelper.h"
#include "ImageHandle.h"
#include "core/ImageCore.h"
#include "handles/ScopedDC.h"
#include "handles/UniqueHandle.h"

#include <new>
#include <utility>

namespace imagehelper {

// Allocates the wrapper through GDI+'s allocator (as the SDK's own operator new
// does), lets GDI+ make the native image, and keeps the result as a handle
// (ImageHandle.h) only when its status is Ok.
template <typename... Args>
Gdiplus::Bitmap* NewBitmap(Args&&... args) {
    void* memory = Gdiplus::DllExports::GdipAlloc(sizeof(Gdiplus::Bitmap));
    if (memory == nullptr) return nullptr;
    return FinishHandle(::new (memory) Gdiplus::Bitmap(std::forward<Args>(args)...));
}

// A new image with GDI+-owned pixels, transparent black.
inline Gdiplus::Bitmap* NewImage(int width, int height, Gdiplus::PixelFormat format = PixelFormat32bppARGB) {
    return NewBitmap(width, height, 0, format, static_cast<BYTE*>(nullptr));
}

// Width and height through the wrapper, so failures reach the image's status.
inline imagecore::Box ImageBox(Gdiplus::Bitmap* image) {
    return imagecore::Box{0, 0, static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight())};
}

inline imagecore::Box BoxOf(const RECT& r) { return imagecore::Box{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

inline Gdiplus::Rect RectOf(const imagecore::Box& b) { return Gdiplus::Rect(b.x, b.y, b.w, b.h); }

// Pixels of an image locked for direct access; unlocked (and written back
// for writing locks) when the owner goes. Statuses go to the image.
class BitmapBits {
public:
    BitmapBits(Gdiplus::Bitmap* image, const imagecore::Box& box, UINT mode, Gdiplus::PixelFormat format)
        : m_pImage(image) {
        const Gdiplus::Rect rect = RectOf(box);
        m_bLocked = image->LockBits(&rect, mode, format, &m_data) == Gdiplus::Ok;
    }
    ~BitmapBits() {
        if (m_bLocked) m_pImage->UnlockBits(&m_data);
    }
    BitmapBits(const BitmapBits&) = delete;
    BitmapBits& operator=(const BitmapBits&) = delete;

    bool Locked() const { return m_bLocked; }
    int Width() const { return static_cast<int>(m_data.Width); }
    int Height() const { return static_cast<int>(m_data.Height); }
    BYTE* Row(int y) const { return static_cast<BYTE*>(m_data.Scan0) + static_cast<ptrdiff_t>(y) * m_data.Stride; }

private:
    Gdiplus::Bitmap* m_pImage;
    Gdiplus::BitmapData m_data{};
    bool m_bLocked = false;
};

// Makes a movable global block bigger; false (the block as it was) when it cannot.
inline bool GrowGlobal(UniqueGlobalMemory& block, SIZE_T bytes) {
    HGLOBAL grown = GlobalReAlloc(block.Get(), bytes, GMEM_MOVEABLE);
    if (grown == nullptr) return false;
    block.Release();  // the old handle is no more once the block has moved
    block.Reset(grown);
    return true;
}

// Holds a global block locked.
class GlobalPointer {
public:
    explicit GlobalPointer(HGLOBAL block) : m_hMem(block), m_pData(block ? GlobalLock(block) : nullptr) {}
    ~GlobalPointer() {
        if (m_pData) GlobalUnlock(m_hMem);
    }
    GlobalPointer(const GlobalPointer&) = delete;
    GlobalPointer& operator=(const GlobalPointer&) = delete;
    void* Get() const { return m_pData; }

private:
    HGLOBAL m_hMem;
    void* m_pData;
};

}  // namespace imagehelper
