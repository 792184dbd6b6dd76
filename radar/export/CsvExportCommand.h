// "导出CSV…" / "Export CSV…" in the main window's system menu: the user picks
// a recording and a CSV file name, the CSV is written on a worker thread
// (CCsvExport) while the window stays usable, the chart's status line shows
// how far it is, and a box tells the outcome. One export at a time: the entry
// is grayed from the first file dialog until the export has ended.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "export/CsvExport.h"

class CCsvExportCommand {
public:
    // progressChanged: the status line is to be shown again (ProgressText changed).
    // reportPeriodMs: the report period the window uses (above 0), asked at
    // each export, so time_s counts as the chart and the replay do.
    CCsvExportCommand(std::function<void()> progressChanged, std::function<int32_t()> reportPeriodMs)
        : m_progressChanged(std::move(progressChanged)), m_reportPeriodMs(std::move(reportPeriodMs)) {}

    // Once, when the window is made: a separator and the entry at the end of its system menu.
    void AddToSystemMenu(HWND window);
    // The entry's WM_SYSCOMMAND and the worker's posts; true when handled.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The line for the chart's status line while an export runs; empty otherwise.
    std::wstring ProgressText() const;
    // The window is going: a running export stops, its partial file is removed.
    void Stop();

    static constexpr UINT kMenuId = 0x0200;  // a system-menu command: a multiple of 16

private:
    void Run();
    bool ChooseRecording(std::wstring& path) const;
    bool ChooseCsv(const std::wstring& recording, std::wstring& path) const;
    void OnProgress();
    void OnDone();
    void SetBusy(bool busy);
    void Tell(const std::wstring& text, UINT type) const;
    // An error box: what failed (textId), the file, and the system's reason
    // when there is one (error not 0).
    void TellFailure(UINT textId, const std::wstring& path, DWORD error = 0) const;

    std::function<void()> m_progressChanged;
    std::function<int32_t()> m_reportPeriodMs;
    HWND m_window = nullptr;
    UINT m_message = 0;  // the worker's posts, registered by name
    std::unique_ptr<radar::CCsvExport> m_export;
    bool m_busy = false;                      // from the first file dialog until the end of the export
    int m_percent = -1;                       // shown in the status line; -1: nothing shown
    std::wstring m_recordingPath, m_csvPath;  // of the export running
};
