// Drawing of CWaveCoordinate's labels into a device context (Windows only);
// every number, text and rectangle comes from the portable label arithmetic.
#include "WaveCoordinate.h"

#include <windows.h>

static_assert(WAVE_DT_CENTER == DT_CENTER && WAVE_DT_RIGHT == DT_RIGHT && WAVE_DT_VCENTER == DT_VCENTER &&
                  WAVE_DT_BOTTOM == DT_BOTTOM && WAVE_DT_SINGLELINE == DT_SINGLELINE &&
                  WAVE_DT_END_ELLIPSIS == DT_END_ELLIPSIS,
              "label formats are DrawText's");

void CWaveCoordinate::InitDrawing() {
    m_font.CreatePointFont(80, L"黑体");
    m_nTextColor = ::GetSysColor(COLOR_WINDOWTEXT);
}

void CWaveCoordinate::Draw(CDC* dc) {
    if (m_bVertical)
        DrawVertical(dc);
    else
        DrawHorizontal(dc);
}

// Both directions are one algorithm: GetLabelBox swaps the axis by m_bVertical.
void CWaveCoordinate::DrawHorizontal(CDC* dc) { DrawLabels(dc); }

void CWaveCoordinate::DrawVertical(CDC* dc) { DrawLabels(dc); }

void CWaveCoordinate::DrawLabels(CDC* dc) {
    if (dc == nullptr || dc->GetSafeHdc() == nullptr) return;
    WaveAxisLabelBox box;
    for (int i = 0; i < GetLabelCount(); ++i) {
        if (GetLabelBox(i, &box)) dc->DrawTextW(box.strText, &box.rcText, box.nFormat);
    }
}
