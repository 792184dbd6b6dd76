// CWndResizeTool: keeps a window's descendant controls in proportion when the
// window changes size. It records once the client size and every control's
// rectangle and font; each resize moves the controls by the ratio of the new
// client size to the recorded one and gives each a copy of its recorded font
// scaled by the smaller ratio.
#pragma once

#include "handles/UniqueHandle.h"
#include "Tavo_Common.h"

#include <windows.h>

class CWndResizeTool {
public:
    // One per descendant control, owned by the tool.
    struct ChildRecord {
        HWND hWnd = nullptr;
        RECT rcOrig{};      // at attach, in its parent's client coordinates
        UniqueFont hFont;   // the font the tool last made for the control
        LOGFONTW lfOrig{};  // the control's font at attach; all zeros without one
    };

    CWndResizeTool() = default;
    virtual ~CWndResizeTool();
    CWndResizeTool(const CWndResizeTool&) = delete;
    CWndResizeTool& operator=(const CWndResizeTool&) = delete;

    // Records the window's client size and its descendants, and switches the
    // tool on without uniform scaling. A second call starts from scratch.
    void AttachWindow(HWND hwnd);
    // Appends records for the children of hwnd, depth first in z-order.
    void AddChildren(HWND hwnd);
    // Moves and refonts the recorded controls for a client of cx x cy.
    // Returns 0 (ratios 1.0) when switched off or when there is no area to
    // scale from or to; otherwise 1 with the ratios used.
    int ResizeChildren(int cx, int cy, double* ratioX = nullptr, double* ratioY = nullptr);

    int m_bEnabled = 0;
    int m_bUniform = 0;
    HWND m_hParent = nullptr;
    CPtrListCtrl m_records;
    int m_nOrigWidth = 0;
    int m_nOrigHeight = 0;

    int GetRecordCount() const { return m_records.GetCount(); }
    const ChildRecord* GetRecord(int index) const { return static_cast<const ChildRecord*>(m_records.GetAt(index)); }

private:
    ChildRecord* RecordAt(int index) const { return static_cast<ChildRecord*>(m_records.GetAt(index)); }
    void FreeRecords();
};
