#include "handles/UniqueHandle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {

bool IsOpenKernelHandle(HANDLE h) {
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != FALSE;
}

bool IsLiveGdiObject(HGDIOBJ obj) { return ::GetObjectType(obj) != 0; }

HANDLE NewEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(UniqueHandle, MoveHandsOverAndMoveAssignmentClosesWhatTheTargetHeld) {
    UniqueKernelHandle first(NewEvent());
    const HANDLE raw = first.Get();
    ASSERT_TRUE(first);
    UniqueKernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(raw, second.Get());

    UniqueKernelHandle third(NewEvent());
    const HANDLE overwritten = third.Get();
    third = std::move(second);
    EXPECT_EQ(raw, third.Get());
    EXPECT_FALSE(second);
    EXPECT_FALSE(IsOpenKernelHandle(overwritten));
    EXPECT_TRUE(IsOpenKernelHandle(raw));
}

TEST(UniqueHandle, ReleaseLeavesTheHandleOpenAndTheOwnerEmpty) {
    UniqueKernelHandle owner(NewEvent());
    const HANDLE raw = owner.Release();
    EXPECT_FALSE(owner.IsValid());
    EXPECT_EQ(nullptr, owner.Get());
    EXPECT_TRUE(IsOpenKernelHandle(raw));
    ::CloseHandle(raw);
}

TEST(UniqueHandle, ResetClosesTheOldHandleAndKeepsTheNewOne) {
    UniqueKernelHandle owner(NewEvent());
    const HANDLE first = owner.Get();
    owner.Reset(NewEvent());
    const HANDLE second = owner.Get();
    EXPECT_FALSE(IsOpenKernelHandle(first));
    EXPECT_TRUE(IsOpenKernelHandle(second));
    owner.Reset();
    EXPECT_FALSE(owner);
    EXPECT_FALSE(IsOpenKernelHandle(second));
}

TEST(UniqueHandle, ReceiveClosesWhatWasHeldAndOwnsWhatIsWrittenThere) {
    UniqueKernelHandle source(NewEvent());
    UniqueKernelHandle copy(NewEvent());
    const HANDLE before = copy.Get();
    HANDLE* slot = copy.Receive();
    EXPECT_FALSE(IsOpenKernelHandle(before));  // checked now: the next handle made may take its value
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), source.Get(), ::GetCurrentProcess(), slot, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    const HANDLE received = copy.Get();
    ASSERT_TRUE(copy);
    copy.Reset();
    EXPECT_FALSE(IsOpenKernelHandle(received));
    EXPECT_TRUE(IsOpenKernelHandle(source.Get()));
}

TEST(UniqueHandle, KernelHandlesTakeNullAndInvalidHandleValueBothAsNone) {
    UniqueKernelHandle none;
    EXPECT_FALSE(none);
    UniqueKernelHandle null(nullptr);
    EXPECT_FALSE(null.IsValid());
    UniqueKernelHandle invalid(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_FALSE(invalid);
    // A failed CreateFileW answers INVALID_HANDLE_VALUE: the owner holds nothing.
    UniqueKernelHandle missing(
        ::CreateFileW(L"Z:\\no such folder\\no such file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
}

TEST(UniqueHandle, GdiOwnersCountTheObjectsTheyHold) {
    const long start = g_liveScopedGdiObjects.load();
    HPEN released = nullptr;
    {
        UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
        EXPECT_EQ(start + 1, g_liveScopedGdiObjects.load());
        UniqueBrush brush(::CreateSolidBrush(RGB(4, 5, 6)));
        const HBRUSH firstBrush = brush.Get();
        EXPECT_EQ(start + 2, g_liveScopedGdiObjects.load());
        brush.Reset(::CreateSolidBrush(RGB(7, 8, 9)));  // one goes, one comes
        EXPECT_EQ(start + 2, g_liveScopedGdiObjects.load());
        EXPECT_FALSE(IsLiveGdiObject(firstBrush));
        UniquePen moved(std::move(pen));
        EXPECT_EQ(start + 2, g_liveScopedGdiObjects.load());
        released = moved.Release();
        EXPECT_EQ(start + 1, g_liveScopedGdiObjects.load());
        UniqueCreatedDC dc(::CreateCompatibleDC(nullptr));
        EXPECT_EQ(start + 2, g_liveScopedGdiObjects.load());
        UniqueRegion none(nullptr);
        EXPECT_EQ(start + 2, g_liveScopedGdiObjects.load());
    }
    EXPECT_EQ(start, g_liveScopedGdiObjects.load());
    EXPECT_TRUE(IsLiveGdiObject(released));
    ::DeleteObject(released);
}

// A file in the temporary folder, deleted when the test ends however it ends.
class TempFile {
public:
    TempFile() {
        wchar_t folder[MAX_PATH];
        wchar_t name[MAX_PATH];
        if (::GetTempPathW(MAX_PATH, folder) != 0 && ::GetTempFileNameW(folder, L"uh", 0, name) != 0) m_path = name;
    }
    ~TempFile() {
        if (!m_path.empty()) ::DeleteFileW(m_path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

TEST(UniqueHandle, FileStreamIsClosedAndFlushedWhenItsOwnerEnds) {
    TempFile file;
    ASSERT_FALSE(file.Path().empty());
    {
        UniqueFileStream stream(::_wfopen(file.Path().c_str(), L"wb"));
        ASSERT_TRUE(stream);
        ASSERT_EQ(5u, std::fwrite("hello", 1, 5, stream.Get()));  // still in the stream's buffer
        // An open stream keeps the file from being deleted.
        EXPECT_FALSE(::DeleteFileW(file.Path().c_str()));
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(file.Path().c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(5u, data.nFileSizeLow);
    EXPECT_TRUE(::DeleteFileW(file.Path().c_str()));
}

}  // namespace
