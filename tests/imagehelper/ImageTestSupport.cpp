#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "HelperGdiplusEnvironment.h"

namespace imgtest {

namespace {

::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new testsupport::HelperGdiplusEnvironment);

}  // namespace

BitmapPtr Solid(int w, int h, DWORD argb) { return BitmapPtr(Gdiplus_CreateColorBmp(w, h, argb)); }

DWORD PixelAt(Gdiplus::Bitmap* image, int x, int y) {
    Gdiplus::Color c;
    if (image->GetPixel(x, y, &c) != Gdiplus::Ok) return 0x12345678;
    return c.GetValue();
}

bool Near(DWORD actual, DWORD expected, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance) return false;
    }
    return true;
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    m_path = std::wstring(temp) + L"imagehelper_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
             std::to_wstring(++counter);
    CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((m_path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(Path(found.cFileName).c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(m_path.c_str());
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

std::string Ansi(const std::wstring& s) {
    char out[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return out;
}

}  // namespace imgtest
