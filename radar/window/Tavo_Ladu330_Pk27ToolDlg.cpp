#include "window/Tavo_Ladu330_Pk27ToolDlg.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include "config/ConfigHolder.h"
#include "framework/ErrorBox.h"
#include "framework/LongPath.h"
#include "framework/ResourceStrings.h"
#include "imagehelper/GdiplusHelper.h"
#include "framework/SystemMessage.h"
#include "resource.h"
#include "wave/WaveChartStyle.h"

namespace {

// The presence display changes at most this often (kDisplayTimer). The
// module's own rate (a report every 50 ms) is never held back; a faster stream
// (a replay sped up, reports back to back) leaves the queue empty between
// updates, so clicks and paints are served while it runs.
constexpr ULONGLONG kMinDisplayIntervalMs = 20;
constexpr COLORREF kNoticeColor = RGB(0xC0, 0, 0);

LRESULT TextAtom(const std::wstring& text) { return text.empty() ? 0 : ::GlobalAddAtomW(text.c_str()); }

}  // namespace

CTavo_Ladu330_Pk27ToolDlg::QueryMessages::QueryMessages() {
    auto registered = [](const wchar_t* name) {
        return ::RegisterWindowMessageW((std::wstring(L"Tavo_Ladu330_Pk27Tool.") + name).c_str());
    };
    liveGdiObjects = registered(L"LiveGdiObjects");
    chartPaints = registered(L"ChartPaints");
    chartHoverText = registered(L"ChartHoverText");
    chartHealthText = registered(L"ChartHealthText");
    systemMenuState = registered(L"SystemMenuState");
    replayIntervalUs = registered(L"ReplayIntervalUs");
}

CTavo_Ladu330_Pk27ToolDlg::CTavo_Ladu330_Pk27ToolDlg(CWnd* parent) : CDialogEx(IDD_MAIN, parent) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_strVersion.Set("Unknown", -1);
    m_acquisition.SetSource(&m_deviceSource);
}

// The acquisition ends its own thread should the window never have existed.
CTavo_Ladu330_Pk27ToolDlg::~CTavo_Ladu330_Pk27ToolDlg() = default;

void CTavo_Ladu330_Pk27ToolDlg::LoadDefaultParameters() { ::LoadDefaultParameters(m_param); }

void CTavo_Ladu330_Pk27ToolDlg::LoadConfig() {
    const int32_t reportTime = m_param.ReportTimeMS;
    LoadConfigValues(gConfigParser, m_nBaudRate, m_param);
    // The history spans the chart's time: a longer period, or none, would
    // leave it empty or negative, so such a value is not taken.
    if (m_param.ReportTimeMS < 1 || m_param.ReportTimeMS > kRecentValuesSpanMs) m_param.ReportTimeMS = reportTime;
}

bool CTavo_Ladu330_Pk27ToolDlg::SaveConfig(bool asked) {
    StoreConfigValues(gConfigParser, m_nBaudRate, m_param);
    unsigned long error = 0;
    const FileWriteResult result = WriteConfigFile(&error);
    const bool saved = result != FileWriteResult::Failed, written = result == FileWriteResult::Written;
    if (m_bClosing) return written;  // the save at exit: the window is going, nothing left to show it on
    SetNotice(IDS_NOTICE_SETTINGS_NOT_SAVED, !saved);
    // Once a run; the notice stays until a save succeeds again. What the user
    // asked for is told each time it did not reach the file.
    if (asked ? written : saved || m_configFailureShown) return written;
    if (saved) error = ERROR_FILE_READ_ONLY;  // asked, and the user's read-only file was left alone
    m_configFailureShown = m_configFailureShown || !saved;
    ShowErrorText(LoadResString(IDS_SETTINGS_SAVE_FAILED) + L"\n" + GetConfigFilePath() + L"\n" + SystemMessage(error));
    return written;
}

void CTavo_Ladu330_Pk27ToolDlg::OnModeEvent(radar::WindowEvent event) {
    const bool wasTimed = m_mode == radar::WindowMode::TimedRecording;
    m_mode = radar::NextMode(m_mode, event);
    m_profileMark = radar::NextMark(m_profileMark, event);
    // However it ended: its time, the stop button, the port, a recording opened.
    if (wasTimed && m_mode != radar::WindowMode::TimedRecording) EndTimedRecording();
    ApplyMode();
}

void CTavo_Ladu330_Pk27ToolDlg::RecordChanged(RecordChange change) {
    using E = radar::WindowEvent;
    switch (change) {
    case RecordChange::ProfileLoaded: return OnModeEvent(E::ProfileLoaded);
    case RecordChange::ProfileLoadedBeyondShown: return OnModeEvent(E::ProfileLoadedBeyondShown);
    case RecordChange::ShownWritten: return OnModeEvent(E::ShownWritten);
    case RecordChange::ModuleHoldsRecord: return OnModeEvent(E::ModuleHoldsRecord);
    }
}

void CTavo_Ladu330_Pk27ToolDlg::ApplyMode() {
    const radar::ModeView view = radar::ViewOf(m_mode, m_profileMark);
    for (int id : {IDC_BTN_REFRESH, IDC_COMBO_PORT}) EnableItem(id, view.portChoice);
    EnableItem(IDC_BTN_CONNECT, view.connect);
    SetDlgItemTextW(IDC_BTN_CONNECT, LoadResString(view.connectSaysDisconnect ? IDS_DISCONNECT : IDS_CONNECT));
    EnableItem(IDC_BTN_START, view.start);
    SetDlgItemTextW(IDC_BTN_START, LoadResString(view.startSaysStop ? IDS_STOP : IDS_START));
    EnableItem(IDC_BTN_PARAM_CONFIG, view.moduleCommands);
    m_replayMenu.ShowReplaying(view.backToLive);
    m_tuningAssistant.ShowMode(view);
    // A profile not yet written: among the chart's notices and in the parameter window.
    const UINT note = view.profileNote == radar::ProfileNote::NotWritten    ? IDS_PROFILE_NOT_WRITTEN
                      : view.profileNote == radar::ProfileNote::UseWriteAll ? IDS_PROFILE_USE_WRITE_ALL
                                                                            : 0;
    for (UINT id : {IDS_PROFILE_NOT_WRITTEN, IDS_PROFILE_USE_WRITE_ALL}) SetNotice(id, id == note);
    m_paramDlg.ShowProfileNote(note);
    // Without a module the parameter window has nothing to command: it goes
    // (its commands refuse too, ModuleCommandsAllowed) and comes back with
    // the module as it was.
    if (!m_paramDlg.GetSafeHwnd()) return;
    const bool shown = ::IsWindowVisible(m_paramDlg.GetSafeHwnd()) != FALSE;
    if (!view.moduleCommands && shown) {
        m_paramDlgHiddenByMode = true;
        m_paramDlg.ShowWindow(SW_HIDE);
    } else if (view.moduleCommands && m_paramDlgHiddenByMode) {
        m_paramDlgHiddenByMode = false;
        m_paramDlg.ShowWindow(SW_SHOW);  // as button 1104 shows it
    }
}

BOOL CTavo_Ladu330_Pk27ToolDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // Caption: the template's text followed by the executable's file version.
    wchar_t version[64] = {};
    if (!GetFileVersionW(ExtendedLengthPath(ModuleFileName(nullptr)).c_str(), version, 64)) version[0] = L'\0';
    SetWindowTextW(GetWindowTextW() + L"(v" + version + L")");

    m_acquisition.NotifyFileFailuresTo(m_hWnd, WM_FILE_FAILED);
    OpenLogFile();
    LoadPictures();
    OnBnClickedRefresh();

    LoadDefaultParameters();
    LoadConfig();
    SetDlgItemInt(IDC_EDIT_BAUDRATE, static_cast<UINT>(m_nBaudRate), TRUE);

    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    m_indicator.InitLabel(face, L"", static_cast<int>(m_fScale * 40), 2);
    m_distanceLabel.InitLabel(face, L"460", static_cast<int>(m_fScale * 40), 2);
    m_unitLabel.InitLabel(face, nullptr, static_cast<int>(m_fScale * 30), 0);

    if (m_versionTip.Create(this)) {
        m_versionTip.SetMaxTipWidth(800);
        // The label itself is the tool: the tip covers it at whatever size
        // the window gives it.
        m_versionTip.AddWindowTool(&m_versionLabel, (LoadResString(IDS_FIRMWARE_VERSION) + L"Unknown").c_str());
    }

    m_chartTools.Attach(m_hWnd);
    SetupWaveChart();
    UpdatePresenceDisplay();
    m_resizeTool.AttachWindow(m_hWnd);
    InitReplayMenu();
    m_csvExport.AddToSystemMenu(m_hWnd);
    m_languageMenu.Attach(m_hWnd);
    InitTuningAssistant();

    m_hDevice = Tavo_Interface_RadarDevice_Serial_Create();
    m_deviceSource.SetDevice(m_hDevice);
    m_paramDlg.SetDevice(m_hDevice);
    m_paramDlg.SetToolDlg(this);
    m_paramDlg.Create(IDD_PARAM_CONFIG, this);  // hidden: the template is not visible
    ApplyMode();
    if (m_replayRequested) OpenReplay();
    return TRUE;
}

void CTavo_Ladu330_Pk27ToolDlg::DoDataExchange() {
    const std::pair<CWnd*, UINT> bindings[] = {{&m_indicator, IDC_STATIC_INDICATOR},
                                               {&m_distanceLabel, IDC_STATIC_DISTANCE},
                                               {&m_unitLabel, IDC_STATIC_UNIT},
                                               {&m_waveWnd, IDC_STATIC_WAVE},
                                               {&m_versionLabel, IDC_STATIC_VERSION}};
    for (const auto& [control, id] : bindings) control->SubclassDlgItem(id, this);
}

void CTavo_Ladu330_Pk27ToolDlg::OpenLogFile() {
    m_acquisition.OpenLog();
    ShowFileNotices();
}

void CTavo_Ladu330_Pk27ToolDlg::ShowFileNotices() {
    SetNotice(IDS_NOTICE_NOT_LOGGING, !m_acquisition.LogFile().IsWritable());
    // A replay records nothing new: there is no data file to miss.
    SetNotice(IDS_NOTICE_NOT_RECORDING, !radar::IsReplay(m_mode) && m_acquisition.DataFile().Failed());
}

LRESULT CTavo_Ladu330_Pk27ToolDlg::OnFileFailed() {
    ShowFileNotices();
    // One box per run, naming every file that failed by now; a file that
    // fails after it shows in the notices. Never one box per report.
    if (m_fileFailureShown) return 0;
    std::wstring text;
    for (const COutputFile* file : {&m_acquisition.DataFile(), &m_acquisition.LogFile()}) {
        if (!file->Failed()) continue;
        text += LoadResString(file->CreateFailed() ? IDS_FILE_CREATE_FAILED : IDS_FILE_WRITE_FAILED);
        text += L"\n" + file->Path() + L"\n" + SystemMessage(file->Error()) + L"\n\n";
    }
    if (text.empty()) return 0;
    m_fileFailureShown = true;
    ShowErrorText(text + LoadResString(IDS_FILES_NOT_WRITTEN));
    return 0;
}

void CTavo_Ladu330_Pk27ToolDlg::LoadPictures() {
    const std::wstring folder = ProgramFolder();
    auto load = [&](UniqueImage& image, const wchar_t* name) {
        if (!folder.empty())
            image.Reset(Gdiplus_LoadBitmapFromFileW(ExtendedLengthPath(folder + L"\\" + name).c_str()));
    };
    load(m_pImgNobody, L"Image\\HumanNobody.png");
    load(m_pImgMotion, L"Image\\HumanMotion.png");
    load(m_pImgMotionless, L"Image\\HumanMotionLess.png");
}

BOOL CTavo_Ladu330_Pk27ToolDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (OnReplayMessage(msg, wParam, lParam, result)) return TRUE;
    if (m_csvExport.OnMessage(msg, wParam, lParam, result)) return TRUE;
    if (m_languageMenu.OnMessage(msg, wParam, lParam, result)) return TRUE;
    if (OnAssistantMessage(msg, wParam, lParam, result)) return TRUE;
    switch (msg) {
    case WM_RADAR_STATE: result = OnRadarState(); return TRUE;
    case WM_REPLAY: result = OnReplay(wParam); return TRUE;
    case WM_FILE_FAILED: result = OnFileFailed(); return TRUE;
    case WM_CONTEXTMENU:
        if (!m_chartTools.OnContextMenu(reinterpret_cast<HWND>(wParam), lParam)) break;
        result = 0;
        return TRUE;
    default:
        if (msg == m_queries.liveGdiObjects) {
            result = g_liveScopedGdiObjects.load();
            return TRUE;
        }
        if (msg == m_queries.chartPaints) {
            result = static_cast<LRESULT>(m_waveWnd.GetPaintCount());
            return TRUE;
        }
        if (msg == m_queries.chartHoverText || msg == m_queries.chartHealthText) {
            result =
                TextAtom(msg == m_queries.chartHoverText ? m_waveWnd.GetHoverText() : m_waveWnd.GetCornerTextShown());
            return TRUE;
        }
        break;
    }
    return CDialogEx::OnMessage(msg, wParam, lParam, result);
}

bool CTavo_Ladu330_Pk27ToolDlg::OnClose() {
    SaveSettingsAndClose();
    return false;
}

bool CTavo_Ladu330_Pk27ToolDlg::OnDestroy() {
    ReleaseAtDestroy();
    return false;
}

bool CTavo_Ladu330_Pk27ToolDlg::OnSize(UINT type, int cx, int cy) {
    FitToSize(type, cx, cy);
    return false;
}

bool CTavo_Ladu330_Pk27ToolDlg::OnTimer(UINT_PTR id) {
    OnTimerElapsed(id);
    return false;
}

bool CTavo_Ladu330_Pk27ToolDlg::OnCommand(UINT id, UINT code) {
    // A click that reaches a control the mode has turned off (posted, or
    // queued before the change) does nothing.
    const radar::ModeView view = radar::ViewOf(m_mode, m_profileMark);
    if ((id == IDC_BTN_REFRESH && !view.portChoice) || (id == IDC_BTN_CONNECT && !view.connect) ||
        (id == IDC_BTN_START && !view.start) || (id == IDC_BTN_PARAM_CONFIG && !view.moduleCommands))
        return true;
    if (code == 0 && m_chartTools.OnCommand(id)) return true;  // the chart's menu
    return CDialogEx::OnCommand(id, code);
}

bool CTavo_Ladu330_Pk27ToolDlg::OnButtonClicked(UINT id) {
    switch (id) {
    case IDC_BTN_REFRESH: OnBnClickedRefresh(); return true;
    case IDC_BTN_CONNECT: OnBnClickedConnect(); return true;
    case IDC_BTN_START: OnBnClickedStart(); return true;
    case IDC_BTN_PARAM_CONFIG: OnBnClickedParamConfig(); return true;
    default: return false;
    }
}

void CTavo_Ladu330_Pk27ToolDlg::SaveSettingsAndClose() {
    // Saved here too, while the window can still say that it failed; the
    // save at destruction writes the same again.
    ReadBaudRate();
    SaveConfig();
    EndDialog(IDCANCEL);
}

void CTavo_Ladu330_Pk27ToolDlg::FitToSize(UINT type, int cx, int cy) {
    if (type == SIZE_MINIMIZED || type == SIZE_MAXHIDE) return;
    double ratioX = 1.0, ratioY = 1.0;
    if (!m_resizeTool.ResizeChildren(cx, cy, &ratioX, &ratioY)) return;
    m_fScale = ratioX < ratioY ? ratioX : ratioY;
    m_distanceLabel.SetFontSize(static_cast<int>(m_fScale * 40));
    m_distanceLabel.Invalidate(TRUE);
    m_unitLabel.SetFontSize(static_cast<int>(m_fScale * 30));
    m_unitLabel.Invalidate(TRUE);
    RestartWaveChart();
}

void CTavo_Ladu330_Pk27ToolDlg::ReleaseAtDestroy() {
    // The dialog borrows the device handle: it goes before the handle does.
    m_paramDlg.DestroyWindow();
    m_bClosing = true;
    m_csvExport.Stop();
    WatchPort(false);
    StopAcquisition();
    Tavo_Interface_RadarDevice_Serial_Close(m_hDevice);
    Tavo_Interface_RadarDevice_Serial_Destroy(m_hDevice);
    m_hDevice = nullptr;
    m_deviceSource.SetDevice(nullptr);
    ReadBaudRate();
    SaveConfig();
    m_acquisition.CloseLog();
    m_pImgNobody.Reset();
    m_pImgMotion.Reset();
    m_pImgMotionless.Reset();
}

void CTavo_Ladu330_Pk27ToolDlg::SetNotice(UINT stringId, bool shown) {
    const auto at = std::find(m_notices.begin(), m_notices.end(), stringId);
    if (shown == (at != m_notices.end())) return;
    if (shown)
        m_notices.push_back(stringId);
    else
        m_notices.erase(at);
    ShowNotices();
}

void CTavo_Ladu330_Pk27ToolDlg::ShowNotices() {
    std::wstring text;
    for (UINT id : m_notices) {
        if (!text.empty()) text += L"\n";
        text += LoadResString(id);
    }
    const std::wstring progress = m_csvExport.ProgressText();
    if (!progress.empty()) text += (text.empty() ? L"" : L"\n") + progress;
    m_waveWnd.SetStatusText(text, kNoticeColor);
}

bool CTavo_Ladu330_Pk27ToolDlg::StartAcquisition() {
    // A new run: what the last one could not write is told afresh.
    m_fileFailureShown = false;
    MSG stale;
    while (::PeekMessageW(&stale, m_hWnd, WM_FILE_FAILED, WM_FILE_FAILED, PM_REMOVE)) {}
    // A log that could not be made at start-up, or failed in an earlier run,
    // is begun anew.
    if (!m_acquisition.LogFile().IsWritable()) OpenLogFile();
    m_acquisition.OpenDataFile();  // a replay records nothing new
    ShowFileNotices();
    // Told from the message loop once the run is going: the display runs
    // behind the box, without recording.
    if (m_acquisition.LogFile().CreateFailed() || (!radar::IsReplay(m_mode) && m_acquisition.DataFile().CreateFailed()))
        ::PostMessageW(m_hWnd, WM_FILE_FAILED, 0, 0);
    DWORD error = 0;
    if (!m_acquisition.Start(&error)) {
        // Nothing runs (the source is stopped again): the mode stays, and
        // the user is told why rather than shown a run that records nothing.
        ShowErrorText(LoadResString(IDS_START_THREAD_FAILED) + L"\n" + SystemMessage(error));
        return false;
    }
    m_chartTools.RunStarted();
    return true;
}

bool CTavo_Ladu330_Pk27ToolDlg::PostStateChanged() { return ::PostMessageW(m_hWnd, WM_RADAR_STATE, 0, 0) != FALSE; }

void CTavo_Ladu330_Pk27ToolDlg::FeedHistory(const int32_t* distances, int32_t count) {
    // The whole history, as 32-bit samples: the chart shows exactly it.
    m_waveWnd.AppendTypedData(0, 1, distances, count);
}

// A post that fails is made good by the replay position's timer, which looks
// for the end itself.
void CTavo_Ladu330_Pk27ToolDlg::PostSourceEnded() { ::PostMessageW(m_hWnd, WM_REPLAY, kReplayEnded, 0); }

void CTavo_Ladu330_Pk27ToolDlg::StopAcquisition() {
    // The thread ends, the module stops reporting (a replay has nothing to
    // stop), the data file closes; nothing is posted after this.
    m_acquisition.Stop();
    m_chartTools.RunStopped();
    MSG pending;
    while (::PeekMessageW(&pending, m_hWnd, WM_RADAR_STATE, WM_RADAR_STATE, PM_REMOVE)) {}
    ::KillTimer(m_hWnd, kDisplayTimer);
    m_indicator.SetPicture(m_pImgNobody.Get());
    ::CheckRadioButton(m_hWnd, IDC_RADIO_MOTION, IDC_RADIO_MOTIONLESS, 0);
    m_indicator.Invalidate(TRUE);
    m_shown.valid = false;
    // Nothing runs any more, whoever stopped it (the parameter dialog, the
    // end of a recording): the user must be able to disconnect.
    const bool replay = radar::IsReplay(m_mode);
    OnModeEvent(radar::WindowEvent::Stopped);
    if (replay) FollowReplayPosition(false);
}

LRESULT CTavo_Ladu330_Pk27ToolDlg::OnRadarState() {
    const ULONGLONG sinceShown = ::GetTickCount64() - m_lastStateShownMs;
    if (sinceShown < kMinDisplayIntervalMs) {
        // Too soon: the state stays pending (the thread posts nothing more)
        // and the timer shows the newest one.
        ::SetTimer(m_hWnd, kDisplayTimer, static_cast<UINT>(kMinDisplayIntervalMs - sinceShown), nullptr);
        return 1;
    }
    ShowLatestState();
    return 1;
}

void CTavo_Ladu330_Pk27ToolDlg::ShowLatestState() {
    ::KillTimer(m_hWnd, kDisplayTimer);
    m_lastStateShownMs = ::GetTickCount64();
    TakeReportedState();
    UpdatePresenceDisplay();
}

void CTavo_Ladu330_Pk27ToolDlg::TakeReportedState() {
    // A report stored after this posts again, so the newest state is never left unshown.
    const radar::ReportState latest = m_acquisition.TakeState();
    m_nState = latest.state;
    m_nDistance = latest.distance;
}

void CTavo_Ladu330_Pk27ToolDlg::UpdatePresenceDisplay() {
    const int32_t state = m_nState;
    int button = 0;  // outside the group: clears both
    Gdiplus::Bitmap* picture = m_pImgNobody.Get();
    if (state == 1) {
        button = IDC_RADIO_MOTION;
        picture = m_pImgMotion.Get();
    } else if (state == 2) {
        button = IDC_RADIO_MOTIONLESS;
        picture = m_pImgMotionless.Get();
    }
    const int32_t distance = m_nDistance;
    // Reports repeat the same state and often the same distance: redrawing
    // (and copying the picture) only on a change keeps 20 reports a second cheap.
    const bool all = !m_shown.valid;
    if (all || button != m_shown.button) ::CheckRadioButton(m_hWnd, IDC_RADIO_MOTION, IDC_RADIO_MOTIONLESS, button);
    if (all || picture != m_shown.picture) {
        m_indicator.SetPicture(picture);
        m_indicator.Invalidate(TRUE);
    }
    if (all || distance != m_shown.distance) {
        SetDlgItemTextW(IDC_STATIC_DISTANCE, std::to_wstring(distance));
        ::InvalidateRect(GetDlgItem(IDC_STATIC_DISTANCE), nullptr, TRUE);
    }
    m_shown = {true, button, picture, distance};
}

void CTavo_Ladu330_Pk27ToolDlg::SetupWaveChart() {
    // The plot's grid and captions are a picture in the resources, one per
    // language: found in the chosen language like every string.
    UniqueImage picture;
    if (HRSRC found = FindResourceInChosenLanguage(L"PNG", MAKEINTRESOURCEW(IDB_CHART_BACKGROUND))) {
        const void* bytes = ::LockResource(::LoadResource(GetResourceModule(), found));
        if (bytes) picture.Reset(Gdiplus_LoadBitmapFromData(bytes, ::SizeofResource(GetResourceModule(), found)));
    }
    if (picture && !Gdiplus_BitmapOK(picture.Get())) picture.Reset();
    StyleRecentValuesChart(m_waveWnd, picture.Get(), m_nMaxDistance);  // the chart keeps its own copy
    RestartWaveChart();
}

void CTavo_Ladu330_Pk27ToolDlg::RestartWaveChart() {
    RenewHistory();
    m_chartTools.SetPeriod(m_param.ReportTimeMS);
    LayOutRecentValuesChart(m_waveWnd, m_fScale, m_nHistoryCount);
}

void CTavo_Ladu330_Pk27ToolDlg::RenewHistory() {
    if (m_param.ReportTimeMS == 0) m_param.ReportTimeMS = ReportPeriodMs();
    m_nHistoryCount = m_acquisition.RenewHistory(m_param.ReportTimeMS);
}

int CTavo_Ladu330_Pk27ToolDlg::ReportPeriodMs() const {
    return m_param.ReportTimeMS > 0 ? m_param.ReportTimeMS : kDefaultReportTimeMs;
}

void CTavo_Ladu330_Pk27ToolDlg::ShowError(UINT textId) { ShowErrorText(LoadResString(textId)); }

void CTavo_Ladu330_Pk27ToolDlg::ShowErrorText(const std::wstring& text) {
    ShowErrorBox(m_hWnd, text, LoadResString(IDS_CAPTION_ERROR));
}
