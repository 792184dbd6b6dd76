// CWaveWnd painting: background layer (fills, plot picture, grid, axis
// labels, overlay texts), frame layer (markers, curves, counter) and the
// copy to the screen.
#include "WaveWnd.h"

#include <cstring>

namespace {

WaveBox BoxOf(const RECT& rc) { return WaveBox{rc.left, rc.top, rc.right, rc.bottom}; }

// Longest colour pattern handed to the line drawer; every entry has the same
// colour, so a longer one would draw nothing different.
constexpr int kMaxPatternLength = 1024;

}  // namespace

bool CWaveWnd::OnPaint() {
    CPaintDC paint(this);
    // Cleared only once BeginPaint has validated the update region: an append
    // from now on invalidates again and gets the next paint. Cleared before,
    // an append in between would find the region still pending, skip its
    // request and leave the flag set with no paint coming: the chart froze.
    m_bRepaintRequested.store(false);
    ++m_nPaintCount;
    if (!m_hFrontBitmap || !m_pFrontPixels) return true;  // empty client area: only validate
    UniqueCreatedDC memory = CompatibleDC(paint);
    if (!memory) return true;
    SelectionGuard select(memory.Get(), m_hFrontBitmap.Get());
    CDC dc(memory.Get());
    DrawFrame(&dc);
    ::BitBlt(paint, 0, 0, m_nClientWidth, m_nClientHeight, memory.Get(), 0, 0, SRCCOPY);
    return true;
}

void CWaveWnd::BuildPoints(WaveChannel& channel) {
    channel.points.RemoveAll();
    channel.buffer.MapToPoints(m_rcPlot, m_fZoom, channel.points);
    const int n = channel.points.GetCount();
    m_scratchPoints.clear();
    m_scratchPoints.reserve(n);
    for (int i = 0; i < n; ++i)
        m_scratchPoints.push_back(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(channel.points.GetAt(i))));
    const size_t before = m_scratchPoints.size();
    WaveClipPoints(m_scratchPoints, BoxOf(m_rcPlot));
    WaveThinPoints(m_scratchPoints, WaveThinningGap(m_rcPlot.right - m_rcPlot.left, m_nPointBudget));
    if (m_scratchPoints.size() == before) return;  // nothing removed: the list stands
    channel.points.RemoveAll();
    for (uint64_t p : m_scratchPoints) channel.points.AddData(reinterpret_cast<void*>(static_cast<uintptr_t>(p)), -1);
}

void CWaveWnd::DrawFrame(CDC* dc) {
    if (!m_pFrontPixels || !m_pBackPixels || !dc) return;
    if (m_bBackgroundDirty) {
        RenderBackground();
        m_bBackgroundDirty = FALSE;
    }
    const int count = m_nChannelCount.load();
    for (int i = 0; i < count; ++i)
        if (m_channels[i].bEnabled) BuildPoints(m_channels[i]);

    ::GdiFlush();  // pending GDI output must reach the pixels before they are copied
    std::memcpy(m_pFrontPixels, m_pBackPixels,
                static_cast<size_t>(m_nClientWidth) * static_cast<size_t>(m_nClientHeight) * 4);
    if (m_bMarkers) DrawMarkers();

    int64_t windows = 0;
    for (int i = 0; i < count; ++i) {
        WaveChannel& ch = m_channels[i];
        if (!ch.bEnabled) continue;
        BOOL drawn = FALSE;
        if (m_pDrawHook) {
            m_pDrawHook->OnPrepareCurve(i, m_rcPlot, &ch.points, m_pDrawHookContext);
            drawn = m_pDrawHook->OnDrawCurve(dc, m_rcPlot, i, &ch.points, m_nLineWidth, ch.nColor, m_bSmoothCurve,
                                             m_pDrawHookContext);
        }
        if (!drawn) DrawCurve(dc, &ch.points, m_nLineWidth, ch.nColor, m_bSmoothCurve);
        const int64_t appended = ch.buffer.GetWindowsAppended();
        if (appended > windows) windows = appended;
    }

    if (m_bCounter) {
        std::wstring text = m_strCounterPrefix + std::to_wstring(static_cast<long long>(windows));
        SelectionGuard font(*dc, m_counterFont.GetSafeHandle());
        const int oldMode = dc->SetBkMode(TRANSPARENT);
        const COLORREF oldColor = dc->SetTextColor(m_nCounterColor);
        RECT rc = m_rcPlot;
        dc->DrawTextW(text, &rc, m_nCounterFormat);
        dc->SetTextColor(oldColor);
        dc->SetBkMode(oldMode);
    }
    DrawStatusText(dc);
    DrawCornerText(dc);
    ::GdiFlush();

    if (m_bHoverTip && m_bTipShown && m_toolTip.IsWindow() && m_toolTip.IsWindowVisible()) UpdateHoverTip();
}

void CWaveWnd::DrawStatusText(CDC* dc) {
    if (m_strStatus.empty()) return;
    // On an opaque band in the background colour: readable over the curve and
    // the plot picture alike.
    SelectionGuard font(*dc, GetFont());
    const int oldMode = dc->SetBkMode(OPAQUE);
    const COLORREF oldBack = ::SetBkColor(*dc, m_nBackColor);
    const COLORREF oldColor = dc->SetTextColor(m_nStatusColor);
    RECT rc = m_rcPlot;
    ::InflateRect(&rc, -4, -2);
    dc->DrawTextW(m_strStatus, &rc, DT_LEFT | DT_TOP | DT_NOPREFIX);
    dc->SetTextColor(oldColor);
    ::SetBkColor(*dc, oldBack);
    dc->SetBkMode(oldMode);
}

void CWaveWnd::DrawCornerText(CDC* dc) {
    m_strCornerShown = m_strCorner;
    if (m_strCorner.empty()) return;
    // Like the status line, on an opaque band; right-aligned, so the notices
    // at the left stay readable beside it.
    SelectionGuard font(*dc, GetFont());
    const int oldMode = dc->SetBkMode(OPAQUE);
    const COLORREF oldBack = ::SetBkColor(*dc, m_nBackColor);
    const COLORREF oldColor = dc->SetTextColor(m_bottomAxis.m_nTextColor);
    RECT rc = m_rcPlot;
    ::InflateRect(&rc, -4, -2);
    dc->DrawTextW(m_strCorner, &rc, DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    dc->SetTextColor(oldColor);
    ::SetBkColor(*dc, oldBack);
    dc->SetBkMode(oldMode);
}

void CWaveWnd::DrawCurve(CDC* dc, CPtrArrayCtrl* points, int lineWidth, COLORREF color, BOOL smooth) {
    const int n = points ? points->GetCount() : 0;
    if (n <= 0 || !dc) return;
    std::vector<POINT> pts(n);
    for (int i = 0; i < n; ++i) {
        const uint64_t p = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(points->GetAt(i)));
        pts[i].x = WavePackedX(p);
        pts[i].y = WavePackedY(p);
    }
    // A window of one sample maps to a single point, which a polyline does
    // not draw: that sample is shown holding across the plot.
    if (n == 1) {
        pts[0].x = m_rcPlot.left;
        pts.push_back({m_rcPlot.right - 1, pts[0].y});
    }
    const int count = static_cast<int>(pts.size());
    if (lineWidth < 0) lineWidth = 0;
    if (smooth) {
        const DWORD argb = 0xFF000000u | (static_cast<DWORD>(GetRValue(color)) << 16) |
                           (static_cast<DWORD>(GetGValue(color)) << 8) | GetBValue(color);
        Gdiplus::Pen pen(Gdiplus::Color(argb), static_cast<Gdiplus::REAL>(lineWidth));
        Gdiplus::Graphics graphics(dc->GetSafeHdc());
        static_assert(sizeof(Gdiplus::Point) == sizeof(POINT), "GDI+ points are pairs of INT");
        graphics.DrawCurve(&pen, reinterpret_cast<const Gdiplus::Point*>(pts.data()), count);
        return;
    }
    UniquePen pen(::CreatePen(PS_SOLID, lineWidth, color & 0xFFFFFF));
    if (!pen) return;
    SelectionGuard select(*dc, pen.Get());
    ::Polyline(*dc, pts.data(), count);
}

void CWaveWnd::RenderBackground() {
    CalcLayout();
    if (!m_pBackPixels) return;
    const int width = m_nClientWidth, height = m_nClientHeight, stride = width * 4;
    RECT all;
    SetRectXY(&all, 0, 0, width, height);
    DrawColorOnBuffer(m_nBackColor, m_pBackPixels, &all, stride);

    const int pw = m_rcPlot.right - m_rcPlot.left, ph = m_rcPlot.bottom - m_rcPlot.top;
    if (m_bPlotBackground && pw > 0 && ph > 0) {
        if (m_nPlotBackMode == 1 && m_pPlotPictureScaled) {
            // The picture was scaled when the bitmaps were made; if the axes
            // changed since, copy only what fits so no row runs past the plot.
            const int cw = std::min<int>(pw, static_cast<int>(m_pPlotPictureScaled.Get()->GetWidth()));
            const int ch = std::min<int>(ph, static_cast<int>(m_pPlotPictureScaled.Get()->GetHeight()));
            RECT source;
            SetRectXY(&source, 0, 0, cw, ch);
            unsigned char* destination = reinterpret_cast<unsigned char*>(m_pBackPixels) +
                                         (static_cast<size_t>(m_rcPlot.top) * width + m_rcPlot.left) * 4;
            if (cw > 0 && ch > 0)
                Gdiplus_GetBitmapBuffer(m_pPlotPictureScaled.Get(), &source, PixelFormat32bppARGB, destination, stride);
        } else {
            DrawColorOnBuffer(m_nPlotBackColor, m_pBackPixels, &m_rcPlot, stride);
        }
    }
    if (m_bGrid)
        DrawGridOnBuffer(m_pBackPixels, width, height, m_rcPlot, m_fGridColSpacing, m_fGridRowSpacing,
                         m_nGridPatternLength, m_nGridColor, m_nGridCenterColor);

    UniqueCreatedDC memory = CompatibleDC(nullptr);
    if (!memory) return;
    SelectionGuard select(memory.Get(), m_hBackBitmap.Get());
    CDC dc(memory.Get());
    if (m_pDrawHook)
        m_pDrawHook->OnDrawBackground(&dc, m_hBackBitmap.Get(), m_pBackPixels, width, height, stride, m_rcLeftAxis,
                                      m_rcTopAxis, m_rcRightAxis, m_rcBottomAxis, m_rcPlot, m_pDrawHookContext);
    struct Shown {
        BOOL show;
        CWaveCoordinate* axis;
    } axes[] = {{m_bLeftAxis, &m_leftAxis},
                {m_bTopAxis, &m_topAxis},
                {m_bRightAxis, &m_rightAxis},
                {m_bBottomAxis, &m_bottomAxis}};
    for (const Shown& s : axes) {
        if (!s.show) continue;
        const int oldMode = dc.SetBkMode(TRANSPARENT);
        SelectionGuard font(dc, s.axis->m_font.GetSafeHandle());
        const COLORREF oldColor = dc.SetTextColor(s.axis->m_nTextColor);
        s.axis->Draw(&dc);
        dc.SetTextColor(oldColor);
        font.Restore();
        dc.SetBkMode(oldMode);
    }
    DrawOverlayTexts(&dc);
    ::GdiFlush();
}

void CWaveWnd::DrawGridOnBuffer(void* pixels, int width, int height, const RECT& plot, double colSpacing,
                                double rowSpacing, int patternLength, DWORD color, DWORD centerColor) {
    if (!pixels || width <= 0 || height <= 0) return;
    // A pattern length of 0 or less would leave the line drawer no colour.
    const int n = patternLength < 1 ? 1 : (patternLength > kMaxPatternLength ? kMaxPatternLength : patternLength);
    std::vector<DWORD> grid(n, color), center(n, centerColor);
    const int stride = width * 4;
    WaveGridLines lines = WaveCalcGridLines(BoxOf(plot), colSpacing, rowSpacing, m_bGridColumns != FALSE);
    auto line = [&](int x0, int y0, int x1, int y1, const std::vector<DWORD>& pattern) {
        DrawLineOnBuffer(pixels, POINT{x0, y0}, POINT{x1, y1}, width, height, stride, 4, n, pattern.data(), 0);
    };
    for (int y : lines.rows) line(plot.left, y, plot.right, y, grid);
    line(plot.left, lines.centerRow, plot.right, lines.centerRow, center);
    for (int x : lines.cols) line(x, plot.top, x, plot.bottom, grid);
    line(lines.centerCol, plot.top, lines.centerCol, plot.bottom, center);
}

void CWaveWnd::DrawOverlayTexts(CDC* dc) {
    CAutoBaseLock hold(m_overlayLock);
    const int count = m_overlayTexts.GetCount();
    if (count <= 0 || !dc) return;
    Gdiplus::Graphics graphics(dc->GetSafeHdc());
    for (int i = 0; i < count; ++i) {
        auto* item = static_cast<WaveOverlayText*>(m_overlayTexts.GetAt(i));
        if (!item || item->strText.empty() || !item->pFont) continue;
        RECT layout = m_rcPlot;
        if (!::IsRectEmpty(&item->rcText)) BoundRect(&layout, &item->rcText, &m_rcPlot);
        Gdiplus::SolidBrush brush(Gdiplus::Color(item->nArgb));
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        Gdiplus::RectF rect(static_cast<Gdiplus::REAL>(layout.left), static_cast<Gdiplus::REAL>(layout.top),
                            static_cast<Gdiplus::REAL>(layout.right - layout.left),
                            static_cast<Gdiplus::REAL>(layout.bottom - layout.top));
        graphics.DrawString(item->strText.c_str(), static_cast<INT>(item->strText.size()), item->pFont.get(), rect,
                            item->format.get(), &brush);
    }
}

void CWaveWnd::DrawMarkers() {
    if (!m_pFrontPixels) return;
    const int W = m_rcPlot.right - m_rcPlot.left, H = m_rcPlot.bottom - m_rcPlot.top;
    if (W <= 0 || H <= 0) return;
    const int count = m_nChannelCount.load();
    for (int k = 0, n = m_markers.GetCount(); k < n; ++k) {
        const int position = static_cast<int>(reinterpret_cast<intptr_t>(m_markers.GetAt(k)));
        WaveMarkerBand band;
        if (!WaveCalcMarkerBand(position, W, m_nWindowLength, m_nMarkerWidth, &band)) continue;
        double best = H;
        bool found = false;
        for (int i = 0; i < count; ++i) {
            if (!m_channels[i].bEnabled) continue;
            int pos = 0, type = 0;
            double value = 0.0, y = 0.0;
            if (!m_channels[i].buffer.SampleAtColumn(m_rcPlot, m_fZoom, band.column, &pos, &type, &value, &y)) continue;
            if (y < best) {
                best = y;
                found = true;
            }
        }
        if (!found) continue;
        const int firstRow = m_rcPlot.top + std::max(0, static_cast<int>(best));
        for (int row = firstRow; row < m_rcPlot.bottom; ++row) {
            DWORD* line = m_pFrontPixels + static_cast<size_t>(row) * m_nClientWidth;
            for (int x = m_rcPlot.left + band.x0; x <= m_rcPlot.left + band.x1; ++x) line[x] = m_nMarkerColor;
        }
    }
}
