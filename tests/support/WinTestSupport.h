// What Windows tests and benchmarks share: files read and written whole, the
// folder of the running program, a client area as the screen shows it, a
// high-resolution clock and a GDI+ session.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// The folder of the running executable, without a trailing separator.
std::wstring ProgramFolder();

// A file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Replaces the file's content with bytes.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The size of a file, or -1 when it cannot be read.
long long FileSize(const std::wstring& path);
// Removes folder and everything in it (read-only files too); what cannot be
// removed stays.
void RemoveTree(const std::wstring& folder);

// The header of a 32-bit top-down device-independent bitmap of that size.
BITMAPINFO TopDownBitmapInfo(int width, int height);
// A window's client area as the screen shows it, as 0x00RRGGBB pixels, row
// by row from the top; width and height are the client area's. Empty when
// the area is empty or cannot be read.
std::vector<DWORD> ScreenPixels(HWND hwnd, int& width, int& height);

// Seconds from the performance counter: for differences only.
double SecondsNow();

// GDI+ started for the object's lifetime (the plain flat start, not the
// tool's helper).
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Started() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

}  // namespace testsupport
