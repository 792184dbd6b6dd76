#include "framework/Gdi.h"
#include "handles/ScopedDC.h"
#include "handles/UniqueHandle.h"

#include <gtest/gtest.h>

namespace {

bool IsLiveGdiObject(HGDIOBJ obj) { return ::GetObjectType(obj) != 0; }

TEST(GdiOwners, ObjectIsDeletedWhenItsOwnerEnds) {
    HPEN raw = nullptr;
    {
        UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
        raw = pen.Get();
        ASSERT_TRUE(IsLiveGdiObject(raw));
    }
    EXPECT_FALSE(IsLiveGdiObject(raw));
}

TEST(GdiOwners, MovingTransfersOwnershipAndResetDeletesTheOldObject) {
    UniqueBrush first(::CreateSolidBrush(RGB(1, 1, 1)));
    HBRUSH raw = first.Get();
    UniqueBrush second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(raw, second.Get());
    second.Reset(::CreateSolidBrush(RGB(2, 2, 2)));
    EXPECT_FALSE(IsLiveGdiObject(raw));
    HBRUSH released = second.Release();
    EXPECT_TRUE(IsLiveGdiObject(released));
    ::DeleteObject(released);
}

TEST(GdiOwners, SelectionGuardPutsTheOldObjectBackBeforeDeletion) {
    UniqueCreatedDC dc = CompatibleDC(nullptr);
    ASSERT_TRUE(dc);
    HGDIOBJ stockPen = ::GetCurrentObject(dc.Get(), OBJ_PEN);
    HPEN raw = nullptr;
    {
        UniquePen pen(::CreatePen(PS_SOLID, 3, RGB(9, 9, 9)));
        raw = pen.Get();
        SelectionGuard guard(dc.Get(), pen.Get());  // declared after: released first
        EXPECT_EQ(raw, ::GetCurrentObject(dc.Get(), OBJ_PEN));
        EXPECT_EQ(stockPen, guard.Previous());
    }
    EXPECT_EQ(stockPen, ::GetCurrentObject(dc.Get(), OBJ_PEN));
    EXPECT_FALSE(IsLiveGdiObject(raw));
}

TEST(KernelHandles, ClosedOnceAndInvalidValueIsEmpty) {
    HANDLE raw = nullptr;
    {
        UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        raw = event.Get();
        ASSERT_TRUE(event.IsValid());
        DWORD flags = 0;
        EXPECT_TRUE(::GetHandleInformation(raw, &flags));
    }
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));
    UniqueKernelHandle invalid(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(invalid.IsValid());
}

TEST(Fonts, PointSizeIsTenthsOfAPointAtTheScreenResolution) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, L"宋体"));
    LOGFONTW lf{};
    ASSERT_TRUE(font.GetLogFont(&lf));
    WindowDC screen(nullptr);
    EXPECT_EQ(-::MulDiv(90, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 720), lf.lfHeight);
    EXPECT_STREQ(L"宋体", lf.lfFaceName);
}

TEST(Fonts, CreatingAgainReplacesAndDeletesTheOldFont) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(80, L"Arial"));
    HFONT first = font.GetSafeHandle();
    ASSERT_TRUE(font.CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    EXPECT_NE(first, font.GetSafeHandle());
    EXPECT_FALSE(IsLiveGdiObject(first));
    EXPECT_TRUE(font.DeleteObject());
    EXPECT_EQ(nullptr, static_cast<HFONT>(font));
    EXPECT_FALSE(font.DeleteObject());
}

TEST(DeviceContexts, MemoryDCDrawsOffScreenAndCopiesToTheTarget) {
    WindowDC screen(nullptr);
    UniqueCreatedDC target = CompatibleDC(screen.Get());
    UniqueBitmap targetBitmap(::CreateCompatibleBitmap(screen.Get(), 20, 10));
    SelectionGuard targetSelection(target.Get(), targetBitmap.Get());
    HBITMAP surface = nullptr;
    {
        CMemoryDC memory(target.Get(), 20, 10);
        ASSERT_TRUE(memory.IsValid());
        surface = memory.GetBitmap();
        RECT all{0, 0, 20, 10};
        memory.FillSolidRect(all, RGB(10, 200, 30));
        EXPECT_EQ(surface, ::GetCurrentObject(memory, OBJ_BITMAP));
        EXPECT_TRUE(memory.CopyTo(target.Get(), 0, 0));
    }
    EXPECT_FALSE(IsLiveGdiObject(surface));
    EXPECT_EQ(RGB(10, 200, 30), ::GetPixel(target.Get(), 19, 9));
}

TEST(DeviceContexts, EmptyMemoryDCIsInvalidNotBroken) {
    WindowDC screen(nullptr);
    CMemoryDC memory(screen.Get(), 0, 10);
    EXPECT_FALSE(memory.IsValid());
}

}  // namespace
