// The main window's replay side: a recording played in place of the module,
// opened from the command line (--replay), the system menu or a file dropped
// on the window, all through OpenRecording; the replay speed; back to live;
// where the replay stands.
#include "window/Tavo_Ladu330_Pk27ToolDlg.h"

#include <shellapi.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "replay/ReplayPosition.h"
#include "acquisition/RecordingDialog.h"
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

// The files dropped on the window, released with DragFinish.
struct DropTraits : NullIsEmpty<HDROP> {
    static void Close(HDROP h) { ::DragFinish(h); }
};
using UniqueDrop = UniqueHandle<DropTraits>;

// What was dropped: the first item and how many there were.
struct Dropped {
    std::wstring first;
    UINT count = 0;
};

Dropped DroppedFiles(HDROP dropped) {
    UniqueDrop drop(dropped);
    Dropped result;
    result.count = ::DragQueryFileW(drop.Get(), 0xFFFFFFFF, nullptr, 0);
    if (result.count == 0) return result;
    const UINT length = ::DragQueryFileW(drop.Get(), 0, nullptr, 0);
    if (length == 0) return result;
    result.first.assign(length + 1, L'\0');
    const UINT copied = ::DragQueryFileW(drop.Get(), 0, &result.first[0], length + 1);
    result.first.resize(copied);
    return result;
}

// text with each "%s" or "%d" replaced by the next of parts, in one pass (a
// part that holds "%s" itself stays as it is).
std::wstring Filled(const std::wstring& text, std::initializer_list<std::wstring> parts) {
    std::wstring out;
    auto part = parts.begin();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && (text[i + 1] == L's' || text[i + 1] == L'd') &&
            part != parts.end()) {
            out += *part++;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
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
            return RefuseReplay(ReplayProblemStringId(radar::ReplayProblem::BadSpeed), m_replaySpeedText);
    }
    OpenRecording(m_replayPath, speed);
}

void CTavo_Ladu330_Pk27ToolDlg::RefuseReplay(UINT textId, const std::wstring& subject) {
    m_replayProblem = Filled(LoadResString(textId), {subject});
    // Shown from the window's own message loop (before the window is up,
    // once it is).
    if (!::PostMessageW(m_hWnd, WM_REPLAY, kReplayRefused, 0)) OnReplay(kReplayRefused);
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
        RefuseReplay(ReplayProblemStringId(problem), path);
        return false;
    }
    if (radar::IsRunning(m_mode)) StopAcquisition();
    if (radar::HasPort(m_mode)) Disconnect();
    // Nothing reads from the old recording now: the new one takes its place.
    m_replaySource = std::make_unique<radar::ReplayByteSource>(*source);
    m_replay = std::move(source);
    m_acquisition.SetSource(m_replaySource.get());
    m_replayPath = path;
    SetReplaySpeed(speed);
    m_replayPlayed = false;
    // What the last live run could not write belongs to that run.
    m_acquisition.ForgetDataFile();
    OnModeEvent(radar::WindowEvent::RecordingOpened);
    ShowReplayPosition();
    m_nState = 0;
    m_nDistance = 0;
    UpdatePresenceDisplay();
    ShowFileNotices();
    return true;
}

LRESULT CTavo_Ladu330_Pk27ToolDlg::OnReplay(WPARAM what) {
    if (what == kReplayRefused) {
        // The template is not visible: the dialog manager would show the
        // window only after the box. The box belongs over the open window.
        if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOW);
        ShowErrorText(m_replayProblem);
    } else if (what == kReplayEnded && m_mode == radar::WindowMode::Replaying && m_replay->AtEnd()) {
        // The end of the recording stops the run; the display then shows the
        // recording's last report rather than "nobody".
        StopAcquisition();
        TakeReportedState();
        UpdatePresenceDisplay();
    } else if (what == kReplayEnded && m_mode == radar::WindowMode::Replaying && m_replay->ReadFailed()) {
        // Not the end: the file could not be read further (a share gone, a
        // stick pulled). The run stops and the user is told; the next start
        // tries again where the reading failed.
        StopAcquisition();
        const int error = m_replay->ReadErrno();
        const std::wstring reason = error ? _wcserror(error) : LoadResString(IDS_REPLAY_READ_FAILED_UNKNOWN);
        ShowErrorText(Filled(LoadResString(IDS_REPLAY_READ_FAILED), {m_replayPath, reason}));
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
        OpenDropped(reinterpret_cast<HDROP>(wParam));
        result = 0;
        return true;
    }
    if (msg == m_queries.systemMenuState) {
        result = static_cast<LRESULT>(m_replayMenu.State(static_cast<UINT>(wParam)));
        return true;
    }
    if (msg == m_queries.replayIntervalUs) {
        result = m_replay ? static_cast<LRESULT>(std::llround(m_replay->IntervalMs() * 1000)) : -1;
        return true;
    }
    return false;
}

void CTavo_Ladu330_Pk27ToolDlg::OpenDropped(HDROP drop) {
    const Dropped dropped = DroppedFiles(drop);
    if (dropped.first.empty()) return;
    const DWORD attributes = ::GetFileAttributesW(dropped.first.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return RefuseReplay(IDS_REPLAY_FOLDER, dropped.first);
    // One recording plays at a time: the first is opened, and the user is
    // told that the others were left.
    if (!OpenRecording(dropped.first, m_replaySpeed) || dropped.count < 2) return;
    const std::wstring text =
        Filled(LoadResString(IDS_REPLAY_DROPPED_SEVERAL), {std::to_wstring(dropped.count), dropped.first});
    ::MessageBoxW(m_hWnd, text.c_str(), LoadResString(IDS_CAPTION_INFO).c_str(), MB_ICONINFORMATION);
}

void CTavo_Ladu330_Pk27ToolDlg::ChooseRecording() {
    const std::wstring path = radar::AskRecordingToOpen(m_hWnd, LoadResString(IDS_OPEN_RECORDING_TITLE));
    if (!path.empty()) OpenRecording(path, m_replaySpeed);
}

void CTavo_Ladu330_Pk27ToolDlg::SetReplaySpeed(double speed) {
    m_replaySpeed = speed;
    m_replayMenu.ShowSpeed(speed);
    // A running replay goes on at the new pace from its next frame.
    if (m_mode == radar::WindowMode::Replaying) m_replay->ChangeInterval(ReplayIntervalMs());
}

double CTavo_Ladu330_Pk27ToolDlg::ReplayIntervalMs() const {
    // One frame per report period of the configuration, sped up.
    return ReportPeriodMs() / m_replaySpeed;
}

void CTavo_Ladu330_Pk27ToolDlg::BackToLive() {
    if (!radar::IsReplay(m_mode)) return;
    if (radar::IsRunning(m_mode)) StopAcquisition();
    m_acquisition.SetSource(&m_deviceSource);
    m_replaySource.reset();
    m_replay.reset();
    // As OnInitDialog leaves the window: ports listed, not connected.
    OnModeEvent(radar::WindowEvent::BackToLive);
    OnBnClickedRefresh();
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
    if (!radar::IsReplay(m_mode)) return;
    const std::wstring name = FileName(m_replayPath);
    if (!m_replayPlayed) return ShowVersionText(LoadResString(IDS_FIRMWARE_VERSION) + name);
    // The label is narrow: the times first, where they are not clipped; the
    // tip shows the whole name.
    const std::string position = radar::ReplayPositionText(m_replay->FramesGiven(), m_replay->TotalFrames(),
                                                           ReportPeriodMs(), m_replay->TotalKnown());
    ShowVersionText(std::wstring(position.begin(), position.end()) + L" " + name);
}

void CTavo_Ladu330_Pk27ToolDlg::FollowReplayPosition(bool running) {
    if (running) {
        m_replayPlayed = true;
        ::SetTimer(m_hWnd, kReplayPositionTimer, kReplayPositionMs, nullptr);
    }
    OnReplayPositionTimer();
}

void CTavo_Ladu330_Pk27ToolDlg::OnReplayPositionTimer() {
    // The acquisition thread posts the end; should that post have failed (a
    // full queue), the position's timer finds the end all the same.
    if (m_mode == radar::WindowMode::Replaying && (m_replay->AtEnd() || m_replay->ReadFailed())) OnReplay(kReplayEnded);
    ShowReplayPosition();
    // Paused, the label changes only when the background count brings the
    // whole time.
    if (m_mode != radar::WindowMode::Replaying && (!m_replay || m_replay->TotalKnown()))
        ::KillTimer(m_hWnd, kReplayPositionTimer);
}
