// CWaveWnd: construction, configuration, layout, bitmaps and appends. Mouse
// interaction is in WaveInput.cpp, painting in WaveRender.cpp.
#include "WaveWnd.h"

#include <commctrl.h>

#include <initializer_list>
#include <new>

namespace {

void SetAxisRect(CWaveCoordinate& axis, RECT* stored, const WaveBox& box) {
    SetRectXY(stored, box.left, box.top, box.right, box.bottom);
    axis.m_rcAxis = *stored;
}

void SetAxisRange(CWaveCoordinate& axis, double min, double max) {
    axis.m_fMin = min;
    axis.m_fMax = max;
}

void SetAxisWrap(CWaveCoordinate& axis, double low, double high, double period) {
    axis.m_fWrapLow = low;
    axis.m_fWrapHigh = high;
    axis.m_fWrapPeriod = period;
}

// The label font, colour, inset and decimals of a pair of axes.
void SetAxesText(std::initializer_list<CWaveCoordinate*> axes, int pointSizeTenths, LPCWSTR faceName, COLORREF color,
                 int inset, int decimals) {
    for (CWaveCoordinate* axis : axes) {
        axis->m_font.CreatePointFont(pointSizeTenths, faceName ? faceName : L"");
        axis->m_nTextColor = color;
        axis->m_nLabelInset = inset;
        axis->m_nDecimals = decimals;
    }
}

}  // namespace

CWaveWnd::CWaveWnd() : m_nBackColor(::GetSysColor(COLOR_BTNFACE)) {
    for (int i = 0; i < kWaveMaxChannels; ++i) {
        m_channels[i].bEnabled = TRUE;
        m_channels[i].nColor = gCommonColorTable[i % TAVO_COLOR_TABLE_ROWS][(i / TAVO_COLOR_TABLE_ROWS) % 10];
    }
    SetRectXY(&m_rcLeftAxis, 0, 0, 0, 0);
    SetRectXY(&m_rcRightAxis, 0, 0, 0, 0);
    SetRectXY(&m_rcTopAxis, 0, 0, 0, 0);
    SetRectXY(&m_rcBottomAxis, 0, 0, 0, 0);

    m_leftAxis.m_nTickCount = 5;
    m_leftAxis.m_bVertical = TRUE;
    m_leftAxis.m_bAlignStart = FALSE;
    SetAxisRange(m_leftAxis, m_fYMin, m_fYMax);
    m_rightAxis.m_nTickCount = 5;
    m_rightAxis.m_bVertical = TRUE;
    m_rightAxis.m_bAlignStart = TRUE;
    SetAxisRange(m_rightAxis, m_fYMin, m_fYMax);
    // The horizontal axes count sample positions 0 to N - 1 (N = 64 here).
    const double last = m_nWindowLength - 1;
    for (CWaveCoordinate* axis : {&m_topAxis, &m_bottomAxis}) {
        axis->m_nTickCount = 22;
        axis->m_bVertical = FALSE;
        SetAxisRange(*axis, 0.0, last);
        SetAxisWrap(*axis, 0.0, last, last);
    }
    m_topAxis.m_bAlignStart = FALSE;
    m_bottomAxis.m_bAlignStart = TRUE;
}

CWaveWnd::~CWaveWnd() {
    // Normally OnDestroy has freed them already; a chart that never had a
    // window (or outlived it without WM_DESTROY) frees them here. The owners
    // free the rest.
    DeleteOverlayTexts();
}

// ---------------------------------------------------------------- messages

BOOL CWaveWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_SETTEXT) return FALSE;
    // Stored only: a static control would paint its text over the chart at once.
    result = ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
    return TRUE;
}

void CWaveWnd::PreSubclassWindow() {
    // A static control delivers mouse messages only with SS_NOTIFY.
    ModifyStyle(0, SS_NOTIFY);
    CWnd::PreSubclassWindow();
}

bool CWaveWnd::OnDestroy() {
    DefWindowProc(WM_DESTROY, 0, 0);
    m_hRepaintTarget.store(nullptr);  // appends from other threads stop invalidating first
    DeleteBitmaps();
    m_pPlotPictureScaled.Reset();
    m_pPlotPicture.Reset();
    m_counterFont.DeleteObject();
    DeleteOverlayTexts();
    m_bTipShown = m_bTrackingLeave = m_bDragging = FALSE;
    Redraw();
    return true;
}

bool CWaveWnd::OnSize(UINT type, int cx, int cy) {
    DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy));
    if (cx == m_nClientWidth && cy == m_nClientHeight) return true;
    m_nClientWidth = cx;
    m_nClientHeight = cy;
    RebuildBitmaps();
    return true;
}

// ----------------------------------------------------------- configuration

void CWaveWnd::Redraw() {
    m_bBackgroundDirty = TRUE;
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CWaveWnd::SetChannelCount(int count) {
    if (count < 0) count = 0;
    if (count > kWaveMaxChannels) count = kWaveMaxChannels;
    for (int i = 0; i < count; ++i) m_channels[i].bEnabled = TRUE;
    m_nChannelCount.store(count);
}

void CWaveWnd::SetSmoothCurve(BOOL smooth) { m_bSmoothCurve = smooth; }
void CWaveWnd::SetBackColor(COLORREF color) { m_nBackColor = color; }

void CWaveWnd::SetPlotBackground(BOOL enable, int mode, COLORREF color) {
    m_bPlotBackground = enable;
    m_nPlotBackMode = mode;
    m_nPlotBackColor = color;
}

void CWaveWnd::SetPlotPicture(Gdiplus::Bitmap* picture) {
    m_pPlotPicture.Reset(picture ? Gdiplus_CopyBitmap(picture) : nullptr);
}

void CWaveWnd::SetLineWidth(int width) { m_nLineWidth = width; }
void CWaveWnd::ShowGrid(BOOL show) { m_bGrid = show; }

void CWaveWnd::SetGridStyle(int patternLength, DWORD color, DWORD centerColor) {
    m_nGridPatternLength = patternLength;
    m_nGridColor = color;
    m_nGridCenterColor = centerColor;
}

void CWaveWnd::SetChannelColor(int channel, COLORREF color) {
    if (channel < 0 || channel >= kWaveMaxChannels) return;
    m_channels[channel].nColor = color;
}

void CWaveWnd::SetSampleType(int type) {
    // Held across all buffers so a typed append sees either the old encoding
    // everywhere or the new one.
    CAutoBaseLock hold(m_appendLock);
    m_nSampleType = type;
    for (WaveChannel& ch : m_channels) ch.buffer.SetSampleType(type);
}

void CWaveWnd::SetValueRange(double min, double max) {
    m_fYMin = min;
    m_fYMax = max;
    for (WaveChannel& ch : m_channels) ch.buffer.SetValueRange(min, max);
    SetSideAxesRange(min, max);
    Redraw();
}

void CWaveWnd::SetWindowLength(int n) {
    const int N = n < 1 ? 1 : (n > kWaveMaxWindowLength ? kWaveMaxWindowLength : n);
    m_nWindowLength = N;
    m_fZoom = 1.0;
    m_nScrollOffset = 0;
    m_fXStart = 0.0;
    m_fXEnd = N - 1;
    for (WaveChannel& ch : m_channels) {
        ch.buffer.SetWindowLength(N);
        ch.buffer.SetScrollOffset(0);
        ch.buffer.SetHistoryWindows(1);
    }
    for (CWaveCoordinate* axis : {&m_topAxis, &m_bottomAxis}) {
        SetAxisRange(*axis, 0.0, N - 1);
        SetAxisWrap(*axis, 0.0, N - 1, N);
    }
    Redraw();
}

void CWaveWnd::SetWholeWindowsOnly(BOOL whole) {
    for (WaveChannel& ch : m_channels) ch.buffer.SetWholeWindowsOnly(whole);
}

void CWaveWnd::ShowCounter(BOOL show) { m_bCounter = show; }

void CWaveWnd::ShowAxis(BOOL* shown, int* thickness, BOOL show, int size) {
    *shown = show;
    *thickness = size;
    Redraw();
}

void CWaveWnd::ShowLeftAxis(BOOL show, int width) { ShowAxis(&m_bLeftAxis, &m_nLeftAxisWidth, show, width); }
void CWaveWnd::ShowRightAxis(BOOL show, int width) { ShowAxis(&m_bRightAxis, &m_nRightAxisWidth, show, width); }
void CWaveWnd::ShowTopAxis(BOOL show, int height) { ShowAxis(&m_bTopAxis, &m_nTopAxisHeight, show, height); }
void CWaveWnd::ShowBottomAxis(BOOL show, int height) { ShowAxis(&m_bBottomAxis, &m_nBottomAxisHeight, show, height); }

void CWaveWnd::SetHorzAxesText(int pointSizeTenths, LPCWSTR faceName, COLORREF color, int inset, int decimals) {
    SetAxesText({&m_topAxis, &m_bottomAxis}, pointSizeTenths, faceName, color, inset, decimals);
    Redraw();
}

void CWaveWnd::SetVertAxesText(int pointSizeTenths, LPCWSTR faceName, COLORREF color, int inset, int decimals) {
    SetAxesText({&m_leftAxis, &m_rightAxis}, pointSizeTenths, faceName, color, inset, decimals);
    Redraw();
}

void CWaveWnd::SetXRange(double start, double end) {
    m_fXStart = start;
    m_fXEnd = end;
    m_fZoom = 1.0;
    m_nScrollOffset = 0;
    for (WaveChannel& ch : m_channels) {
        ch.buffer.SetScrollOffset(0);
        ch.buffer.SetHistoryWindows(1);
    }
    for (CWaveCoordinate* axis : {&m_topAxis, &m_bottomAxis}) {
        SetAxisRange(*axis, start, end);
        SetAxisWrap(*axis, start, end, -1.0);
    }
    Redraw();
}

void CWaveWnd::SetHorzTickCount(int count) {
    m_topAxis.m_nTickCount = count;
    m_bottomAxis.m_nTickCount = count;
    Redraw();
}

void CWaveWnd::SetVertTickCount(int count) {
    m_leftAxis.m_nTickCount = count;
    m_rightAxis.m_nTickCount = count;
    Redraw();
}

void CWaveWnd::SetHorzAxesLabels(const CPtrArrayCtrl* labels) {
    m_topAxis.SetLabels(labels);
    m_bottomAxis.SetLabels(labels);
    Redraw();
}

void CWaveWnd::SetVertAxesRange(double min, double max) {
    for (CWaveCoordinate* axis : {&m_leftAxis, &m_rightAxis}) {
        SetAxisRange(*axis, min, max);
        SetAxisWrap(*axis, min, max, -1.0);
    }
    Redraw();
}

void CWaveWnd::EnableInteraction(BOOL wheelY, BOOL dragY, BOOL wheelX, BOOL dragX) {
    m_bWheelZoomY = wheelY;
    m_bDragY = dragY;
    m_bWheelZoomX = wheelX;
    m_bDragX = dragX;
}

void CWaveWnd::InitWindow() {
    if (!IsWindow()) return;
    RECT rc{};
    GetClientRect(&rc);
    m_nClientWidth = rc.right - rc.left;
    m_nClientHeight = rc.bottom - rc.top;
    EnableToolTips(TRUE);
    if (!m_toolTip.IsWindow()) {
        // The window itself is the tool, so the tip covers the chart at every size.
        if (m_toolTip.Create(this, 0)) m_toolTip.AddWindowTool(this, LPSTR_TEXTCALLBACKW);
    }
    m_hRepaintTarget.store(m_hWnd);
    m_bRepaintRequested.store(false);
    RebuildBitmaps();
}

BOOL CWaveWnd::SetHoverFormat(int channel, LPCWSTR format) {
    if (channel < 0 || channel >= kWaveMaxChannels) return FALSE;
    if (!WaveHoverFormatIsSafe(format)) return FALSE;
    m_strHoverFormat[channel] = format ? format : L"";
    return TRUE;
}

void CWaveWnd::SetStatusText(const std::wstring& text, COLORREF color) {
    if (text == m_strStatus && color == m_nStatusColor) return;
    if (!m_bPlainTextSaved && IsWindow()) {
        m_strPlainText = GetWindowTextW();
        m_bPlainTextSaved = true;
    }
    m_strStatus = text;
    m_nStatusColor = color;
    if (!IsWindow()) return;
    SetWindowTextW(text.empty() ? m_strPlainText : text);
    Invalidate(FALSE);  // drawn on the frame layer: no background rebuild
}

std::vector<double> CWaveWnd::GetShownSamples(int channel) const {
    if (channel < 0 || channel >= m_nChannelCount.load()) return {};
    return m_channels[channel].buffer.ReadVisibleSamples(m_fZoom);
}

BOOL CWaveWnd::AddOverlayText(LPCWSTR text, const RECT* rect, LPCWSTR faceName, float emSize, DWORD argb) {
    std::unique_ptr<WaveOverlayText> item(new (std::nothrow) WaveOverlayText);
    if (!item) return FALSE;
    item->strText = text ? text : L"";
    if (rect) item->rcText = *rect;
    // GDI+ objects come from its own allocator, which returns null on failure.
    const Gdiplus::REAL size = emSize > 0 ? emSize : 10.0f;
    item->pFont.reset(
        new Gdiplus::Font(faceName ? faceName : L"", size, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel));
    if (item->pFont && item->pFont->GetLastStatus() != Gdiplus::Ok) {
        // A face the system lacks gives no usable font: take its sans-serif one.
        item->pFont.reset(new Gdiplus::Font(Gdiplus::FontFamily::GenericSansSerif(), size, Gdiplus::FontStyleRegular,
                                            Gdiplus::UnitPixel));
    }
    if (item->pFont && item->pFont->GetLastStatus() != Gdiplus::Ok) {
        // Not every system has the generic families either; the GUI font exists everywhere.
        item->pFont.reset();
        LOGFONTW lf{};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        lf.lfHeight = -static_cast<LONG>(size);
        lf.lfWidth = 0;
        WindowDC screen(nullptr);
        item->pFont.reset(new Gdiplus::Font(screen.Get(), &lf));
    }
    item->format.reset(new Gdiplus::StringFormat());
    item->nArgb = argb;
    CAutoBaseLock hold(m_overlayLock);
    if (m_overlayTexts.AddData(item.get(), -1) < 0) return FALSE;
    item.release();  // the list holds it now; DeleteOverlayTexts frees it
    return TRUE;
}

void CWaveWnd::SetHorzAxesRange(double min, double max) {
    SetAxisRange(m_topAxis, min, max);
    SetAxisRange(m_bottomAxis, min, max);
}

void CWaveWnd::SetSideAxesRange(double min, double max) {
    SetAxisRange(m_leftAxis, min, max);
    SetAxisRange(m_rightAxis, min, max);
}

// ------------------------------------------------------- layout and bitmaps

void CWaveWnd::DeleteBitmaps() {
    // The bitmaps are never left selected: every DC that selects one puts the
    // previous bitmap back before it is deleted.
    m_pFrontPixels = m_pBackPixels = nullptr;
    m_hFrontBitmap.Reset();
    m_hBackBitmap.Reset();
}

void CWaveWnd::DeleteOverlayTexts() {
    CAutoBaseLock hold(m_overlayLock);
    for (int i = 0, n = m_overlayTexts.GetCount(); i < n; ++i) {
        // Freed here, with its font and format.
        std::unique_ptr<WaveOverlayText> item(static_cast<WaveOverlayText*>(m_overlayTexts.GetAt(i)));
    }
    m_overlayTexts.RemoveAll();
}

void CWaveWnd::RebuildBitmaps() {
    DeleteBitmaps();
    if (m_nClientWidth <= 0 || m_nClientHeight <= 0) return;
    void* front = nullptr;
    void* back = nullptr;
    m_hFrontBitmap.Reset(CreateHBitmap(&front, m_nClientWidth, m_nClientHeight, 32, nullptr, 0));
    m_hBackBitmap.Reset(CreateHBitmap(&back, m_nClientWidth, m_nClientHeight, 32, nullptr, 0));
    if (!m_hFrontBitmap || !m_hBackBitmap || !front || !back) {
        DeleteBitmaps();  // out of memory: paint nothing rather than half a chart
        return;
    }
    m_pFrontPixels = static_cast<DWORD*>(front);
    m_pBackPixels = static_cast<DWORD*>(back);
    CalcLayout();
    m_pPlotPictureScaled.Reset();
    const int pw = m_rcPlot.right - m_rcPlot.left, ph = m_rcPlot.bottom - m_rcPlot.top;
    if (m_pPlotPicture && pw > 0 && ph > 0)
        m_pPlotPictureScaled.Reset(Gdiplus_ResizeBitmap(m_pPlotPicture.Get(), pw, ph, 0, 0));
    Redraw();
}

void CWaveWnd::CalcLayout() {
    if (!m_bLeftAxis) m_nLeftAxisWidth = 0;
    if (!m_bRightAxis) m_nRightAxisWidth = 0;
    if (!m_bTopAxis) m_nTopAxisHeight = 0;
    if (!m_bBottomAxis) m_nBottomAxisHeight = 0;
    WaveLayoutRects rc = WaveCalcLayout(m_nClientWidth, m_nClientHeight, m_nLeftAxisWidth, m_nRightAxisWidth,
                                        m_nTopAxisHeight, m_nBottomAxisHeight);
    SetAxisRect(m_leftAxis, &m_rcLeftAxis, rc.leftAxis);
    SetAxisRect(m_rightAxis, &m_rcRightAxis, rc.rightAxis);
    SetAxisRect(m_topAxis, &m_rcTopAxis, rc.topAxis);
    SetAxisRect(m_bottomAxis, &m_rcBottomAxis, rc.bottomAxis);
    SetRectXY(&m_rcPlot, rc.plot.left, rc.plot.top, rc.plot.right, rc.plot.bottom);
    if (m_bGrid) {
        WaveGridSpacing g = WaveCalcGridSpacing(rc.plot.Width(), rc.plot.Height(), m_nGridRows);
        m_fGridRowSpacing = g.rowSpacing;
        m_bGridColumns = g.colCount > 0;
        if (m_bGridColumns) m_fGridColSpacing = g.colSpacing;
    }
}

// ------------------------------------------------------------------ appends

void CWaveWnd::AppendData(int channel, const void* samples, int count) {
    if (channel < 0 || channel >= m_nChannelCount.load()) return;
    if (!samples || count <= 0 || count > kWaveMaxAppendCount) return;
    m_channels[channel].buffer.AppendSamples(samples, count);
    RequestRepaint();
}

void CWaveWnd::AppendTypedData(int channel, int sampleType, const void* samples, int count) {
    if (channel < 0 || channel >= m_nChannelCount.load()) return;
    if (!samples || count <= 0 || count > kWaveMaxAppendCount) return;
    {
        CAutoBaseLock hold(m_appendLock);
        if (sampleType != m_nSampleType) return;
        m_channels[channel].buffer.AppendSamples(samples, count);
    }
    RequestRepaint();
}

void CWaveWnd::RequestRepaint() {
    // No lock is held here. A window destroyed meanwhile makes both calls fail
    // harmlessly; the handle is cleared before the chart frees anything.
    HWND target = m_hRepaintTarget.load();
    if (!target) return;
    if (m_bRepaintRequested.exchange(true)) return;  // a paint is on its way
    RECT scratch;
    if (!::GetUpdateRect(target, &scratch, FALSE)) ::InvalidateRect(target, nullptr, FALSE);
}
