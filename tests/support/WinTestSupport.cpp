#include "WinTestSupport.h"

#include <objidl.h>

#include <gdiplus.h>

#include <fstream>
#include <sstream>

#include "handles/UniqueHandle.h"

namespace testsupport {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

BITMAPINFO TopDownBitmapInfo(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

std::vector<DWORD> ScreenPixels(HWND hwnd, int& width, int& height) {
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    width = rc.right;
    height = rc.bottom;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0) return pixels;
    HDC screen = ::GetDC(nullptr);
    {
        UniqueCreatedDC memory(::CreateCompatibleDC(screen));
        UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
        HGDIOBJ old = ::SelectObject(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        ::SelectObject(memory.Get(), old);
        BITMAPINFO bi = TopDownBitmapInfo(width, height);
        pixels.resize(static_cast<size_t>(width) * height);
        if (!::GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data(), &bi, DIB_RGB_COLORS)) pixels.clear();
    }
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

double SecondsNow() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

GdiplusSession::~GdiplusSession() {
    if (m_token) Gdiplus::GdiplusShutdown(m_token);
}

}  // namespace testsupport
