// The main window's replay side: a recording played in place of the module,
// opened from the command line (--replay), the system menu or a file dropped
// on the window, all through OpenRecording; the replay speed; back to live;
// where the replay stands.
#include "window/Tavo_Ladu330_Pk27ToolDlg.h"

#include <shellapi.h>

#include <cmath>
#include <string>
#include <vector>

#include "replay/ReplayPosition.h"
#include "framework/FileDialog.h"
#include "framework/ResourceStrings.h"
#include "handles/UniqueHandle.h"
#include "resource.h"

namespace {

constexpr UINT kReplayPositionMs = 250;

// The message for a recording that cannot be replayed; "%s" stands for the
// file name or the speed.
UINT ReplayProblemStringId(radar::ReplayProblem problem) {
    switch (problem) {
    case radar::ReplayProblem::CannotOpen: return IDS_REPLAY_CANNOT_OPEN;
    case radar::ReplayProblem::Empty: return IDS_REPLAY_EMPTY;
    case radar::ReplayProblem::NotARecording: return IDS_REPLAY_NOT_A_RECORDING;
    case radar::ReplayProblem::BadSpeed: return IDS_REPLAY_BAD_SPEED;
    case radar::ReplayProblem::None: break;
    }
    return 0;
}

// Answered with GetMenuState of the system menu entry wParam: the menu seen
// from outside, where another process cannot read it.
UINT SystemMenuStateMessage() {
    static const UINT message = RegisterWindowMessageW(L"Tavo_Ladu330_Pk27Tool.SystemMenuState");
    return message;
}

// Answered with the interval between replayed frames the replay was last
// started or changed to, in microseconds; -1 without a recording.
UINT ReplayIntervalMessage() {
    static const UINT message = RegisterWindowMessageW(L"Tavo_Ladu330_Pk27Tool.ReplayIntervalUs");
    return message;
}

// The files dropped on the window, released with DragFinish.
struct DropTraits : NullIsEmpty<HDROP> {
    static void Close(HDROP h) { ::DragFinish(h); }
};
using UniqueDrop = UniqueHandle<DropTraits>;

std::wstring FirstDroppedFile(HDROP dropped) {
    UniqueDrop drop(dropped);
    if (::DragQueryFileW(drop.Get(), 0xFFFFFFFF, nullptr, 0) == 0) return std::wstring();
    const UINT length = ::DragQueryFileW(drop.Get(), 0, nullptr, 0);
    if (length == 0) return std::wstring();
    std::wstring path(length + 1, L'\0');
    const UINT copied = ::DragQueryFileW(drop.Get(), 0, &path[0], length + 1);
    path.resize(copied);
    return path;
}

std::wstring FileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return path.substr(slash == std::wstring::npos ? 0 : slash + 1);
}

}  // namespace

void CTavo_Ladu330_Pk27ToolDlg::SetReplay(const std::wstring& path, const std::wstring& speed) {
    m_replayRequested = true;
    m_replayPath = path;
    m_replaySpeedText = speed;
}

void CTavo_Ladu330_Pk27ToolDlg::InitReplayMenu() {
    m_replayMenu.Attach(m_hWnd);
    ::DragAcceptFiles(m_hWnd, TRUE);
}

// From the command line, before the window shows: it opens "connected" to
// the recording; a recording that cannot be played is refused with a message
// and the window works as without it.
void CTavo_Ladu330_Pk27ToolDlg::OpenReplay() {
    double speed = m_replaySpeed;
    if (!m_replaySpeedText.empty()) {
        std::string text;
        for (wchar_t c : m_replaySpeedText) text += c < 0x80 ? static_cast<char>(c) : '?';
        if (!radar::ParseReplaySpeed(text, speed))
            return RefuseReplay(radar::ReplayProblem::BadSpeed, m_replaySpeedText);
    }
    OpenRecording(m_replayPath, speed);
}

void CTavo_Ladu330_Pk27ToolDlg::RefuseReplay(radar::ReplayProblem problem, const std::wstring& subject) {
    m_replayProblem = LoadResString(ReplayProblemStringId(problem));
    const size_t at = m_replayProblem.find(L"%s");
    if (at != std::wstring::npos) m_replayProblem.replace(at, 2, subject);
    // Shown from the window's own message loop (before the window is up,
    // once it is).
    ::PostMessageW(m_hWnd, WM_REPLAY, kReplayRefused, 0);
}

bool CTavo_Ladu330_Pk27ToolDlg::OpenRecording(const std::wstring& path, double speed) {
    // The file is checked before anything changes: one that cannot be
    // played leaves a replay or a live connection as it was.
    auto source = std::make_unique<radar::RecordingSource>();
    // The second handle is the count's: the frames are counted in the
    // background, the window goes on meanwhile.
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    const radar::ReplayProblem problem = source->Open(file, file ? _wfopen(path.c_str(), L"rb") : nullptr);
    if (problem != radar::ReplayProblem::None) {
        RefuseReplay(problem, path);
        return false;
    }
    if (m_bRunning) StopAcquisition();
    if (m_bConnected) Disconnect();
    // Nothing reads from the old recording now: the new one takes its place.
    m_replaySource = std::make_unique<radar::ReplayByteSource>(*source);
    m_replay = std::move(source);
    m_acquisition.SetSource(m_replaySource.get());
    m_replayPath = path;
    SetReplaySpeed(speed);
    m_replayPlayed = false;
    ShowReplayPosition();
    for (int id : {IDC_BTN_REFRESH, IDC_COMBO_PORT, IDC_BTN_CONNECT, IDC_BTN_PARAM_CONFIG}) EnableItem(id, FALSE);
    EnableItem(IDC_BTN_START, TRUE);
    m_nState = 0;
    m_nDistance = 0;
    UpdatePresenceDisplay();
    ShowFileNotices();
    m_replayMenu.ShowReplaying(true);
    return true;
}

LRESULT CTavo_Ladu330_Pk27ToolDlg::OnReplay(WPARAM what) {
    if (what == kReplayRefused) {
        // The template is not visible: the dialog manager would show the
        // window only after the box. The box belongs over the open window.
        if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOW);
        std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
        MessageBoxW(m_hWnd, m_replayProblem.c_str(), caption.c_str(), kErrorBoxType);
    } else if (what == kReplayEnded && m_bRunning && m_replay && m_replay->AtEnd()) {
        // The end of the recording stops as the stop button does; the display
        // then shows the recording's last report rather than "nobody".
        OnBnClickedStart();
        TakeReportedState();
        UpdatePresenceDisplay();
    } else if (what == kReplayEnded && m_bRunning && m_replay && m_replay->ReadFailed()) {
        // Not the end: the file could not be read further (a share gone, a
        // stick pulled). Stopped as the stop button does, and told; the next
        // start tries again where the reading failed.
        OnBnClickedStart();
        const int error = m_replay->ReadErrno();
        const std::wstring reason = error ? _wcserror(error) : LoadResString(IDS_REPLAY_READ_FAILED_UNKNOWN);
        std::wstring text = LoadResString(IDS_REPLAY_READ_FAILED);
        for (const std::wstring& part : {m_replayPath, reason}) {
            const size_t at = text.find(L"%s");
            if (at != std::wstring::npos) text.replace(at, 2, part);
        }
        MessageBoxW(m_hWnd, text.c_str(), LoadResString(IDS_CAPTION_ERROR).c_str(), kErrorBoxType);
    }
    return 0;
}

bool CTavo_Ladu330_Pk27ToolDlg::OnReplayMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_SYSCOMMAND) {
        const UINT command = static_cast<UINT>(wParam & 0xFFF0);
        if (!radar::CReplayMenu::IsReplayCommand(command)) return false;
        result = 0;
        if (command == IDM_OPEN_RECORDING)
            ChooseRecording();
        else if (command == IDM_BACK_TO_LIVE)
            BackToLive();
        else
            SetReplaySpeed(radar::CReplayMenu::SpeedOf(command));
        return true;
    }
    if (msg == WM_DROPFILES) {
        const std::wstring path = FirstDroppedFile(reinterpret_cast<HDROP>(wParam));
        if (!path.empty()) OpenRecording(path, m_replaySpeed);
        result = 0;
        return true;
    }
    if (msg == SystemMenuStateMessage()) {
        result = static_cast<LRESULT>(m_replayMenu.State(static_cast<UINT>(wParam)));
        return true;
    }
    if (msg == ReplayIntervalMessage()) {
        result = m_replay ? static_cast<LRESULT>(std::llround(m_replay->IntervalMs() * 1000)) : -1;
        return true;
    }
    return false;
}

void CTavo_Ladu330_Pk27ToolDlg::ChooseRecording() {
    FileDialogRequest request;
    request.owner = m_hWnd;
    request.title = LoadResString(IDS_OPEN_RECORDING_TITLE);
    request.filter = LoadResString(IDS_OPEN_RECORDING_FILTER) + L"|*.dat|";
    request.defaultExtension = L"dat";
    request.folder = radar::CAcquisition::ProgramLogFolder();
    const std::wstring path = AskFileToOpen(request);
    if (!path.empty()) OpenRecording(path, m_replaySpeed);
}

void CTavo_Ladu330_Pk27ToolDlg::SetReplaySpeed(double speed) {
    m_replaySpeed = speed;
    m_replayMenu.ShowSpeed(speed);
    // A running replay goes on at the new pace from its next frame.
    if (m_replay && m_bRunning) m_replay->ChangeInterval(ReplayIntervalMs());
}

double CTavo_Ladu330_Pk27ToolDlg::ReplayIntervalMs() const {
    // One frame per report period of the configuration, sped up.
    const int reportMs = m_param.ReportTimeMS > 0 ? m_param.ReportTimeMS : kDefaultReportTimeMs;
    return reportMs / m_replaySpeed;
}

void CTavo_Ladu330_Pk27ToolDlg::BackToLive() {
    if (!m_replay) return;
    if (m_bRunning) StopAcquisition();
    m_acquisition.SetSource(&m_deviceSource);
    m_replaySource.reset();
    m_replay.reset();
    m_replayMenu.ShowReplaying(false);
    // As OnInitDialog leaves the window: ports listed, not connected.
    OnBnClickedRefresh();
    for (int id : {IDC_BTN_REFRESH, IDC_COMBO_PORT, IDC_BTN_CONNECT}) EnableItem(id, TRUE);
    EnableItem(IDC_BTN_START, FALSE);
    EnableItem(IDC_BTN_PARAM_CONFIG, FALSE);
    SetDlgItemTextW(IDC_BTN_CONNECT, LoadResString(IDS_CONNECT));
    SetDlgItemTextW(IDC_BTN_START, LoadResString(IDS_START));
    m_strVersion.Set("Unknown", -1);
    UpdateVersionLabel();
    m_nState = 0;
    m_nDistance = 0;
    RestartWaveChart();
    // The replay's curve and health line go: the chart of a fresh start.
    const std::vector<int32_t> empty(static_cast<size_t>(m_nHistoryCount), 0);
    FeedHistory(empty.data(), static_cast<int32_t>(empty.size()));
    m_chartTools.ForgetRun();
    UpdatePresenceDisplay();
    ShowFileNotices();
}

void CTavo_Ladu330_Pk27ToolDlg::ShowReplayPosition() {
    if (!m_replay) return;
    const std::wstring name = FileName(m_replayPath);
    if (!m_replayPlayed) return ShowVersionText(LoadResString(IDS_FIRMWARE_VERSION) + name);
    // The label is narrow: the times first, where they are not clipped; the
    // tip shows the whole name.
    const int reportMs = m_param.ReportTimeMS > 0 ? m_param.ReportTimeMS : kDefaultReportTimeMs;
    const std::string position =
        radar::ReplayPositionText(m_replay->FramesGiven(), m_replay->TotalFrames(), reportMs, m_replay->TotalKnown());
    ShowVersionText(std::wstring(position.begin(), position.end()) + L" " + name);
}

void CTavo_Ladu330_Pk27ToolDlg::FollowReplayPosition(bool running) {
    if (running) {
        m_replayPlayed = true;
        ::SetTimer(m_hWnd, kReplayPositionTimer, kReplayPositionMs, nullptr);
    } else {
        ::KillTimer(m_hWnd, kReplayPositionTimer);
    }
    ShowReplayPosition();
}
