#include "ControlsTestSupport.h"

#include "handles/ScopedDC.h"
#include "handles/UniqueHandle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace ctltest {

namespace {

// GDI+ runs for the whole test program, as it does for the tool.
class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

[[maybe_unused]] ::testing::Environment* const gGdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace

LabelDialog::~LabelDialog() {
    // The window goes before the members that subclass its controls.
    if (m_hWnd) DestroyWindow();
}

bool LabelDialog::Open() {
    if (!Create(IDD_LABEL_DIALOG)) return false;
    ShowWindow(SW_SHOWNORMAL);
    UpdateWindow();
    return true;
}

void LabelDialog::DoDataExchange() {
    picture.SubclassDlgItem(IDC_PICTURE_LABEL, this);
    number.SubclassDlgItem(IDC_NUMBER_LABEL, this);
    unit.SubclassDlgItem(IDC_UNIT_LABEL, this);
    empty.SubclassDlgItem(IDC_EMPTY_LABEL, this);
}

BOOL LabelDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT&) {
    if (msg == WM_SIZE && resizeOnSize && wParam != SIZE_MINIMIZED && wParam != SIZE_MAXHIDE) {
        ++resizeCalls;
        lastRatioX = lastRatioY = 1.0;
        lastResult = tool.ResizeChildren(LOWORD(lParam), HIWORD(lParam), &lastRatioX, &lastRatioY);
    }
    return FALSE;  // default processing follows in every case
}

Capture CaptureClient(HWND hwnd) {
    Capture capture;
    RECT client{};
    ::GetClientRect(hwnd, &client);
    capture.width = client.right;
    capture.height = client.bottom;
    if (capture.width <= 0 || capture.height <= 0) return capture;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    WindowDC screen(nullptr);
    UniqueBitmap bitmap(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueCreatedDC dc = CompatibleDC(screen.Get());
    if (!bitmap || !dc || !bits) return capture;
    {
        SelectionGuard select(dc.Get(), bitmap.Get());
        auto* p = static_cast<uint32_t*>(bits);
        for (int i = 0; i < capture.width * capture.height; ++i) p[i] = kUnpainted;
        ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
        ::GdiFlush();
        capture.pixels.assign(p, p + capture.width * capture.height);
        for (uint32_t& px : capture.pixels) px &= 0x00FFFFFF;
    }
    return capture;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > tolerance) return false;
    }
    return true;
}

namespace {
// Wine keeps no per-process GDI count (GetGuiResources answers 0), but it
// accepts a handle without its generation part for whatever object occupies
// that slot of its handle table, so the live objects can be counted slot by slot.
long CountBySlots() {
    long count = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++count;
    return count;
}

long RawCount(bool bySlots) {
    return bySlots ? CountBySlots() : static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
}

// Which way of counting follows object creation here: five brushes must show.
int CountingMode() {
    static int mode = -2;
    if (mode != -2) return mode;
    mode = -1;
    for (bool bySlots : {false, true}) {
        const long before = RawCount(bySlots);
        std::vector<UniqueBrush> brushes;
        for (int i = 0; i < 5; ++i) brushes.emplace_back(::CreateSolidBrush(RGB(i, 2, 3)));
        const long during = RawCount(bySlots);
        brushes.clear();
        if (during - before == 5 && RawCount(bySlots) == before) {
            mode = bySlots ? 1 : 0;
            break;
        }
    }
    return mode;
}
}  // namespace

long GdiObjectCount() {
    const int mode = CountingMode();
    if (mode < 0) return -1;
    return RawCount(mode == 1);
}

long OwnedGdiObjectCount() { return g_liveScopedGdiObjects.load(); }

Gdiplus::Bitmap* SplitPicture(int w, int h, DWORD left, DWORD right) {
    Gdiplus::Bitmap* image = Gdiplus_CreateBitmap(w, h, PixelFormat32bppARGB);
    if (!image) return nullptr;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image->SetPixel(x, y, Gdiplus::Color(x < w / 2 ? left : right));
    return image;
}

RECT ChildRect(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW lf{};
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (font) ::GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

SIZE ClientSize(HWND hwnd) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    return SIZE{client.right, client.bottom};
}

void SetClientSize(HWND hwnd, int width, int height) {
    // Two rounds: the first learns the frame, the second corrects for it.
    for (int round = 0; round < 2; ++round) {
        RECT window{};
        ::GetWindowRect(hwnd, &window);
        const SIZE client = ClientSize(hwnd);
        const int frameX = (window.right - window.left) - client.cx;
        const int frameY = (window.bottom - window.top) - client.cy;
        ::SetWindowPos(hwnd, nullptr, 0, 0, width + frameX, height + frameY,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const SIZE now = ClientSize(hwnd);
        if (now.cx == width && now.cy == height) return;
    }
}

}  // namespace ctltest
