#include "Tavo_Ladu330_Pk27ToolDlg.h"

#include <share.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "app/ConfigParser.h"
#include "framework/ResourceStrings.h"
#include "imagehelper/GdiplusHelper.h"
#include "resource.h"

namespace {

constexpr UINT kErrorBoxType = MB_ICONERROR | MB_TOPMOST;  // 0x40010
constexpr wchar_t kFilePrefix[] = L"Ladu330Pk27TOOL_";
constexpr int kReadTimeoutMs = 2000;
constexpr int kDefaultReportTimeMs = 50;
constexpr int kHistorySpanMs = 15000;
constexpr int kReplayWaitMs = 100;  // longest wait for a replayed frame: stop stays prompt
constexpr UINT_PTR kPortWatchTimer = 1;
constexpr UINT kPortWatchMs = 500;
// The presence display changes at most this often. The module's own rate (a
// report every 50 ms) is never held back; a faster stream (a replay sped up,
// reports back to back) leaves the queue empty between updates, so clicks and
// paints are served while it runs.
constexpr UINT_PTR kDisplayTimer = 2;
constexpr ULONGLONG kMinDisplayIntervalMs = 20;
constexpr COLORREF kNoticeColor = RGB(0xC0, 0, 0);

// Answered with the number of GDI objects our owners hold (framework/ScopedGdi.h):
// a leak check from outside, since Wine's GetGuiResources answers 0.
UINT LiveGdiObjectsMessage() {
    static const UINT message = RegisterWindowMessageW(L"Tavo_Ladu330_Pk27Tool.LiveGdiObjects");
    return message;
}

// Answered with the number of times the chart has painted: whether the screen
// keeps up while reports stream, seen from outside.
UINT ChartPaintsMessage() {
    static const UINT message = RegisterWindowMessageW(L"Tavo_Ladu330_Pk27Tool.ChartPaints");
    return message;
}

std::wstring FromAnsi(const char* text, UINT codePage) {
    if (!text || !*text) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

// The system's text for an error code, without its line end.
std::wstring SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n > 0 && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!message.empty() && iswspace(message.back())) message.pop_back();
    // A code the system has no text for still says which it is.
    return message.empty() ? L"(" + std::to_wstring(error) + L")" : message;
}

// The folder "Log" beside the executable, created when missing.
std::wstring LogFolder() {
    wchar_t folder[TAVO_MAX_PATH] = {};
    wchar_t log[TAVO_MAX_PATH] = {};
    GetProgramPathW(GetCurrentProcessId(), folder);
    CombinePathNameW(log, folder, L"Log");
    RecursiveCreateDirectoryW(log);
    return log;
}

// A new date-based file in the log folder.
std::wstring NewLogFolderFile(const wchar_t* extension) {
    std::wstring folder = LogFolder();
    wchar_t name[TAVO_MAX_PATH] = {};
    wchar_t path[TAVO_MAX_PATH] = {};
    GetFileNameByDateW(name, extension, kFilePrefix, L"", 0, 1, 0);
    CombinePathNameW(path, folder.c_str(), name);
    return path;
}

}  // namespace

size_t WriteAllToFile(FILE* stream, const void* data, size_t length) {
    if (!stream || !data || length == 0) return 0;
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < length) {
        const size_t remaining = length - written;
        const size_t n = fwrite(bytes + written, 1, remaining, stream);
        written += n;
        // A write that makes no progress ends the loop even when the stream
        // does not report an error: never spin on a stuck file.
        if (n == 0 || (n < remaining && ferror(stream))) break;
    }
    return written;
}

int LogFileSink(void* user, int /*level*/, const char* text, int length) {
    FILE* stream = static_cast<FILE*>(user);
    if (!stream || !text || length <= 0) return 0;
    // After a failed write the log takes nothing more: it stays a clean
    // prefix of what was logged.
    if (ferror(stream)) return 0;
    ClearStreamError();
    const size_t written = WriteAllToFile(stream, text, static_cast<size_t>(length));
    // Each line reaches the file at once: nothing is lost if the tool dies.
    const bool flushed = fflush(stream) == 0;
    if (!flushed || written < static_cast<size_t>(length)) COutputFile::StreamFailed(stream, StreamError());
    return static_cast<int>(written);
}

CTavo_Ladu330_Pk27ToolDlg::CTavo_Ladu330_Pk27ToolDlg(CWnd* parent) : CDialogEx(IDD_MAIN, parent) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_strVersion.Set("Unknown", -1);
}

CTavo_Ladu330_Pk27ToolDlg::~CTavo_Ladu330_Pk27ToolDlg() {
    // Normally all released in OnDestroy; this covers a window that never existed.
    m_bStopThread = 1;
    m_thread.StopThread();
    delete[] m_pHistory;
}

void CTavo_Ladu330_Pk27ToolDlg::LoadDefaultParameters() { ::LoadDefaultParameters(m_param); }

void CTavo_Ladu330_Pk27ToolDlg::LoadConfig() {
    const int32_t reportTime = m_param.ReportTimeMS;
    LoadConfigValues(gConfigParser, m_nBaudRate, m_param);
    // The history spans 15 s of reports: a period outside 1..15000 ms would
    // leave it empty or negative, so such a value is not taken.
    if (m_param.ReportTimeMS < 1 || m_param.ReportTimeMS > kHistorySpanMs) m_param.ReportTimeMS = reportTime;
}

void CTavo_Ladu330_Pk27ToolDlg::SaveConfig() {
    StoreConfigValues(gConfigParser, m_nBaudRate, m_param);
    unsigned long error = 0;
    const bool saved = WriteConfigFile(&error);
    if (m_bClosing) return;  // the save at exit: the window is going, nothing left to show it on
    SetNotice(IDS_NOTICE_SETTINGS_NOT_SAVED, !saved);
    // Once a run; the notice stays until a save succeeds again.
    if (saved || m_configFailureShown) return;
    m_configFailureShown = true;
    const std::wstring text =
        LoadResString(IDS_SETTINGS_SAVE_FAILED) + L"\n" + GetConfigFilePath() + L"\n" + SystemMessage(error);
    std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
    MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), kErrorBoxType);
}

BOOL CTavo_Ladu330_Pk27ToolDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // Caption: the template's text followed by the executable's file version.
    wchar_t exePath[TAVO_MAX_PATH] = {};
    wchar_t version[TAVO_MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exePath, TAVO_MAX_PATH);
    if (!GetFileVersionW(exePath, version, TAVO_MAX_PATH)) version[0] = L'\0';
    SetWindowTextW(GetWindowTextW() + L"(v" + version + L")");

    m_logFile.NotifyFailureTo(m_hWnd, WM_FILE_FAILED);
    m_dataFile.NotifyFailureTo(m_hWnd, WM_FILE_FAILED);
    OpenLogFile();
    LoadPictures();
    OnBnClickedRefresh();

    LoadDefaultParameters();
    LoadConfig();
    SetDlgItemInt(IDC_EDIT_BAUDRATE, static_cast<UINT>(m_nBaudRate), TRUE);
    EnableItem(IDC_BTN_START, FALSE);
    EnableItem(IDC_BTN_PARAM_CONFIG, FALSE);

    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    m_indicator.InitLabel(face, L"", static_cast<int>(m_fScale * 40), 2);
    m_distanceLabel.InitLabel(face, L"460", static_cast<int>(m_fScale * 40), 2);
    m_unitLabel.InitLabel(face, nullptr, static_cast<int>(m_fScale * 30), 0);

    if (m_versionTip.Create(this)) {
        m_versionTip.SetMaxTipWidth(800);
        // The label itself is the tool: the tip covers it at whatever size
        // the window gives it.
        m_versionTip.AddWindowTool(&m_versionLabel, L"固件版本:Unknown");
    }

    SetupWaveChart();
    UpdatePresenceDisplay();
    m_resizeTool.AttachWindow(m_hWnd);
    if (m_replayRequested) OpenReplay();

    m_hDevice = Tavo_Interface_RadarDevice_Serial_Create();
    m_paramDlg.SetDevice(m_hDevice);
    m_paramDlg.SetToolDlg(this);
    m_paramDlg.Create(IDD_PARAM_CONFIG, this);  // hidden: the template is not visible
    return TRUE;
}

void CTavo_Ladu330_Pk27ToolDlg::DoDataExchange() {
    m_indicator.SubclassDlgItem(IDC_STATIC_INDICATOR, this);
    m_distanceLabel.SubclassDlgItem(IDC_STATIC_DISTANCE, this);
    m_unitLabel.SubclassDlgItem(IDC_STATIC_UNIT, this);
    m_waveWnd.SubclassDlgItem(IDC_STATIC_WAVE, this);
    m_versionLabel.SubclassDlgItem(IDC_STATIC_VERSION, this);
}

void CTavo_Ladu330_Pk27ToolDlg::OpenLogFile() {
    // The sink is not running while its stream changes.
    DbgOutputDelCallback(LogFileSink);
    m_logFile.Create(NewLogFolderFile(L".log"), _SH_DENYWR);
    DbgOutputAddCallback(LogFileSink, m_logFile.Stream());
    DbgOutputSetTag(nullptr, 0);
    DbgOutputSetTimeType(1);
    DbgOutputSetIncludePIDTID(0);
    ShowFileNotices();
}

void CTavo_Ladu330_Pk27ToolDlg::ShowFileNotices() {
    SetNotice(IDS_NOTICE_NOT_LOGGING, !m_logFile.IsWritable());
    // A replay records nothing new: there is no data file to miss.
    SetNotice(IDS_NOTICE_NOT_RECORDING, !m_replay && m_dataFile.Failed());
}

LRESULT CTavo_Ladu330_Pk27ToolDlg::OnFileFailed() {
    ShowFileNotices();
    // One box per run, naming every file that failed by now; a file that
    // fails after it shows in the notices. Never one box per report.
    if (m_fileFailureShown) return 0;
    std::wstring text;
    for (const COutputFile* file : {&m_dataFile, &m_logFile}) {
        if (!file->Failed()) continue;
        text += LoadResString(file->CreateFailed() ? IDS_FILE_CREATE_FAILED : IDS_FILE_WRITE_FAILED);
        text += L"\n" + file->Path() + L"\n" + SystemMessage(file->Error()) + L"\n\n";
    }
    if (text.empty()) return 0;
    m_fileFailureShown = true;
    text += LoadResString(IDS_FILES_NOT_WRITTEN);
    std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
    MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), kErrorBoxType);
    return 0;
}

void CTavo_Ladu330_Pk27ToolDlg::LoadPictures() {
    wchar_t folder[TAVO_MAX_PATH] = {};
    GetProgramPathW(GetCurrentProcessId(), folder);
    auto load = [&](const wchar_t* name) -> Gdiplus::Bitmap* {
        wchar_t path[TAVO_MAX_PATH] = {};
        CombinePathNameW(path, folder, name);
        return Gdiplus_LoadBitmapFromFileW(path);
    };
    m_pImgNobody = load(L"Image\\HumanNobody.png");
    m_pImgMotion = load(L"Image\\HumanMotion.png");
    m_pImgMotionless = load(L"Image\\HumanMotionLess.png");
}

BOOL CTavo_Ladu330_Pk27ToolDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_RADAR_STATE:
        result = OnRadarState();
        return TRUE;
    case WM_REPLAY:
        result = OnReplay(wParam);
        return TRUE;
    case WM_FILE_FAILED:
        result = OnFileFailed();
        return TRUE;
    default:
        if (msg == LiveGdiObjectsMessage()) {
            result = g_liveScopedGdiObjects.load();
            return TRUE;
        }
        if (msg == ChartPaintsMessage()) {
            result = static_cast<LRESULT>(m_waveWnd.GetPaintCount());
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
    // A replay has no port, no connection and no module parameters.
    if (m_replay && (id == IDC_BTN_REFRESH || id == IDC_BTN_CONNECT || id == IDC_BTN_PARAM_CONFIG)) return true;
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
    SetupWaveChart();
}

void CTavo_Ladu330_Pk27ToolDlg::ReleaseAtDestroy() {
    // The dialog borrows the device handle: it goes before the handle does.
    m_paramDlg.DestroyWindow();
    m_bClosing = true;
    WatchPort(false);
    StopAcquisition();
    Tavo_Interface_RadarDevice_Serial_Close(m_hDevice);
    Tavo_Interface_RadarDevice_Serial_Destroy(m_hDevice);
    m_hDevice = nullptr;
    ReadBaudRate();
    SaveConfig();
    DbgOutputDelCallback(LogFileSink);
    m_logFile.Close();
    Gdiplus_DeleteBitmap(m_pImgNobody);
    Gdiplus_DeleteBitmap(m_pImgMotion);
    Gdiplus_DeleteBitmap(m_pImgMotionless);
    m_pImgNobody = m_pImgMotion = m_pImgMotionless = nullptr;
    CAutoBaseLock guard(m_historyLock);
    delete[] m_pHistory;
    m_pHistory = nullptr;
    m_nHistoryCount = 0;
}

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
    if (m_bRunning) StopAcquisition();
    ReadBaudRate();
    // What the button shows decides, not whether the port happens to be there
    // at this instant: a click on "disconnect" while the port is away must not
    // try to open it (or another one) again.
    if (m_bConnected) {
        Disconnect();
    } else {
        HWND ports = GetDlgItem(IDC_COMBO_PORT);
        LRESULT selection = ::SendMessageW(ports, CB_GETCURSEL, 0, 0);
        LRESULT portNumber = selection == CB_ERR ? CB_ERR : ::SendMessageW(ports, CB_GETITEMDATA, selection, 0);
        if (portNumber == CB_ERR) {
            EnableItem(IDC_BTN_START, FALSE);
            EnableItem(IDC_BTN_PARAM_CONFIG, FALSE);
            ShowError(IDS_NO_DEVICE);
        } else {
            if (!Tavo_Interface_RadarDevice_Serial_OpenByPortNum(m_hDevice, static_cast<int>(portNumber), m_nBaudRate,
                                                                 2, 1, 1, 150)) {
                ShowError(IDS_OPEN_DEVICE_FAILED);
                return;
            }
            m_bConnected = TRUE;
            SetDlgItemTextW(IDC_BTN_CONNECT, LoadResString(IDS_DISCONNECT));
            EnableItem(IDC_BTN_START, TRUE);
            EnableItem(IDC_BTN_PARAM_CONFIG, TRUE);
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
    m_bConnected = FALSE;
    SetDlgItemTextW(IDC_BTN_CONNECT, LoadResString(IDS_CONNECT));
    EnableItem(IDC_BTN_START, FALSE);
    EnableItem(IDC_BTN_PARAM_CONFIG, FALSE);
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
    if (id != kPortWatchTimer) return;
    if (!m_bConnected) return WatchPort(false);
    // IsConnected may run beside the acquisition thread's reads; while the
    // port is away it also tries to open it again.
    SetNotice(IDS_NOTICE_PORT_LOST, !Tavo_Interface_RadarDevice_IsConnected(m_hDevice));
}

void CTavo_Ladu330_Pk27ToolDlg::SetNotice(UINT stringId, bool shown) {
    const auto at = std::find(m_notices.begin(), m_notices.end(), stringId);
    if (shown == (at != m_notices.end())) return;
    if (shown)
        m_notices.push_back(stringId);
    else
        m_notices.erase(at);
    std::wstring text;
    for (UINT id : m_notices) {
        if (!text.empty()) text += L"\n";
        text += LoadResString(id);
    }
    m_waveWnd.SetStatusText(text, kNoticeColor);
}

void CTavo_Ladu330_Pk27ToolDlg::OnBnClickedStart() {
    if (m_bRunning) {
        StopAcquisition();
        SetDlgItemTextW(IDC_BTN_START, LoadResString(IDS_START));
        EnableItem(IDC_BTN_CONNECT, !m_replay);
        return;
    }
    ReadBaudRate();
    if (m_replay) {
        // One frame per report period of the configuration, sped up.
        const int reportMs = m_param.ReportTimeMS > 0 ? m_param.ReportTimeMS : kDefaultReportTimeMs;
        m_replay->PrepareStart(reportMs / m_replaySpeed);
    } else {
        if (!m_bConnected) return;
        if (!Tavo_Interface_RadarDevice_IsConnected(m_hDevice)) {
            // Connected, but the port is away (cable pulled): starting would
            // record nothing and say nothing.
            SetNotice(IDS_NOTICE_PORT_LOST, true);
            ShowError(IDS_START_PORT_LOST);
            return;
        }
        Tavo_Interface_RadarDevice_StartCmdMode(m_hDevice, 2, 150);
        Tavo_Interface_RadarDevice_Protocol_CleanData(m_hDevice, 500);
        Tavo_Interface_RadarDevice_Start(m_hDevice);
        Tavo_Interface_RadarDevice_StopCmdMode(m_hDevice);
    }

    m_nState = 0;
    m_nDistance = 0;
    SetupWaveChart();
    UpdatePresenceDisplay();
    StartAcquisition();

    m_bRunning = TRUE;
    SetDlgItemTextW(IDC_BTN_START, LoadResString(IDS_STOP));
    EnableItem(IDC_BTN_CONNECT, FALSE);
    SaveConfig();
}

void CTavo_Ladu330_Pk27ToolDlg::OnBnClickedParamConfig() { m_paramDlg.ShowWindow(SW_SHOW); }

void CTavo_Ladu330_Pk27ToolDlg::StartAcquisition() {
    // A new run: what the last one could not write is told afresh.
    m_fileFailureShown = false;
    MSG stale;
    while (::PeekMessageW(&stale, m_hWnd, WM_FILE_FAILED, WM_FILE_FAILED, PM_REMOVE)) {
    }
    // A log that could not be made at start-up, or failed in an earlier run,
    // is begun anew.
    if (!m_logFile.IsWritable()) OpenLogFile();
    m_dataFile.Close();
    if (!m_replay) m_dataFile.Create(NewLogFolderFile(L".dat"), _SH_DENYNO);  // a replay records nothing new
    ShowFileNotices();
    // Told from the message loop once the run is going: the display runs
    // behind the box, without recording.
    if (m_logFile.CreateFailed() || (!m_replay && m_dataFile.CreateFailed()))
        ::PostMessageW(m_hWnd, WM_FILE_FAILED, 0, 0);
    m_bStopThread = 0;
    m_thread.StartThread("ABDData", this, 0, 0, 0x400000, 0);
}

int CTavo_Ladu330_Pk27ToolDlg::ThreadFunc() {
    CBaseBuffer received;
    int blockSize = Tavo_Interface_RadarDevice_GetReadBlockBufferSize(m_hDevice);
    if (blockSize <= 0) blockSize = 4096;
    std::vector<unsigned char> block(static_cast<size_t>(blockSize));
    while (!m_bStopThread) {
        int n = m_replay ? m_replay->Read(block.data(), block.size(), kReplayWaitMs)
                         : Tavo_Interface_RadarDevice_ReadData(m_hDevice, block.data(), blockSize, kReadTimeoutMs, 0);
        if (n < 0 && m_replay) {
            ::PostMessageW(m_hWnd, WM_REPLAY, kReplayEnded, 0);
            break;
        }
        if (n <= 0) continue;
        if (FILE* data = m_dataFile.Stream(); data && !m_dataFile.Failed()) {
            // Every byte received is on disk before it is parsed. After a
            // failed write nothing more goes in: the file stays a clean prefix.
            ClearStreamError();
            const size_t written = WriteAllToFile(data, block.data(), static_cast<size_t>(n));
            if (fflush(data) != 0 || written < static_cast<size_t>(n)) m_dataFile.MarkFailed(StreamError());
        }
        received.AppendBuffer(block.data(), n);
        ParseReportFrames(received);
    }
    return 0;
}

void CTavo_Ladu330_Pk27ToolDlg::ParseReportFrames(CBaseBuffer& buffer) { radar::ScanReportBuffer(buffer, *this); }

void CTavo_Ladu330_Pk27ToolDlg::OnReportFrame(uint8_t state, uint16_t distance) {
    m_nState = state;
    m_nDistance = distance;
    // Only when the window has taken the previous state: it then shows the
    // latest one, while the log and the chart below still get every report.
    // A post that fails (a full queue) leaves nothing pending.
    if (!m_bStatePending.exchange(true) && !::PostMessageW(m_hWnd, WM_RADAR_STATE, 0, 0))
        m_bStatePending.store(false);
    DbgOutputA(2, "State=%d, M_D=%03d\r\n", static_cast<int>(state), static_cast<int>(distance));
    // The history may be renewed by the user-interface thread at any time
    // (resize): shift and feed it under its lock.
    CAutoBaseLock guard(m_historyLock);
    if (m_pHistory && m_nHistoryCount > 0) {
        memmove(m_pHistory, m_pHistory + 1, sizeof(int32_t) * static_cast<size_t>(m_nHistoryCount - 1));
        m_pHistory[m_nHistoryCount - 1] = distance;
        // The whole history, as 32-bit samples: the chart shows exactly it.
        m_waveWnd.AppendTypedData(0, 1, m_pHistory, m_nHistoryCount);
    }
}

void CTavo_Ladu330_Pk27ToolDlg::OnInvalidTrailer() { DbgOutputA(2, "Tailer TAG Invalid!\r\n"); }

void CTavo_Ladu330_Pk27ToolDlg::StopAcquisition() {
    m_bStopThread = 1;
    m_thread.StopThread();
    if (!m_replay) Tavo_Interface_RadarDevice_Stop(m_hDevice);
    m_dataFile.Close();
    MSG pending;
    while (::PeekMessageW(&pending, m_hWnd, WM_RADAR_STATE, WM_RADAR_STATE, PM_REMOVE)) {
    }
    ::KillTimer(m_hWnd, kDisplayTimer);
    m_bStatePending.store(false);  // the thread has ended: nothing will be posted
    m_indicator.SetPicture(m_pImgNobody);
    ::CheckRadioButton(m_hWnd, IDC_RADIO_MOTION, IDC_RADIO_MOTIONLESS, 0);
    m_indicator.Invalidate(TRUE);
    m_shown.valid = false;
    m_bRunning = FALSE;
    SetDlgItemTextW(IDC_BTN_START, LoadResString(IDS_START));
    // Nothing runs any more, whoever stopped it (the parameter dialog too):
    // the user must be able to disconnect.
    EnableItem(IDC_BTN_CONNECT, !m_replay);
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
    // Cleared before the state is read: a report stored after this point
    // posts again, so the newest state is never left unshown.
    m_bStatePending.store(false);
    UpdatePresenceDisplay();
}

void CTavo_Ladu330_Pk27ToolDlg::UpdatePresenceDisplay() {
    const int32_t state = m_nState;
    int button = 0;  // outside the group: clears both
    Gdiplus::Bitmap* picture = m_pImgNobody;
    if (state == 1) {
        button = IDC_RADIO_MOTION;
        picture = m_pImgMotion;
    } else if (state == 2) {
        button = IDC_RADIO_MOTIONLESS;
        picture = m_pImgMotionless;
    }
    const int32_t distance = m_nDistance;
    // Reports repeat the same state and often the same distance: redrawing
    // (and copying the picture) only on a change keeps 20 reports a second cheap.
    const bool all = !m_shown.valid;
    if (all || button != m_shown.button)
        ::CheckRadioButton(m_hWnd, IDC_RADIO_MOTION, IDC_RADIO_MOTIONLESS, button);
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
    m_waveWnd.SetChannelCount(1);
    m_waveWnd.SetSmoothCurve(FALSE);
    m_waveWnd.SetBackColor(0xFFFFFF);

    Gdiplus::Bitmap* picture = nullptr;
    HMODULE module = GetModuleHandleW(nullptr);
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDB_CHART_BACKGROUND), L"PNG")) {
        HGLOBAL loaded = LoadResource(module, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (bytes) picture = Gdiplus_LoadBitmapFromData(bytes, SizeofResource(module, found));
        if (picture && !Gdiplus_BitmapOK(picture)) {
            Gdiplus_DeleteBitmap(picture);
            picture = nullptr;
        }
    }
    m_waveWnd.SetPlotBackground(TRUE, 1, 0xFFFFFFFF);
    m_waveWnd.SetPlotPicture(picture);  // the chart keeps its own copy
    Gdiplus_DeleteBitmap(picture);

    m_waveWnd.SetLineWidth(4);
    m_waveWnd.ShowGrid(FALSE);
    m_waveWnd.SetGridStyle(1, 0xFF007F40, 0xFFFF0000);
    m_waveWnd.SetChannelColor(0, 0x0000FF);

    RenewHistory();

    m_waveWnd.SetSampleType(1);
    m_waveWnd.SetValueRange(0.0, m_nMaxDistance);
    m_waveWnd.SetWindowLength(m_nHistoryCount);
    m_waveWnd.SetWholeWindowsOnly(FALSE);
    m_waveWnd.ShowCounter(FALSE);

    m_waveWnd.ShowLeftAxis(TRUE, static_cast<int>(m_fScale * 50));
    m_waveWnd.ShowRightAxis(TRUE, static_cast<int>(m_fScale * 50));
    m_waveWnd.ShowBottomAxis(TRUE, static_cast<int>(m_fScale * 24));
    const int fontTenths = static_cast<int>(m_fScale * 10) * 10;
    m_waveWnd.SetHorzAxesText(fontTenths, L"宋体", 0xE8A200, static_cast<int>(m_fScale * 5), 0);
    m_waveWnd.SetVertAxesText(fontTenths, L"宋体", 0xE8A200, static_cast<int>(m_fScale * 2), 0);
    m_waveWnd.SetXRange(15.0, 0.0);

    // "T0-15", "T0-10", "T0-5", "T0" under the four columns.
    std::vector<WaveAxisLabel> texts;
    int key = 0;
    for (int seconds = 15; seconds > 0; seconds -= 5) texts.push_back({key++, L"T0-" + std::to_wstring(seconds)});
    texts.push_back({key, L"T0"});
    CPtrArrayCtrl labels;
    for (WaveAxisLabel& label : texts) labels.AddData(&label, -1);
    m_waveWnd.SetHorzTickCount(4);
    m_waveWnd.SetHorzAxesLabels(&labels);  // the chart keeps copies

    m_waveWnd.SetVertTickCount(5);
    m_waveWnd.SetVertAxesRange(0.0, m_nMaxDistance);
    m_waveWnd.EnableInteraction(FALSE, FALSE, FALSE, FALSE);
    m_waveWnd.InitWindow();
}

void CTavo_Ladu330_Pk27ToolDlg::RenewHistory() {
    if (m_param.ReportTimeMS == 0) m_param.ReportTimeMS = kDefaultReportTimeMs;
    int32_t count = kHistorySpanMs / m_param.ReportTimeMS;
    if (count < 1) count = 1;
    int32_t* fresh = new int32_t[static_cast<size_t>(count)]();
    CAutoBaseLock guard(m_historyLock);
    delete[] m_pHistory;
    m_pHistory = fresh;
    m_nHistoryCount = count;
}

void CTavo_Ladu330_Pk27ToolDlg::ShowError(UINT textId) {
    std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
    MessageBoxW(m_hWnd, LoadResString(textId).c_str(), caption.c_str(), kErrorBoxType);
}

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

void CTavo_Ladu330_Pk27ToolDlg::UpdateVersionLabel() {
    ShowVersionText(L"固件版本:" + FromAnsi(m_strVersion.GetString(), CP_THREAD_ACP));
}

void CTavo_Ladu330_Pk27ToolDlg::SetReplay(const std::wstring& path, const std::wstring& speed) {
    m_replayRequested = true;
    m_replayPath = path;
    m_replaySpeedText = speed;
}

// The window opens "connected" to the recording; a recording that cannot be
// played is refused with a message and the window works as without it.
void CTavo_Ladu330_Pk27ToolDlg::OpenReplay() {
    const bool english = PRIMARYLANGID(GetPreferredResourceLanguage()) == LANG_ENGLISH;
    auto refuse = [&](radar::ReplayProblem problem, const std::wstring& subject) {
        m_replayProblem = FromAnsi(radar::ReplayProblemText(problem, english), CP_UTF8);
        const size_t at = m_replayProblem.find(L"%s");
        if (at != std::wstring::npos) m_replayProblem.replace(at, 2, subject);
        // Shown once the window is up, from its own message loop.
        ::PostMessageW(m_hWnd, WM_REPLAY, kReplayRefused, 0);
    };
    double speed = 1.0;
    if (!m_replaySpeedText.empty()) {
        std::string text;
        for (wchar_t c : m_replaySpeedText) text += c < 0x80 ? static_cast<char>(c) : '?';
        if (!radar::ParseReplaySpeed(text, speed)) return refuse(radar::ReplayProblem::BadSpeed, m_replaySpeedText);
    }
    auto source = std::make_unique<radar::RecordingSource>();
    const radar::ReplayProblem problem = source->Open(_wfopen(m_replayPath.c_str(), L"rb"));
    if (problem != radar::ReplayProblem::None) return refuse(problem, m_replayPath);

    m_replay = std::move(source);
    m_replaySpeed = speed;
    const size_t slash = m_replayPath.find_last_of(L"\\/");
    ShowVersionText(L"固件版本:" + m_replayPath.substr(slash == std::wstring::npos ? 0 : slash + 1));
    for (int id : {IDC_BTN_REFRESH, IDC_COMBO_PORT, IDC_BTN_CONNECT, IDC_BTN_PARAM_CONFIG}) EnableItem(id, FALSE);
    EnableItem(IDC_BTN_START, TRUE);
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
        UpdatePresenceDisplay();
    }
    return 0;
}
