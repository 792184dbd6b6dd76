#include "WndResizeTool.h"

#include "LayoutMath.h"

#include <memory>
#include <vector>

namespace {

// Client size of a window; for a minimised window (whose client is empty) the
// client size it has when restored, from its normal placement less its frame.
SIZE ReferenceClientSize(HWND hwnd) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    SIZE size{client.right - client.left, client.bottom - client.top};
    if (size.cx > 0 && size.cy > 0) return size;

    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!::GetWindowPlacement(hwnd, &placement)) return size;
    const LONG style = static_cast<LONG>(::GetWindowLongPtrW(hwnd, GWL_STYLE)) & ~WS_MINIMIZE;
    const LONG exStyle = static_cast<LONG>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    RECT frame{0, 0, 0, 0};
    const BOOL hasMenu = !(style & WS_CHILD) && ::GetMenu(hwnd) != nullptr;
    if (!::AdjustWindowRectEx(&frame, static_cast<DWORD>(style), hasMenu, static_cast<DWORD>(exStyle))) return size;
    const RECT& normal = placement.rcNormalPosition;
    SIZE restored{(normal.right - normal.left) - (frame.right - frame.left),
                  (normal.bottom - normal.top) - (frame.bottom - frame.top)};
    if (restored.cx > 0 && restored.cy > 0) return restored;
    return size;
}

}  // namespace

CWndResizeTool::~CWndResizeTool() { FreeRecords(); }

void CWndResizeTool::FreeRecords() {
    for (int i = m_records.GetCount() - 1; i >= 0; --i) {
        std::unique_ptr<ChildRecord> record(RecordAt(i));
        // A control still showing our font would keep a deleted handle: it
        // goes back to the system font instead.
        if (record && record->hFont && ::IsWindow(record->hWnd) &&
            reinterpret_cast<HFONT>(::SendMessageW(record->hWnd, WM_GETFONT, 0, 0)) == record->hFont.Get())
            ::SendMessageW(record->hWnd, WM_SETFONT, 0, FALSE);
    }
    m_records.RemoveAll();
}

void CWndResizeTool::AttachWindow(HWND hwnd) {
    // The old records are set aside, not freed, until the new ones exist: the
    // controls may be using fonts this tool made, and their descriptions must
    // be read while those fonts are alive.
    std::vector<std::unique_ptr<ChildRecord>> old;
    old.reserve(static_cast<size_t>(m_records.GetCount()));  // may throw here, before anything changes hands
    for (int i = 0; i < m_records.GetCount(); ++i) old.emplace_back(RecordAt(i));
    m_records.RemoveAll();

    const SIZE size = ReferenceClientSize(hwnd);
    m_nOrigWidth = size.cx;
    m_nOrigHeight = size.cy;
    AddChildren(hwnd);

    // A control still showing a font of ours keeps it; the new record owns it.
    for (int i = 0; i < m_records.GetCount(); ++i) {
        ChildRecord* record = RecordAt(i);
        const HFONT current = reinterpret_cast<HFONT>(::SendMessageW(record->hWnd, WM_GETFONT, 0, 0));
        if (!current) continue;
        for (auto& previous : old) {
            if (previous && previous->hFont.Get() == current) {
                record->hFont.Reset(previous->hFont.Release());
                break;
            }
        }
    }
    old.clear();  // from here on nothing refers to the fonts that go with them

    m_bEnabled = 1;
    m_bUniform = 0;
    m_hParent = hwnd;
}

void CWndResizeTool::AddChildren(HWND hwnd) {
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        auto record = std::make_unique<ChildRecord>();
        record->hWnd = child;
        RECT rect{};
        ::GetWindowRect(child, &rect);
        POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
        ::ScreenToClient(hwnd, &corners[0]);
        ::ScreenToClient(hwnd, &corners[1]);
        record->rcOrig = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
        if (font && ::GetObjectW(font, sizeof(LOGFONTW), &record->lfOrig) != static_cast<int>(sizeof(LOGFONTW)))
            record->lfOrig = LOGFONTW{};
        if (m_records.AddData(record.get(), -1) < 0) return;  // out of memory: the rest stays unrecorded
        record.release();
        AddChildren(child);
    }
}

int CWndResizeTool::ResizeChildren(int cx, int cy, double* ratioX, double* ratioY) {
    if (ratioX) *ratioX = 1.0;
    if (ratioY) *ratioY = 1.0;
    if (!m_bEnabled) return 0;

    // Attached while the window had no client area and no normal size could
    // be found: the first real size becomes the reference.
    if ((m_nOrigWidth <= 0 || m_nOrigHeight <= 0) && cx > 0 && cy > 0) {
        m_nOrigWidth = cx;
        m_nOrigHeight = cy;
    }
    const ctlmath::ResizeRatios ratios =
        ctlmath::ComputeResizeRatios(cx, cy, m_nOrigWidth, m_nOrigHeight, m_bUniform != 0);
    if (!ratios.usable) return 0;  // an empty client: nothing to lay out

    // No parent any more: the controls are still laid out, but a redraw of a
    // null window would repaint the whole desktop.
    const bool parent = ::IsWindow(m_hParent) != FALSE;
    if (parent) ::SendMessageW(m_hParent, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < m_records.GetCount(); ++i) {
        ChildRecord* record = RecordAt(i);
        if (!record || !::IsWindow(record->hWnd)) continue;
        const ctlmath::IntRect orig{record->rcOrig.left, record->rcOrig.top, record->rcOrig.right,
                                    record->rcOrig.bottom};
        const ctlmath::IntRect r = ctlmath::ScaleRect(orig, ratios.sx, ratios.sy);
        ::MoveWindow(record->hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);

        if (record->lfOrig.lfHeight == 0) continue;
        LOGFONTW lf = record->lfOrig;
        lf.lfHeight = ctlmath::ScaleFontDimension(lf.lfHeight, ratios.m);
        lf.lfWidth = ctlmath::ScaleFontDimension(lf.lfWidth, ratios.m);
        HFONT font = ::CreateFontIndirectW(&lf);
        if (!font) continue;  // the control keeps its current font
        // Handed over before the previous one is deleted, so the control never
        // holds a deleted font.
        ::SendMessageW(record->hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        record->hFont.Reset(font);
    }
    if (parent) {
        ::SendMessageW(m_hParent, WM_SETREDRAW, TRUE, 0);
        // The children too: they were moved and refonted without repainting,
        // and a parent with WS_CLIPCHILDREN would not pass its update on.
        ::RedrawWindow(m_hParent, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }

    if (ratioX) *ratioX = ratios.sx;
    if (ratioY) *ratioY = ratios.sy;
    return 1;
}
