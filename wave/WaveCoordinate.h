// CWaveCoordinate: one axis of the waveform chart, a row or column of evenly
// spaced labels beside the plot. An axis draws text only; the plot's grid
// supplies the lines. A label shows a number formatted from the axis range or
// a fixed text the owner supplied for that position (WaveAxisLabel).
//
// The label arithmetic (values, decimals, wrapping, texts, rectangles and
// DrawText formats) is Windows-free and builds on the host; only Draw, which
// puts the labels into a device context, and the font are Windows code
// (WaveCoordinateDraw.cpp).
#pragma once

#include <string>

#include "Tavo_Common.h"

#ifdef _WIN32
#include "framework/Gdi.h"
#endif

// A fixed label text replacing the number at one position. Position 0 is the
// leftmost label of a horizontal axis and the topmost of a vertical one.
struct WaveAxisLabel {
    int nKey = 0;
    std::wstring strText;
};

// DrawText format bits the axis uses (the values of DT_*).
constexpr UINT WAVE_DT_CENTER = 0x1, WAVE_DT_RIGHT = 0x2, WAVE_DT_VCENTER = 0x4, WAVE_DT_BOTTOM = 0x8,
               WAVE_DT_SINGLELINE = 0x20, WAVE_DT_END_ELLIPSIS = 0x8000;

// One label ready to draw: its text, the rectangle DrawText gets and the format.
struct WaveAxisLabelBox {
    std::wstring strText;
    RECT rcText;
    UINT nFormat;
};

class CWaveCoordinate {
public:
    // Largest number of decimals a label is formatted with; a double carries
    // no more significant digits than this.
    static constexpr int kMaxDecimals = 20;

    CWaveCoordinate();
    virtual ~CWaveCoordinate();
    CWaveCoordinate(const CWaveCoordinate&) = delete;
    CWaveCoordinate& operator=(const CWaveCoordinate&) = delete;

    // Deletes the current fixed labels, then copies every WaveAxisLabel of
    // source (null entries skipped) in order. Null source: no fixed labels.
    // The caller keeps and frees its own items.
    void SetLabels(const CPtrArrayCtrl* source);
    // The first fixed label whose key is position i, or null.
    const WaveAxisLabel* FindLabel(int i) const;

#ifdef _WIN32
    // Draws the labels into dc. The caller has selected m_font, set the text
    // colour to m_nTextColor and a transparent background mode; the axis
    // changes nothing in the device context.
    void Draw(CDC* dc);
    void DrawHorizontal(CDC* dc);
    void DrawVertical(CDC* dc);
#endif

    // --- label arithmetic (portable) ---
    // Number of labels drawn: m_nTickCount, or 0 when it is below 1.
    int GetLabelCount() const;
    // Distance between label values; 0 with fewer than two labels.
    double GetStep() const;
    // Digits after the decimal point: m_nDecimals when >= 0 (at most
    // kMaxDecimals), otherwise as many as the step needs, at most 10.
    int GetDecimals() const;
    // The number label i shows, rounded to GetDecimals() and wrapped.
    double GetLabelValue(int i) const;
    // Text of label i: the fixed text for that position or the number.
    std::wstring GetLabelText(int i) const;
    // Text, rectangle and DrawText format of label i; FALSE when i is not a
    // label position.
    BOOL GetLabelBox(int i, WaveAxisLabelBox* box) const;

    // Settings, written by the owner (user-interface thread) directly; the
    // chart rebuilds its background afterwards.
    BOOL m_bVertical;    // TRUE: labels top to bottom (left, right axes)
    BOOL m_bAlignStart;  // TRUE: against the top/left edge; FALSE: bottom/right
    int m_nTickCount;    // number of labels
    double m_fMin;       // first label (leftmost; bottom of a vertical axis)
    double m_fMax;       // last label (rightmost; top of a vertical axis)
    double m_fWrapLow;
    double m_fWrapHigh;
    double m_fWrapPeriod;  // <= 0: no wrapping
    RECT m_rcAxis;         // client pixels, set by the chart's layout
#ifdef _WIN32
    CFont m_font;  // 8-point "黑体" until the owner replaces it
#endif
    COLORREF m_nTextColor;
    int m_nLabelInset;       // pixels between the aligned edge and the labels
    int m_nDecimals;         // < 0: automatic
    CPtrArrayCtrl m_labels;  // owned WaveAxisLabel items

private:
    // Font and text colour: GDI on Windows, plain defaults on the host.
    void InitDrawing();
    void DeleteLabels();
#ifdef _WIN32
    void DrawLabels(CDC* dc);
#endif
};
