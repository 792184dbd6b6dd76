// Label arithmetic of CWaveCoordinate: values, decimals, wrapping, texts and
// label rectangles. No Windows headers: the host build tests all of it.
#include "WaveCoordinate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

namespace {

constexpr double kWrapSlack = 1e-16;

// Half away from zero, clamped to the range of a RECT coordinate (start plus
// a rounded offset is summed in double, so no int can overflow on the way).
LONG RoundToLong(double v) {
    if (std::isnan(v)) return 0;
    v = std::round(v);
    if (v <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    return static_cast<LONG>(v);
}

LONG AddClamped(LONG a, LONG b) { return static_cast<LONG>(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX)); }

LONG SubClamped(LONG a, LONG b) { return static_cast<LONG>(std::clamp<int64_t>(int64_t(a) - b, INT32_MIN, INT32_MAX)); }

std::wstring Widen(const std::string& s) {
    // Formatted numbers are plain ASCII.
    return std::wstring(s.begin(), s.end());
}

}  // namespace

CWaveCoordinate::CWaveCoordinate()
    : m_bVertical(FALSE),
      m_bAlignStart(TRUE),
      m_nTickCount(5),
      m_fMin(-32768.0),
      m_fMax(32768.0),
      m_fWrapLow(0.0),
      m_fWrapHigh(0.0),
      m_fWrapPeriod(-1.0),
      m_rcAxis{0, 0, 0, 0},
      m_nTextColor(0),
      m_nLabelInset(0),
      m_nDecimals(-1) {
    InitDrawing();
}

CWaveCoordinate::~CWaveCoordinate() { DeleteLabels(); }

#ifndef _WIN32
void CWaveCoordinate::InitDrawing() { m_nTextColor = RGB(0, 0, 0); }
#endif

void CWaveCoordinate::DeleteLabels() {
    for (int i = 0; i < m_labels.GetCount(); ++i) delete static_cast<WaveAxisLabel*>(m_labels.GetAt(i));
    m_labels.RemoveAll();
}

void CWaveCoordinate::SetLabels(const CPtrArrayCtrl* source) {
    DeleteLabels();
    if (source == nullptr || source == &m_labels) return;
    for (int i = 0; i < source->GetCount(); ++i) {
        const auto* item = static_cast<const WaveAxisLabel*>(source->GetAt(i));
        if (item == nullptr) continue;
        auto* copy = new (std::nothrow) WaveAxisLabel(*item);
        if (copy != nullptr && m_labels.AddData(copy, -1) < 0) delete copy;
    }
}

const WaveAxisLabel* CWaveCoordinate::FindLabel(int i) const {
    for (int k = 0; k < m_labels.GetCount(); ++k) {
        const auto* item = static_cast<const WaveAxisLabel*>(m_labels.GetAt(k));
        if (item != nullptr && item->nKey == i) return item;
    }
    return nullptr;
}

int CWaveCoordinate::GetLabelCount() const { return m_nTickCount > 0 ? m_nTickCount : 0; }

double CWaveCoordinate::GetStep() const {
    // A single label has no neighbour to step to (and no division by zero).
    return m_nTickCount > 1 ? (m_fMax - m_fMin) / (m_nTickCount - 1) : 0.0;
}

int CWaveCoordinate::GetDecimals() const {
    if (m_nDecimals >= 0) return std::min(m_nDecimals, kMaxDecimals);
    int d = 0;
    for (double v = GetStep(); std::fabs(v) < 1.0 && d < 10; v *= 10.0) ++d;
    return d;
}

double CWaveCoordinate::GetLabelValue(int i) const {
    const int d = GetDecimals();
    const int k = m_bVertical ? m_nTickCount - 1 - i : i;
    double value = m_fMin + k * GetStep();
    const double p = std::pow(10.0, d);
    const double scaled = std::round(p * value) / p;
    if (std::isfinite(scaled)) value = scaled;  // beyond double's range the unrounded value is shown

    const double period = m_fWrapPeriod;
    if (period > 0.0 && std::isfinite(value) && (value < m_fWrapLow - kWrapSlack || value > m_fWrapHigh + kWrapSlack)) {
        // Whole periods taken off toward zero; in double, so a quotient
        // beyond 32 bits stays defined.
        const double q = std::trunc(value / period);
        if (std::isfinite(q)) value -= q * period;
        if (value < m_fWrapLow - kWrapSlack)
            value += period;
        else if (value > m_fWrapHigh + kWrapSlack)
            value -= period;
    }
    return value;
}

std::wstring CWaveCoordinate::GetLabelText(int i) const {
    if (const WaveAxisLabel* fixed = FindLabel(i)) return fixed->strText;
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", GetDecimals());
    const double value = GetLabelValue(i);
    const int len = std::snprintf(nullptr, 0, format, value);
    if (len <= 0) return std::wstring();
    std::string text(static_cast<size_t>(len) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, value);
    text.resize(static_cast<size_t>(len));
    return Widen(text);
}

BOOL CWaveCoordinate::GetLabelBox(int i, WaveAxisLabelBox* box) const {
    const int count = GetLabelCount();
    if (box == nullptr || i < 0 || i >= count) return FALSE;

    const RECT& rc = m_rcAxis;
    const LONG start = m_bVertical ? rc.top : rc.left;
    const double length = m_bVertical ? double(rc.bottom) - rc.top : double(rc.right) - rc.left;
    const double pitch = count > 1 ? length / (count - 1) : 0.0;

    RECT text = rc;
    if (m_bVertical) {
        if (m_bAlignStart)
            text.left = AddClamped(text.left, m_nLabelInset);
        else
            text.right = SubClamped(text.right, m_nLabelInset);
    } else {
        if (m_bAlignStart)
            text.top = AddClamped(text.top, m_nLabelInset);
        else
            text.bottom = SubClamped(text.bottom, m_nLabelInset);
    }

    // Along the axis: the first label from the start edge, the last up to
    // the end edge, the others centred on their position.
    double from, to;
    enum { kFirst, kMiddle, kLast } place;
    if (i == 0) {
        from = 0.0;
        to = pitch;
        place = kFirst;
    } else if (i == count - 1) {
        from = (i - 1) * pitch;
        to = i * pitch;
        place = kLast;
    } else {
        from = (i - 0.5) * pitch;
        to = (i + 0.5) * pitch;
        place = kMiddle;
    }
    const LONG a = RoundToLong(double(start) + std::round(from));
    const LONG b = RoundToLong(double(start) + std::round(to));

    UINT format = WAVE_DT_SINGLELINE | WAVE_DT_END_ELLIPSIS;
    if (m_bVertical) {
        text.top = a;
        text.bottom = b;
        format |= place == kFirst ? 0u : place == kMiddle ? WAVE_DT_VCENTER : WAVE_DT_BOTTOM;
        format |= m_bAlignStart ? 0u : WAVE_DT_RIGHT;
    } else {
        text.left = a;
        text.right = b;
        format |= place == kFirst ? 0u : place == kMiddle ? WAVE_DT_CENTER : WAVE_DT_RIGHT;
        format |= m_bAlignStart ? 0u : WAVE_DT_BOTTOM;
    }

    box->strText = GetLabelText(i);
    box->rcText = text;
    box->nFormat = format;
    return TRUE;
}
