// CWaveWnd's mouse interaction: drag to pan, wheel to zoom, double-click to
// reset the view, and the hover read-out in the chart's tooltip.
#include "WaveWnd.h"

#include <commctrl.h>

#include <cstdio>

BOOL CWaveWnd::AnyChannelEnabled() const {
    const int count = m_nChannelCount.load();
    for (int i = 0; i < count; ++i)
        if (m_channels[i].bEnabled) return TRUE;
    return FALSE;
}

bool CWaveWnd::OnLButtonDown(UINT flags, POINT point) {
    DefWindowProc(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
    if (!AnySwitch()) return true;
    ::SetCapture(m_hWnd);
    m_ptLastMouse = point;
    m_bDragging = TRUE;
    m_bFirstMoveX = m_bFirstMoveY = TRUE;
    return true;
}

bool CWaveWnd::OnLButtonUp(UINT flags, POINT point) {
    DefWindowProc(WM_LBUTTONUP, flags, MAKELPARAM(point.x, point.y));
    if (!AnySwitch()) return true;
    ::ReleaseCapture();
    m_bDragging = m_bFirstMoveX = m_bFirstMoveY = FALSE;
    return true;
}

bool CWaveWnd::OnLButtonDblClk(UINT flags, POINT point) {
    DefWindowProc(WM_LBUTTONDBLCLK, flags, MAKELPARAM(point.x, point.y));
    if (!AnySwitch()) return true;
    ResetView();
    return true;
}

void CWaveWnd::ResetView() {
    SetSideAxesRange(m_fYMin, m_fYMax);
    m_nScrollOffset = 0;
    SetHorzAxesRange(m_fXStart, m_fXEnd);
    m_fZoom = 1.0;
    for (WaveChannel& ch : m_channels) {
        ch.buffer.SetHistoryWindows(1);
        ch.buffer.SetValueRange(m_fYMin, m_fYMax);
        ch.buffer.SetScrollOffset(0);
    }
    Redraw();
}

bool CWaveWnd::OnMouseMove(UINT flags, POINT point) {
    DefWindowProc(WM_MOUSEMOVE, flags, MAKELPARAM(point.x, point.y));
    if (m_bDragging && AnyChannelEnabled()) {
        if (m_bDragY) {
            const int dy = point.y - m_ptLastMouse.y;
            if (WaveDragExceeds(dy, m_bFirstMoveY != FALSE)) {
                m_bFirstMoveY = FALSE;
                m_ptLastMouse.y = point.y;
                double min0 = 0, max0 = 0, lo = 0, hi = 0;
                m_channels[0].buffer.GetValueRange(&min0, &max0);
                if (WaveCalcVertPan(min0, max0, m_rcPlot.bottom - m_rcPlot.top, dy, &lo, &hi)) {
                    for (WaveChannel& ch : m_channels) ch.buffer.SetValueRange(lo, hi);
                    SetSideAxesRange(lo, hi);
                    Redraw();
                }
            }
        }
        if (m_bDragX) {
            const int dx = point.x - m_ptLastMouse.x;
            if (WaveDragExceeds(dx, m_bFirstMoveX != FALSE)) {
                WaveHorzPan pan = WaveCalcHorzPan(m_nWindowLength, m_fZoom, m_nClientWidth, m_nScrollOffset, dx);
                if (pan.moved) {
                    m_bFirstMoveX = FALSE;
                    m_ptLastMouse.x = point.x;
                    SetHorzAxesRange(m_topAxis.m_fMin - pan.shift, m_topAxis.m_fMax - pan.shift);
                    m_nScrollOffset = pan.scrollOffset;
                    for (WaveChannel& ch : m_channels) ch.buffer.SetScrollOffset(m_nScrollOffset);
                    Redraw();
                }
            }
        }
        return true;  // no hover read-out during a drag
    }
    if (!m_bTrackingLeave) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, m_hWnd, HOVER_DEFAULT};
        ::_TrackMouseEvent(&tme);
        m_bTrackingLeave = TRUE;
    }
    if (!m_bHoverTip) return true;
    if (::PtInRect(&m_rcPlot, point)) {
        if (point.x == m_ptLastHover.x && point.y == m_ptLastHover.y) return true;
        m_ptLastHover = point;
        UpdateHoverTip();
    } else {
        m_toolTip.Activate(FALSE);
        m_bTipShown = FALSE;
    }
    return true;
}

bool CWaveWnd::OnMouseLeave() {
    m_bTrackingLeave = FALSE;
    DefWindowProc(WM_MOUSELEAVE, 0, 0);
    if (m_bHoverTip && m_bTipShown) {
        m_toolTip.Activate(FALSE);
        m_bTipShown = FALSE;
    }
    return true;
}

bool CWaveWnd::OnMouseWheel(UINT flags, short delta, POINT screenPoint) {
    const WPARAM wParam = MAKEWPARAM(flags, static_cast<WORD>(delta));
    const LPARAM lParam = MAKELPARAM(screenPoint.x, screenPoint.y);
    POINT point = screenPoint;
    ::ScreenToClient(m_hWnd, &point);
    if ((m_bWheelZoomY || m_bWheelZoomX) && ::PtInRect(&m_rcPlot, point) && AnyChannelEnabled()) {
        // The key state of the message itself counts as well as the
        // keyboard's: both say Ctrl was down when the wheel turned.
        const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0 || (flags & MK_CONTROL) != 0;
        if (m_bWheelZoomX && ctrl) {
            WaveTimeZoom z = WaveCalcTimeZoom(m_nWindowLength, m_rcPlot.right - m_rcPlot.left, m_fZoom, m_nScrollOffset,
                                              point.x - m_rcPlot.left, delta, m_fXStart, m_fXEnd);
            if (z.accepted) {
                m_fZoom = z.zoom;
                for (WaveChannel& ch : m_channels) ch.buffer.SetHistoryWindows(z.historyWindows);
                SetHorzAxesRange(z.axisMin, z.axisMax);
                m_nScrollOffset = z.scrollOffset;
                for (WaveChannel& ch : m_channels) ch.buffer.SetScrollOffset(m_nScrollOffset);
                Redraw();
            }
        } else if (m_bWheelZoomY) {
            double min0 = 0, max0 = 0, lo = 0, hi = 0;
            m_channels[0].buffer.GetValueRange(&min0, &max0);
            if (WaveCalcValueZoom(min0, max0, m_rcPlot.bottom - m_rcPlot.top, point.y - m_rcPlot.top, delta, &lo,
                                  &hi)) {
                for (WaveChannel& ch : m_channels) ch.buffer.SetValueRange(lo, hi);
                SetSideAxesRange(lo, hi);
                Redraw();
            }
        }
    }
    DefWindowProc(WM_MOUSEWHEEL, wParam, lParam);
    return true;
}

void CWaveWnd::UpdateHoverTip() {
    const int mx = m_ptLastHover.x - m_rcPlot.left;
    const int my = m_ptLastHover.y - m_rcPlot.top;
    const int count = m_nChannelCount.load();
    int best = -1, bestPos = 0;
    double bestDistance = m_nClientHeight, bestValue = 0.0;
    for (int i = 0; i < count; ++i) {
        if (!m_channels[i].bEnabled) continue;
        int pos = 0, type = 0;
        double value = 0.0, y = 0.0;
        if (!m_channels[i].buffer.SampleAtColumn(m_rcPlot, m_fZoom, mx, &pos, &type, &value, &y)) continue;
        const double d = my > y ? my - y : y - my;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            bestPos = pos;
            bestValue = value;
        }
    }
    if (best < 0) return;
    const int position = WaveHoverPosition(m_nWindowLength, m_nScrollOffset, bestPos);
    std::wstring text;
    if (m_pHoverTextHook) {
        text = m_pHoverTextHook->GetHoverText(best, position, m_nScrollOffset, m_nWindowLength, bestValue,
                                              m_pHoverTextContext);
    } else if (!m_strHoverFormat[best].empty() && WaveHoverFormatIsSafe(m_strHoverFormat[best].c_str())) {
        wchar_t buffer[512];
        int n = std::swprintf(buffer, 512, m_strHoverFormat[best].c_str(), position, bestValue);
        if (n > 0) text.assign(buffer, n < 512 ? n : 511);
    }
    m_strLastHoverText = text;
    m_toolTip.UpdateTipText(text.c_str(), this, CToolTipCtrl::WindowToolId(this));
    if (!m_bTipShown) {
        m_toolTip.Activate(TRUE);
        m_bTipShown = TRUE;
    }
    MSG msg{};
    msg.hwnd = m_hWnd;
    msg.message = WM_MOUSEMOVE;
    msg.wParam = 0;
    msg.lParam = MAKELPARAM(m_ptLastHover.x & 0xFFFF, m_ptLastHover.y & 0xFFFF);
    msg.time = 0;
    msg.pt = m_ptLastHover;
    m_toolTip.RelayEvent(&msg);
}
