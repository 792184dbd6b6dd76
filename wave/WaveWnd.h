// CWaveWnd: the waveform chart. A child window (usually a static placeholder
// control subclassed through the framework) that plots up to 256 channels of
// samples as curves across a plot rectangle framed by up to four axes.
//
// Drawing is double-buffered from two 32-bit top-down DIBs of the client
// size: the background (fills, plot picture, grid, axis labels, overlay
// texts) is rebuilt only when marked dirty; the frame (background copy,
// markers, curves, counter) is composed at every paint and copied to the
// screen in one BitBlt. The window never erases its background.
//
// Threads: everything belongs to the user-interface thread except
// AppendData (and AppendTypedData), which any thread may call; they touch only
// a channel's buffer (under its own lock) and the window's update region.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "GdiplusHelper.h"
#include "Tavo_Common.h"
#include "handles/UniqueHandle.h"
#include "WaveBuffer.h"
#include "WaveCoordinate.h"
#include "WaveLayout.h"

// One chart channel: its switch, colour, samples and the points of its curve.
struct WaveChannel {
    BOOL bEnabled = TRUE;
    COLORREF nColor = 0;
    CWaveBuffer buffer;    // locked internally; appended from any thread
    CPtrArrayCtrl points;  // user-interface thread only: rebuilt at every paint
};

// A text drawn over the plot with GDI+. The item owns its font and format.
struct WaveOverlayText {
    std::wstring strText;
    RECT rcText{0, 0, 0, 0};  // empty: the whole plot
    std::unique_ptr<Gdiplus::Font> pFont;
    std::unique_ptr<Gdiplus::StringFormat> format;
    DWORD nArgb = 0xFF000000;
};

// Optional drawing hook; the chart passes its m_pDrawHookContext last.
class IWaveDrawHook {
public:
    virtual ~IWaveDrawHook() = default;
    // While the background is rebuilt, after fills and grid, before the axis labels.
    virtual BOOL OnDrawBackground(CDC* dc, HBITMAP bitmap, void* pixels, int width, int height, int stride,
                                  RECT leftAxis, RECT topAxis, RECT rightAxis, RECT bottomAxis, RECT plot,
                                  void* context) {
        return FALSE;
    }
    // Just before a channel's curve is drawn, with its points.
    virtual BOOL OnPrepareCurve(int channel, RECT plot, CPtrArrayCtrl* points, void* context) { return FALSE; }
    // Nonzero: the hook drew the curve itself.
    virtual BOOL OnDrawCurve(CDC* dc, RECT plot, int channel, CPtrArrayCtrl* points, int lineWidth, COLORREF color,
                             BOOL smooth, void* context) {
        return FALSE;
    }
};

// Optional read-out text hook for the hover tooltip.
class IWaveHoverText {
public:
    virtual ~IWaveHoverText() = default;
    virtual std::wstring GetHoverText(int channel, int position, int scrollOffset, int windowLength, double value,
                                      void* context) = 0;
};

class CWaveWnd : public CWnd {
public:
    CWaveWnd();
    ~CWaveWnd() override;

    // ---- configuration (user-interface thread) ----
    void SetChannelCount(int count);
    void SetSmoothCurve(BOOL smooth);
    void SetBackColor(COLORREF color);
    void SetPlotBackground(BOOL enable, int mode, COLORREF color);
    void SetPlotPicture(Gdiplus::Bitmap* picture);
    void SetLineWidth(int width);
    void ShowGrid(BOOL show);
    void SetGridStyle(int patternLength, DWORD color, DWORD centerColor);
    void SetChannelColor(int channel, COLORREF color);
    void SetSampleType(int type);
    void SetValueRange(double min, double max);
    void SetWindowLength(int n);
    void SetWholeWindowsOnly(BOOL whole);
    void ShowCounter(BOOL show);
    void ShowLeftAxis(BOOL show, int width);
    void ShowRightAxis(BOOL show, int width);
    void ShowTopAxis(BOOL show, int height);
    void ShowBottomAxis(BOOL show, int height);
    void SetHorzAxesText(int pointSizeTenths, LPCWSTR faceName, COLORREF color, int inset, int decimals);
    void SetVertAxesText(int pointSizeTenths, LPCWSTR faceName, COLORREF color, int inset, int decimals);
    void SetXRange(double start, double end);
    void SetHorzTickCount(int count);
    void SetVertTickCount(int count);
    void SetHorzAxesLabels(const CPtrArrayCtrl* labels);
    void SetVertAxesRange(double min, double max);
    void EnableInteraction(BOOL wheelY, BOOL dragY, BOOL wheelX, BOOL dragX);
    void InitWindow();

    // Sets one channel's read-out format; refused (FALSE) for a channel
    // outside 0..255 or a format that would read anything but an int and
    // then a double.
    BOOL SetHoverFormat(int channel, LPCWSTR format);
    // Adds an overlay text (any thread); the chart owns the font and format it
    // creates. rect null or empty: the whole plot.
    BOOL AddOverlayText(LPCWSTR text, const RECT* rect, LPCWSTR faceName, float emSize, DWORD argb);
    // Background marked dirty and the window invalidated with erase.
    void Redraw();
    // A short status line (or several, separated by '\n') drawn over the
    // plot's top-left corner in the control's own font; empty: none. It is
    // also the control's window text, so a screen reader or a test reads it;
    // with no status the window text is the one the control had before.
    void SetStatusText(const std::wstring& text, COLORREF color);
    const std::wstring& GetStatusText() const { return m_strStatus; }
    // A line drawn over the plot's top-right corner, beside the status line,
    // in the status line's font and the axis text's grey-blue; empty: none.
    // Stored only: it appears with the next paint, which the caller may
    // request (Invalidate without erase) when none is on its way.
    void SetCornerText(const std::wstring& text) { m_strCorner = text; }
    const std::wstring& GetCornerText() const { return m_strCorner; }
    // The text the last paint drew in the corner.
    const std::wstring& GetCornerTextShown() const { return m_strCornerShown; }
    // What a double click does when interaction is on: value and time ranges,
    // zoom and scroll back to those set by SetValueRange and SetXRange (or
    // SetWindowLength), the background redrawn. Also with interaction off.
    void ResetView();
    // Channel's samples the curve shows now, oldest first (UI thread).
    std::vector<double> GetShownSamples(int channel) const;

    // ---- any thread ----
    // Appends count samples in the chart's current encoding to a channel and
    // requests one repaint unless one is pending. Ignored for a channel
    // outside 0..count - 1, a null pointer, count <= 0 or a count beyond
    // kWaveMaxAppendCount.
    void AppendData(int channel, const void* samples, int count);
    // The same, but the samples are dropped unless sampleType is the chart's
    // encoding at the moment they are stored: a feeder that cannot know of a
    // concurrent SetSampleType never has its array read at the wrong width.
    void AppendTypedData(int channel, int sampleType, const void* samples, int count);

    // ---- internal operations, also used by tests ----
    void CalcLayout();
    void RebuildBitmaps();
    void RenderBackground();
    void DrawFrame(CDC* dc);
    void DrawGridOnBuffer(void* pixels, int width, int height, const RECT& plot, double colSpacing, double rowSpacing,
                          int patternLength, DWORD color, DWORD centerColor);
    void DrawCurve(CDC* dc, CPtrArrayCtrl* points, int lineWidth, COLORREF color, BOOL smooth);
    void DrawOverlayTexts(CDC* dc);
    void DrawMarkers();
    void UpdateHoverTip();

    // ---- read access for owners and tests (user-interface thread) ----
    const DWORD* GetBackPixels() const { return m_pBackPixels; }
    const DWORD* GetFrontPixels() const { return m_pFrontPixels; }
    HBITMAP GetFrontBitmap() const { return m_hFrontBitmap.Get(); }
    HBITMAP GetBackBitmap() const { return m_hBackBitmap.Get(); }
    int GetClientWidth() const { return m_nClientWidth; }
    int GetClientHeight() const { return m_nClientHeight; }
    RECT GetPlotRect() const { return m_rcPlot; }
    double GetZoom() const { return m_fZoom; }
    int GetScrollOffset() const { return m_nScrollOffset; }
    int GetWindowLength() const { return m_nWindowLength; }
    int GetChannelCount() const { return m_nChannelCount.load(); }
    BOOL IsBackgroundDirty() const { return m_bBackgroundDirty; }
    BOOL IsDragging() const { return m_bDragging; }
    BOOL IsTipShown() const { return m_bTipShown; }
    double GetGridColSpacing() const { return m_fGridColSpacing; }
    double GetGridRowSpacing() const { return m_fGridRowSpacing; }
    const WaveChannel& GetChannel(int i) const { return m_channels[ClampChannel(i)]; }
    WaveChannel& GetChannel(int i) { return m_channels[ClampChannel(i)]; }
    const CWaveCoordinate& GetLeftAxis() const { return m_leftAxis; }
    const CWaveCoordinate& GetRightAxis() const { return m_rightAxis; }
    const CWaveCoordinate& GetTopAxis() const { return m_topAxis; }
    const CWaveCoordinate& GetBottomAxis() const { return m_bottomAxis; }
    CToolTipCtrl& GetToolTip() { return m_toolTip; }
    std::wstring GetHoverText() const { return m_strLastHoverText; }
    int64_t GetPaintCount() const { return m_nPaintCount; }

    // ---- settings the owner sets directly, followed by Redraw ----
    int m_nGridRows = 16;     // below 1 counts as 1
    int m_nPointBudget = -1;  // > 0: keep about this many points across the plot
    BOOL m_bCounter = FALSE;
    std::wstring m_strCounterPrefix;
    CFont m_counterFont;  // no font: the DC's default
    COLORREF m_nCounterColor = RGB(0, 0, 0);
    UINT m_nCounterFormat = DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX;
    // Guards m_overlayTexts, which any thread may fill; drawing (UI thread)
    // and OnDestroy read and empty it under this lock.
    CBaseLock m_overlayLock;
    CPtrListCtrl m_overlayTexts;  // of WaveOverlayText*, owned: freed by DeleteOverlayTexts
    BOOL m_bHoverTip = FALSE;
    std::wstring m_strHoverFormat[kWaveMaxChannels];
    BOOL m_bMarkers = FALSE;
    int m_nMarkerWidth = 3;
    DWORD m_nMarkerColor = 0xFFFF00;
    CPtrArrayCtrl m_markers;  // marker positions (ints stored as entries)
    IWaveDrawHook* m_pDrawHook = nullptr;
    void* m_pDrawHookContext = nullptr;
    IWaveHoverText* m_pHoverTextHook = nullptr;
    void* m_pHoverTextContext = nullptr;

protected:
    // WM_SETTEXT: the text is stored only.
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PreSubclassWindow() override;

    // Each handler runs the default processing first, then its own (WaveInput.cpp: the mouse).
    bool OnDestroy() override;
    bool OnPaint() override;
    bool OnEraseBkgnd(HDC) override { return true; }  // the frame covers every pixel: erasing would only flicker
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnLButtonDown(UINT flags, POINT point) override;
    bool OnLButtonUp(UINT flags, POINT point) override;
    bool OnLButtonDblClk(UINT flags, POINT point) override;
    bool OnMouseMove(UINT flags, POINT point) override;
    bool OnMouseLeave() override;
    bool OnMouseWheel(UINT flags, short delta, POINT screenPoint) override;

private:
    static int ClampChannel(int i) { return i < 0 ? 0 : (i >= kWaveMaxChannels ? kWaveMaxChannels - 1 : i); }
    BOOL AnySwitch() const { return m_bWheelZoomY || m_bDragY || m_bWheelZoomX || m_bDragX; }
    BOOL AnyChannelEnabled() const;
    void AppendLocked(int channel, const void* samples, int count);
    void RequestRepaint();
    void DeleteBitmaps();
    void DeleteOverlayTexts();
    // One axis shown or hidden with its thickness across (width or height).
    void ShowAxis(BOOL* shown, int* thickness, BOOL show, int size);
    void SetHorzAxesRange(double min, double max);
    void SetSideAxesRange(double min, double max);
    void BuildPoints(WaveChannel& channel);

    // Every field below is read and written on the user-interface thread
    // only, unless its comment says otherwise.
    int m_nClientWidth = 0, m_nClientHeight = 0;
    BOOL m_bSmoothCurve = FALSE;
    BOOL m_bPlotBackground = TRUE;
    int m_nPlotBackMode = 0;
    COLORREF m_nPlotBackColor = 0;
    UniqueImage m_pPlotPicture;        // a copy of the owner's picture
    UniqueImage m_pPlotPictureScaled;  // the copy resized to the plot
    int m_nLineWidth = 3;
    BOOL m_bGrid = TRUE;
    int m_nGridPatternLength = 1;
    DWORD m_nGridColor = 0x5F20;
    DWORD m_nGridCenterColor = 0xE3CF57;
    // Written by the user-interface thread, read by AppendData on any thread.
    std::atomic<int> m_nChannelCount{1};
    WaveChannel m_channels[kWaveMaxChannels];
    UniqueBitmap m_hFrontBitmap;  // its pixels live as long as it
    DWORD* m_pFrontPixels = nullptr;
    UniqueBitmap m_hBackBitmap;
    DWORD* m_pBackPixels = nullptr;
    COLORREF m_nBackColor;
    RECT m_rcPlot{0, 0, 0, 0};
    double m_fGridColSpacing = 8.0, m_fGridRowSpacing = 8.0;
    BOOL m_bGridColumns = FALSE;  // the layout found a column spacing
    BOOL m_bBackgroundDirty = FALSE;
    double m_fXStart = 0.0, m_fXEnd = 63.0;
    int m_nWindowLength = 64;
    int m_nScrollOffset = 0;
    double m_fZoom = 1.0;
    double m_fYMin = -32767.0, m_fYMax = 32767.0;
    // The four axes: shown, thickness across the axis, the axis, its rectangle.
    BOOL m_bLeftAxis = FALSE, m_bRightAxis = FALSE, m_bTopAxis = FALSE, m_bBottomAxis = FALSE;
    int m_nLeftAxisWidth = 40, m_nRightAxisWidth = 40, m_nTopAxisHeight = 20, m_nBottomAxisHeight = 20;
    CWaveCoordinate m_leftAxis, m_rightAxis, m_topAxis, m_bottomAxis;
    RECT m_rcLeftAxis, m_rcRightAxis, m_rcTopAxis, m_rcBottomAxis;
    BOOL m_bWheelZoomY = FALSE, m_bDragY = FALSE, m_bWheelZoomX = FALSE, m_bDragX = FALSE;
    POINT m_ptLastMouse{0, 0};
    BOOL m_bDragging = FALSE, m_bFirstMoveX = TRUE, m_bFirstMoveY = TRUE;
    BOOL m_bTipShown = FALSE;
    POINT m_ptLastHover{-1, -1};
    BOOL m_bTrackingLeave = FALSE;
    CToolTipCtrl m_toolTip;
    std::wstring m_strLastHoverText;

    // The chart's encoding as appends see it. Written by SetSampleType (UI
    // thread) and read by AppendTypedData (any thread), both under m_appendLock,
    // which SetSampleType holds while it re-encodes every buffer.
    CBaseLock m_appendLock;
    int m_nSampleType = WAVE_SAMPLE_INT16;
    // The window AppendData invalidates. Set by InitWindow, cleared by
    // OnDestroy (UI thread); read by AppendData on any thread.
    std::atomic<HWND> m_hRepaintTarget{nullptr};
    // Set by the append that requested a repaint (any thread), cleared by
    // OnPaint before it paints (UI thread): later appends skip the update-region
    // query, a round trip to the window system, until the paint has begun.
    std::atomic<bool> m_bRepaintRequested{false};

    std::vector<uint64_t> m_scratchPoints;  // paint-time scratch, UI thread

    int64_t m_nPaintCount = 0;  // WM_PAINTs handled
    std::wstring m_strStatus;   // drawn over the plot's corner
    COLORREF m_nStatusColor = RGB(0, 0, 0);
    bool m_bPlainTextSaved = false;  // m_strPlainText holds the text before any status
    std::wstring m_strPlainText;
    std::wstring m_strCorner;       // drawn over the plot's top-right corner
    std::wstring m_strCornerShown;  // what the last paint drew there

    void DrawStatusText(CDC* dc);
    void DrawCornerText(CDC* dc);
};
