// The main window's side of the tuning assistant: its system-menu entry, the
// timed recording (WindowMode::TimedRecording) and the suggestion given to
// the parameter dialog.
#include "window/Tavo_Ladu330_Pk27ToolDlg.h"

#include "framework/ResourceStrings.h"
#include "framework/SystemMessage.h"
#include "resource.h"

void CTavo_Ladu330_Pk27ToolDlg::InitTuningAssistant() {
    const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (!menu) return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_TUNING_ASSISTANT, LoadResString(IDS_TUNE_MENU).c_str());
}

bool CTavo_Ladu330_Pk27ToolDlg::OnAssistantMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_SYSCOMMAND || (wParam & 0xFFF0) != IDM_TUNING_ASSISTANT) return false;
    m_tuningAssistant.Open(this);
    m_tuningAssistant.ShowMode(radar::ViewOf(m_mode, m_profileMark));
    result = 0;
    return true;
}

bool CTavo_Ladu330_Pk27ToolDlg::StartTimedRecording() {
    if (!radar::ViewOf(m_mode, m_profileMark).timedRecording || !BeginRun()) return false;
    m_timedSecondsLeft = CTuningAssistantDlg::kTimedRecordingSeconds;
    m_timedRecordingDone = false;
    OnModeEvent(radar::WindowEvent::TimedRecordingStarted);
    if (!::SetTimer(m_hWnd, kTimedRecordingTimer, 1000, nullptr)) {
        // Without its timer the recording would never end by itself: it is
        // stopped (the Stopped event ends it, held by no step) and told.
        const DWORD error = ::GetLastError();
        StopAcquisition();
        ShowErrorText(LoadResString(IDS_TUNE_TIMER_FAILED) + L"\n" + SystemMessage(error));
        return false;
    }
    m_tuningAssistant.ShowCountdown(m_timedSecondsLeft);
    SaveConfig();
    return true;
}

void CTavo_Ladu330_Pk27ToolDlg::OnTimedRecordingTick() {
    if (m_mode != radar::WindowMode::TimedRecording) return;
    if (--m_timedSecondsLeft > 0) return m_tuningAssistant.ShowCountdown(m_timedSecondsLeft);
    m_timedRecordingDone = true;
    StopAcquisition();  // the Stopped event ends it: EndTimedRecording
}

void CTavo_Ladu330_Pk27ToolDlg::CancelTimedRecording() {
    if (m_mode == radar::WindowMode::TimedRecording) StopAcquisition();
}

void CTavo_Ladu330_Pk27ToolDlg::EndTimedRecording() {
    ::KillTimer(m_hWnd, kTimedRecordingTimer);
    // The data file is closed by now; one that failed holds less than the
    // time asked for (its failure is told as any run's).
    const COutputFile& file = m_acquisition.DataFile();
    const bool kept = m_timedRecordingDone && !file.Failed() && !file.Path().empty();
    m_timedRecordingDone = false;
    m_tuningAssistant.TimedRecordingEnded(kept ? file.Path() : std::wstring());
}

void CTavo_Ladu330_Pk27ToolDlg::LoadSuggestion(const RadarParam& suggested) {
    if (!radar::ViewOf(m_mode, m_profileMark).moduleCommands) return;
    // As a profile loaded in the parameter dialog: the mark says it waits to
    // be written, and the user writes it there.
    m_paramDlg.LoadRecord(suggested);
    m_paramDlg.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_paramDlg.GetSafeHwnd());
}
