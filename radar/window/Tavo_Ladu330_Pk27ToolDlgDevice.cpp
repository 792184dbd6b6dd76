// The main window's device side: the port list, connecting, starting and
// stopping, the baud rate and version label (a replay in place of the module:
// …DlgReplay.cpp).
#include "window/Tavo_Ladu330_Pk27ToolDlg.h"

#include <string>

#include "framework/ResourceStrings.h"
#include "resource.h"

namespace {

// Opening the port: tries, 100 ms apart; 8N1; drop what the driver holds; the
// library's own commands wait this long for their replies.
constexpr int kOpenAttempts = 2;
constexpr int kFraming8N1 = 1;
constexpr int kPurgeOnOpen = 1;
constexpr int kReplyTimeoutMs = 150;
// Starting the reports: command mode in this many tries of kReplyTimeoutMs
// each, after dropping input until the line is quiet (at most this long).
constexpr int kCommandModeAttempts = 2;
constexpr int kCleanInputMaxMs = 500;
constexpr UINT kPortWatchMs = 500;

std::wstring FromAnsi(const char* text, UINT codePage) {
    if (!text || !*text) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

}  // namespace

void CTavo_Ladu330_Pk27ToolDlg::OnBnClickedRefresh() {
    HWND ports = GetDlgItem(IDC_COMBO_PORT);
    ::SendMessageW(ports, CB_RESETCONTENT, 0, 0);
    CPtrListCtrl names;
    EnumSerialPortNameW(&names);
    for (int i = 0; i < names.GetCount(); ++i) {
        const wchar_t* name = static_cast<const wchar_t*>(names.GetAt(i));
        if (!name) continue;
        const int portNumber = wcslen(name) > 3 ? _wtoi(name + 3) : 0;
        LRESULT index = ::SendMessageW(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (index >= 0) ::SendMessageW(ports, CB_SETITEMDATA, index, portNumber);
    }
    FreeSerialPortNameA(&names);
    ::SendMessageW(ports, CB_SETCURSEL, 0, 0);
}

void CTavo_Ladu330_Pk27ToolDlg::OnBnClickedConnect() {
    if (radar::IsRunning(m_mode)) StopAcquisition();
    ReadBaudRate();
    // What the mode says decides, not whether the port happens to be there
    // at this instant: a click on "disconnect" while the port is away must not
    // try to open it (or another one) again.
    if (radar::HasPort(m_mode)) {
        Disconnect();
    } else {
        HWND ports = GetDlgItem(IDC_COMBO_PORT);
        LRESULT selection = ::SendMessageW(ports, CB_GETCURSEL, 0, 0);
        LRESULT portNumber = selection == CB_ERR ? CB_ERR : ::SendMessageW(ports, CB_GETITEMDATA, selection, 0);
        if (portNumber == CB_ERR) {
            ShowError(IDS_NO_DEVICE);
        } else {
            if (!Tavo_Interface_RadarDevice_Serial_OpenByPortNum(m_hDevice, static_cast<int>(portNumber), m_nBaudRate,
                                                                 kOpenAttempts, kFraming8N1, kPurgeOnOpen,
                                                                 kReplyTimeoutMs)) {
                ShowError(IDS_OPEN_DEVICE_FAILED);
                return;
            }
            OnModeEvent(radar::WindowEvent::Connected);
            // A module that does not answer must not show the version of the
            // one connected before (a port that vanished is never disconnected).
            m_strVersion.Set("Unknown", -1);
            const bool answered = Tavo_Interface_RadarDevice_GetVersion(m_hDevice, &m_strVersion) != 0;
            // The port is open but nothing answers: a wrong baud rate, a module
            // that hung up, or no module at all. Say so rather than look connected.
            SetNotice(IDS_NOTICE_NO_ANSWER, !answered);
            WatchPort(true);
        }
    }
    UpdateVersionLabel();
    m_nState = 0;
    m_nDistance = 0;
    UpdatePresenceDisplay();
    SaveConfig();
}

void CTavo_Ladu330_Pk27ToolDlg::Disconnect() {
    WatchPort(false);
    Tavo_Interface_RadarDevice_Serial_Close(m_hDevice);
    OnModeEvent(radar::WindowEvent::Disconnected);
    m_strVersion.Set("Unknown", -1);
    SetNotice(IDS_NOTICE_PORT_LOST, false);
    SetNotice(IDS_NOTICE_NO_ANSWER, false);
}

void CTavo_Ladu330_Pk27ToolDlg::WatchPort(bool on) {
    if (on)
        ::SetTimer(m_hWnd, kPortWatchTimer, kPortWatchMs, nullptr);
    else
        ::KillTimer(m_hWnd, kPortWatchTimer);
}

void CTavo_Ladu330_Pk27ToolDlg::OnTimerElapsed(UINT_PTR id) {
    if (id == kDisplayTimer) return ShowLatestState();
    if (id == kReplayPositionTimer) return OnReplayPositionTimer();
    if (id == kTimedRecordingTimer) return OnTimedRecordingTick();
    if (id == CChartTools::kHealthTimer) {
        // A file's failure is posted; should that post have failed (a full
        // queue), it is found here within a second of a run.
        const bool failed = m_acquisition.DataFile().Failed() || m_acquisition.LogFile().Failed();
        if (failed && !m_fileFailureShown) OnFileFailed();
        return m_chartTools.OnHealthTimer();
    }
    if (id != kPortWatchTimer) return;
    if (!radar::HasPort(m_mode)) return WatchPort(false);
    // IsConnected may run beside the acquisition thread's reads; while the
    // port is away it also tries to open it again.
    const bool away = !Tavo_Interface_RadarDevice_IsConnected(m_hDevice);
    m_chartTools.PortSeen(away);
    SetNotice(IDS_NOTICE_PORT_LOST, away);
}

void CTavo_Ladu330_Pk27ToolDlg::OnBnClickedStart() {
    if (radar::IsRunning(m_mode)) return StopAcquisition();
    if (!BeginRun()) return;
    OnModeEvent(radar::WindowEvent::Started);
    if (radar::IsReplay(m_mode)) FollowReplayPosition(true);
    SaveConfig();
}

bool CTavo_Ladu330_Pk27ToolDlg::BeginRun() {
    ReadBaudRate();
    if (radar::IsReplay(m_mode)) {
        m_replay->PrepareStart(ReplayIntervalMs());
    } else {
        if (!radar::HasPort(m_mode)) return false;
        if (!Tavo_Interface_RadarDevice_IsConnected(m_hDevice)) {
            // Connected, but the port is away (cable pulled): starting would
            // record nothing and say nothing.
            SetNotice(IDS_NOTICE_PORT_LOST, true);
            ShowError(IDS_START_PORT_LOST);
            return false;
        }
        Tavo_Interface_RadarDevice_StartCmdMode(m_hDevice, kCommandModeAttempts, kReplyTimeoutMs);
        Tavo_Interface_RadarDevice_Protocol_CleanData(m_hDevice, kCleanInputMaxMs);
        Tavo_Interface_RadarDevice_Start(m_hDevice);
        Tavo_Interface_RadarDevice_StopCmdMode(m_hDevice);
    }

    m_nState = 0;
    m_nDistance = 0;
    RestartWaveChart();
    UpdatePresenceDisplay();
    return StartAcquisition();
}

void CTavo_Ladu330_Pk27ToolDlg::OnBnClickedParamConfig() { m_paramDlg.ShowWindow(SW_SHOW); }

void CTavo_Ladu330_Pk27ToolDlg::ReadBaudRate() {
    BOOL translated = FALSE;
    m_nBaudRate = static_cast<int32_t>(GetDlgItemInt(IDC_EDIT_BAUDRATE, &translated, TRUE));
    if (!translated) m_nBaudRate = 0;
}

void CTavo_Ladu330_Pk27ToolDlg::ShowVersionText(const std::wstring& text) {
    // The label is narrow and clips a long version; the tip shows it whole.
    SetDlgItemTextW(IDC_STATIC_VERSION, text);
    m_versionTip.UpdateTipText(text.c_str(), &m_versionLabel, CToolTipCtrl::WindowToolId(&m_versionLabel));
}

std::wstring CTavo_Ladu330_Pk27ToolDlg::FirmwareVersion() const {
    const char* version = m_strVersion.GetString();
    if (!radar::HasPort(m_mode) || !version || std::string(version) == "Unknown") return std::wstring();
    return FromAnsi(version, CP_THREAD_ACP);
}

void CTavo_Ladu330_Pk27ToolDlg::UpdateVersionLabel() {
    ShowVersionText(LoadResString(IDS_FIRMWARE_VERSION) + FromAnsi(m_strVersion.GetString(), CP_THREAD_ACP));
}
