// The main window: port choice, baud rate, connection, the acquisition's
// controls and the presence display. The acquisition (thread, recording, log,
// frame parsing, history) is its own object, which this window owns and
// listens to.
//
// Threads: everything here runs on the user-interface thread except the
// acquisition sink's operations (the acquisition thread). What the two share
// is marked at each field.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/Acquisition.h"
#include "chart/ChartTools.h"
#include "export/CsvExportCommand.h"
#include "acquisition/OutputFile.h"
#include "replay/RecordingSource.h"
#include "window/ReplayMenu.h"
#include "Tavo_Common.h"
#include "controls/ColorStatic.h"
#include "framework/Controls.h"
#include "controls/WndResizeTool.h"
#include "wave/WaveWnd.h"
#include "Tavo_DataProcess.h"
#include "config/RadarParam.h"
#include "framework/Dialog.h"
#include "params/IToolDlgInterface.h"
#include "params/ParamConfigDlg.h"
#include "imagehelper/GdiplusHelper.h"

// Posted by the acquisition thread after each accepted report frame.
constexpr UINT WM_RADAR_STATE = WM_USER + 0x100;
// Posted to the main window about a replay: wParam kReplayEnded (by the
// acquisition thread) or kReplayRefused (the recording could not be played).
constexpr UINT WM_REPLAY = WM_USER + 0x101;
constexpr WPARAM kReplayEnded = 0, kReplayRefused = 1;
// Posted to the main window when its log or data file could not be created
// at a start, or the first time a write to one of them failed (from any thread).
constexpr UINT WM_FILE_FAILED = WM_USER + 0x102;

class CTavo_Ladu330_Pk27ToolDlg : public CDialogEx,
                                  public IThreadFuncInterface,
                                  public IToolDlgInterface,
                                  private radar::IAcquisitionSink {
public:
    explicit CTavo_Ladu330_Pk27ToolDlg(CWnd* parent = nullptr);
    ~CTavo_Ladu330_Pk27ToolDlg() override;

    // IToolDlgInterface
    void LoadDefaultParameters() override;
    void StopAcquisition() override;

    // BaudRate and the record from / into the configuration document.
    void LoadConfig();
    void SaveConfig();

    // Before the window opens: play the recording at path instead of talking
    // to a module, speed times faster than recorded (empty: real time).
    void SetReplay(const std::wstring& path, const std::wstring& speed);

    // IThreadFuncInterface: the acquisition thread's body, which is the acquisition's.
    int ThreadFunc() override { return m_acquisition.ThreadFunc(); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    // Enter and Escape do nothing: the window closes only through its close box.
    void OnOK() override {}
    void OnCancel() override {}
    // The tool's own messages (WM_RADAR_STATE, WM_REPLAY, WM_FILE_FAILED) and the test queries.
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Close, destroy, size and timer let the default processing follow.
    bool OnClose() override;
    bool OnDestroy() override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnCommand(UINT id, UINT code) override;
    bool OnButtonClicked(UINT id) override;

private:
    void SaveSettingsAndClose();
    void ReleaseAtDestroy();
    void OnBnClickedRefresh();
    void OnBnClickedConnect();
    void OnBnClickedStart();
    void OnBnClickedParamConfig();
    void FitToSize(UINT type, int cx, int cy);
    LRESULT OnRadarState();
    void ShowLatestState();
    // A replay in place of the module (…DlgReplay.cpp): from the command
    // line, the system menu or a dropped file, all through OpenRecording.
    void OpenReplay();
    LRESULT OnReplay(WPARAM what);
    void InitReplayMenu();
    // The system menu's replay commands, dropped files and the test queries about them.
    bool OnReplayMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void ChooseRecording();
    // Plays path from now on (a run stops first, a port closes); a file that
    // cannot be played is refused with a message and changes nothing.
    bool OpenRecording(const std::wstring& path, double speed);
    void RefuseReplay(radar::ReplayProblem problem, const std::wstring& subject);
    void SetReplaySpeed(double speed);
    // Leaves replay mode: the window as a fresh start shows it.
    void BackToLive();
    // Between replayed frames: the report period, sped up.
    double ReplayIntervalMs() const;
    // The version label shows the recording's name and, from its first start,
    // the time played and its whole time ("0:12 / 1:05 name"); a timer
    // follows it while it runs.
    void ShowReplayPosition();
    void FollowReplayPosition(bool running);

    void OpenLogFile();
    // The notices of a log or data file that is not written, as things stand.
    void ShowFileNotices();
    // Tells of files that could not be created or written: once per run.
    LRESULT OnFileFailed();
    void LoadPictures();
    void StartAcquisition();
    void UpdatePresenceDisplay();
    // The chart styled once (at start-up), then restarted.
    void SetupWaveChart();
    // The chart laid out for m_fScale with a new, zeroed history.
    void RestartWaveChart();
    void RenewHistory();
    // Copies the acquisition's newest state into m_nState and m_nDistance.
    void TakeReportedState();
    // radar::IAcquisitionSink (acquisition thread).
    bool PostStateChanged() override;
    void FeedHistory(const int32_t* distances, int32_t count) override;
    void PostSourceEnded() override;

    void Disconnect();
    // Watches the connected port while the user is connected: a notice says
    // when it is gone and goes when it is back.
    void WatchPort(bool on);
    void OnTimerElapsed(UINT_PTR id);
    // Shows or hides one notice (a string id) in the chart's status line.
    void SetNotice(UINT stringId, bool shown);
    // The notices, then a running CSV export's progress, in the status line.
    void ShowNotices();

    void ShowError(UINT textId);
    void ReadBaudRate();
    void UpdateVersionLabel();
    void ShowVersionText(const std::wstring& text);
    void EnableItem(int id, BOOL enable) { ::EnableWindow(GetDlgItem(id), enable); }

    static constexpr UINT kErrorBoxType = MB_ICONERROR | MB_TOPMOST;  // 0x40010
    static constexpr int kDefaultReportTimeMs = 50;
    static constexpr UINT_PTR kPortWatchTimer = 1;
    static constexpr UINT_PTR kDisplayTimer = 2;  // shows the newest state when it came too soon
    static constexpr UINT_PTR kReplayPositionTimer = 3;

    HICON m_hIcon = nullptr;
    CWndResizeTool m_resizeTool;
    double m_fScale = 1.0;              // smaller of the resize tool's two ratios
    CColorStatic m_indicator;           // 1400: presence picture
    CColorStatic m_distanceLabel;       // 1403: distance, cm
    CColorStatic m_unitLabel;           // 1107: unit text
    CStatic m_versionLabel;             // 1208: firmware version, clipped when long
    CToolTipCtrl m_versionTip;          // the whole version text over the label
    CWaveWnd m_waveWnd;                 // 1500: distance chart; AppendData from the acquisition thread
    bool m_configFailureShown = false;  // UI thread: a failed save of the settings was told this run
    bool m_bClosing = false;            // UI thread: OnDestroy has begun
    bool m_fileFailureShown = false;    // UI thread: this run's box about its files was shown
    int32_t m_nState = 0;               // UI thread: the state shown, taken from the acquisition
    int32_t m_nDistance = 0;            // same
    ULONGLONG m_lastStateShownMs = 0;   // UI thread: when the display last took the state
    int32_t m_nMaxDistance = 800;
    int32_t m_nHistoryCount = 0;  // UI thread: length of the acquisition's distance history
    int32_t m_nBaudRate = 256000;
    TAVO_DEVICE_HANDLE m_hDevice = nullptr;  // UI thread; the acquisition thread reads through m_deviceSource
    CBaseStringA m_strVersion;
    // UI thread. The user's connection, as button 1103 shows it: it stays set
    // while a connected port is away, so the next click disconnects.
    BOOL m_bConnected = FALSE;
    BOOL m_bRunning = FALSE;  // UI thread
    UniqueImage m_pImgNobody;
    UniqueImage m_pImgMotion;
    UniqueImage m_pImgMotionless;
    RadarParam m_param;
    std::vector<UINT> m_notices;  // UI thread: string ids shown in the chart's status line
    // What UpdatePresenceDisplay last put on screen (UI thread); not valid
    // after anything else changed those controls.
    struct ShownPresence {
        bool valid;
        int button;
        Gdiplus::Bitmap* picture;
        int32_t distance;
    } m_shown{false, 0, nullptr, 0};
    // Replay: set up on the UI thread before any start; the acquisition
    // thread reads from m_replay only while it runs.
    bool m_replayRequested = false;
    std::wstring m_replayPath, m_replaySpeedText, m_replayProblem;
    double m_replaySpeed = 1.0;
    bool m_replayPlayed = false;  // UI thread: the open recording was started at least once
    radar::CReplayMenu m_replayMenu;
    std::unique_ptr<radar::RecordingSource> m_replay;  // null: the device is the source
    // The acquisition reads from one of these; both outlive it.
    radar::DeviceByteSource m_deviceSource;
    std::unique_ptr<radar::ReplayByteSource> m_replaySource;  // over m_replay
    // Its thread, files and history; it tells this window through the sink.
    radar::CAcquisition m_acquisition{*this, radar::CAcquisition::ProgramLogFolder()};
    // The chart's read-out, menu and link health line.
    CChartTools m_chartTools{m_waveWnd, m_acquisition};
    // "Export CSV…" in the system menu; tells its progress through the status line.
    CCsvExportCommand m_csvExport{[this] { ShowNotices(); }, [this] { return m_param.ReportTimeMS; }};
    CParamConfigDlg m_paramDlg{&m_param};  // modeless, hidden until button 1104; lives as long as this window
};
