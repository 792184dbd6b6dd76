// Handles as a program built with the platform's own compiler sees them:
// the virtual table in that compiler's order and the fields where its
// inline wrapper reads them.
#include "ImageHandle.h"
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace imgtest;

namespace {

template <typename Field>
Field FieldAt(const void* handle, size_t offset) {
    Field value;
    std::memcpy(&value, static_cast<const char*>(handle) + offset, sizeof value);
    return value;
}

}  // namespace

TEST(ImageHandles, CloneAndDeleteThroughTheTableGiveAnIndependentCopyAndFreeTheHandle) {
    const long before = imagehelper::LiveHandleCount();
    Gdiplus::Bitmap* original = Gdiplus_CreateColorBmp(6, 4, kRed);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(imagehelper::LiveHandleCount(), before + 1);

    auto* clone = static_cast<Gdiplus::Bitmap*>(CallerClone(original));
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(clone, original);
    EXPECT_EQ(TableOf(clone), TableOf(original));  // a clone is a handle like any other
    EXPECT_EQ(imagehelper::LiveHandleCount(), before + 2);

    {
        Gdiplus::Graphics graphics(original);
        Gdiplus::SolidBrush green{Gdiplus::Color(kGreen)};
        graphics.FillRectangle(&green, 0, 0, 6, 4);
    }
    EXPECT_PIXEL(original, 0, 0, kGreen);
    EXPECT_PIXEL(clone, 0, 0, kRed);

    EXPECT_EQ(CallerDelete(original), original);
    EXPECT_EQ(imagehelper::LiveHandleCount(), before + 1);

    // The clone outlives its original and goes through the library as usual.
    EXPECT_EQ(clone->GetWidth(), 6u);
    {
        BitmapPtr copy(Gdiplus_StretchBitmap(clone, 3, 2));
        ASSERT_TRUE(copy);
        EXPECT_PIXEL(copy.get(), 2, 1, kRed);
    }
    CallerDelete(clone);
    EXPECT_EQ(imagehelper::LiveHandleCount(), before);

    // A plain wrapper made with the SDK's new is no handle of ours, but
    // Gdiplus_DeleteBitmap frees it all the same.
    Gdiplus_DeleteBitmap(new Gdiplus::Bitmap(2, 2, PixelFormat32bppARGB));
    EXPECT_EQ(imagehelper::LiveHandleCount(), before);

    // Without flag 1 slot 0 only disposes of the picture: the memory stays
    // the caller's to give back.
    Gdiplus::Bitmap* kept = Gdiplus_CreateBitmap(2, 2, PixelFormat32bppARGB);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(CallerDestroy(kept, 0), kept);
    EXPECT_EQ(imagehelper::LiveHandleCount(), before + 1);
    Gdiplus::DllExports::GdipFree(kept);
}

TEST(ImageHandles, NativeImageAndStatusLieWhereThePlatformCompilersWrapperReadsThem) {
    BitmapPtr image(Gdiplus_CreateBitmap(7, 3, PixelFormat32bppARGB));
    ASSERT_TRUE(image);
    UINT width = 0;
    ASSERT_EQ(Gdiplus::DllExports::GdipGetImageWidth(FieldAt<Gdiplus::GpImage*>(image.get(), 8), &width), Gdiplus::Ok);
    EXPECT_EQ(width, 7u);

    ASSERT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), L"Z:\\no such folder\\x.png"), 0);
    const auto stored = FieldAt<Gdiplus::Status>(image.get(), 16);
    EXPECT_NE(stored, Gdiplus::Ok);
    EXPECT_EQ(Gdiplus_BitmapLastError(image.get()), stored);
}
