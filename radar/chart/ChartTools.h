// What the main window's chart offers beyond the curve: the read-out under
// the pointer (time before the newest report and distance), a right-click
// menu (save the picture as PNG, copy the samples shown as CSV, reset the
// view) and, while a run goes, a line in the chart's top-right corner on the
// link's health: reports per second, broken trailers, resyncs and port
// losses since the start. After a stop the line keeps the run's totals
// (without a rate): they describe the curve that stays on screen, and go
// with it at the next start or when a replay goes back to live.
//
// Threads: user-interface thread only. The acquisition thread counts into
// the acquisition's LinkHealthCounters; this reads them once a second.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/Acquisition.h"
#include "wave/WaveWnd.h"

class CChartTools : public IWaveHoverText {
public:
    static constexpr UINT_PTR kHealthTimer = 4;  // a timer id of the owner window
    static constexpr UINT kHealthIntervalMs = 1000;

    CChartTools(CWaveWnd& chart, radar::CAcquisition& acquisition) : m_chart(chart), m_acquisition(acquisition) {}

    // Once the chart exists: the read-out on, boxes and timers owned by owner.
    void Attach(HWND owner);
    // The report period the chart's samples are apart (at each chart restart).
    void SetPeriod(int periodMs) { m_periodMs = periodMs > 0 ? periodMs : 1; }

    // WM_CONTEXTMENU from the chart (source); screenPoint -1, -1: from the
    // keyboard. False when the message is not the chart's.
    bool OnContextMenu(HWND source, LPARAM screenPoint);
    // A menu command; false when id is not one of the chart's.
    bool OnCommand(UINT id);

    // The run's start and stop, and the health timer's tick.
    void RunStarted();
    void RunStopped();
    void OnHealthTimer();
    // Back to the chart of a fresh start: the last run's health line goes.
    void ForgetRun();
    // The port watch's finding; a change from there to away while a run goes
    // counts as a port loss.
    void PortSeen(bool away);

    // Writes pixels (width x height, 0x00RRGGBB, top row first) to path as
    // PNG through the tool's image functions. The file appears whole or not
    // at all: written beside it under another name, then moved into place.
    // On failure reason says why and nothing is left behind.
    static bool WritePng(const std::vector<DWORD>& pixels, int width, int height, const std::wstring& path,
                         std::wstring* reason);

    // IWaveHoverText: "T0-1.25 s: 123 cm" in the user's language.
    std::wstring GetHoverText(int channel, int position, int scrollOffset, int windowLength, double value,
                              void* context) override;

private:
    void SavePicture();
    void CopyData();
    void ShowFailure(const std::wstring& text);
    // The health line as things stand; paints only when the chart would not
    // paint by itself (stopped, or no reports coming).
    void ShowHealth(bool running);

    CWaveWnd& m_chart;
    radar::CAcquisition& m_acquisition;
    HWND m_owner = nullptr;
    int m_periodMs = 50;
    bool m_running = false;
    bool m_portAway = false;
    uint64_t m_reportsAtTick = 0;
    ULONGLONG m_tickMs = 0;
    int64_t m_paintsAtTick = -1;
    uint64_t m_rate = 0;
};
