// Shared pieces of the control tests: GDI+ for the whole run, a modeless test
// dialog with its labels subclassed, pixel capture of a control's painting
// and a count of the process's GDI objects.
#pragma once

#include "ColorStatic.h"
#include "ControlsTestResources.h"
#include "WndResizeTool.h"
#include "framework/Dialog.h"

#include <cstdint>
#include <vector>

namespace ctltest {

// The dialog of controls_tests.rc: picture, number and unit labels are
// CColorStatic; WM_SIZE runs the resize tool when resizeOnSize is set,
// skipping minimise as the tool's owner does.
class LabelDialog : public CDialogEx {
public:
    LabelDialog() : CDialogEx(IDD_LABEL_DIALOG) {}
    ~LabelDialog() override;

    bool Open();  // creates and shows the dialog

    CColorStatic picture;
    CColorStatic number;
    CColorStatic unit;
    CColorStatic empty;
    CWndResizeTool tool;

    bool resizeOnSize = false;
    int resizeCalls = 0;
    int lastResult = -1;
    double lastRatioX = 0.0;
    double lastRatioY = 0.0;

protected:
    void DoDataExchange() override;
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// The client area of hwnd as painted through WM_PRINTCLIENT into a 32-bit
// surface first filled with kUnpainted. Pixels are 0x00RRGGBB.
constexpr uint32_t kUnpainted = 0x00FF00FF;
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureClient(HWND hwnd);

// 0x00RRGGBB of a COLORREF, as the capture stores it.
inline uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
bool Near(uint32_t a, uint32_t b, int tolerance = 3);

// GDI objects of this process; -1 when this system cannot tell.
long GdiObjectCount();
// GDI objects and DCs our owners (handles/UniqueHandle.h) hold right now, as
// the tool counts them: every system gives this one; it grows when owners
// pile up (a font or a record kept past its use).
long OwnedGdiObjectCount();

// A GDI+ bitmap of w x h whose left half is left and right half right (ARGB).
Gdiplus::Bitmap* SplitPicture(int w, int h, DWORD left, DWORD right);

// Rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child);
LOGFONTW FontOf(HWND hwnd);
// Sizes hwnd so that its client area is width x height.
void SetClientSize(HWND hwnd, int width, int height);
SIZE ClientSize(HWND hwnd);

}  // namespace ctltest
