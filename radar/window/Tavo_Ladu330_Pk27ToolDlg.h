// The main window: port choice, baud rate, connection, the acquisition's
// controls and the presence display. The acquisition (thread, recording, log,
// frame parsing, history) is its own object, which this window owns and
// listens to.
//
// Its state is one mode (WindowMode.h): handlers change it through an event
// and ApplyMode sets every control, the system menu's entries and the
// parameter window from it; the port-lost notice is a flag beside it.
//
// Threads: everything here runs on the user-interface thread except the
// acquisition sink's operations (the acquisition thread). What the two share
// is marked at each field.
#pragma once

#include <windows.h>
#include <shellapi.h>

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
#include "window/LanguageMenu.h"
#include "window/ReplayMenu.h"
#include "window/TuningAssistantDlg.h"
#include "WindowMode.h"
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
                                  public IToolDlgInterface,
                                  private radar::IAcquisitionSink,
                                  private ITuningAssistantHost {
public:
    explicit CTavo_Ladu330_Pk27ToolDlg(CWnd* parent = nullptr);
    ~CTavo_Ladu330_Pk27ToolDlg() override;

    // IToolDlgInterface
    void LoadDefaultParameters() override;
    void StopAcquisition() override;
    bool ModuleCommandsAllowed() const override { return radar::ViewOf(m_mode, m_profileMark).moduleCommands; }
    void RecordChanged(RecordChange change) override;
    std::wstring FirmwareVersion() const override;

    // BaudRate and the record from / into the configuration document. A
    // failed save is told once a run; one the user asked for (asked) each
    // time, a read-only file left as it was too. True when the file was written.
    void LoadConfig();
    bool SaveConfig(bool asked = false);

    // Before the window opens: play the recording at path instead of talking
    // to a module, speed times faster than recorded (empty: real time).
    void SetReplay(const std::wstring& path, const std::wstring& speed);

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
    // The mode and the profile mark after event, and every control made to agree with them.
    void OnModeEvent(radar::WindowEvent event);
    // The only place that enables, disables and names the mode's controls,
    // the system menu's entries and the parameter window.
    void ApplyMode();
    void SaveSettingsAndClose();
    void ReleaseAtDestroy();
    void OnBnClickedRefresh();
    void OnBnClickedConnect();
    void OnBnClickedStart();
    // The module (or the recording) started and the acquisition running; false when told why not.
    bool BeginRun();
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
    // Tells textId (its "%s": subject) from the message loop; nothing changes.
    void RefuseReplay(UINT textId, const std::wstring& subject);
    // Files dropped on the window: the first is opened (a folder is refused),
    // and the user is told when others were left.
    void OpenDropped(HDROP drop);
    void SetReplaySpeed(double speed);
    // Leaves replay mode: the window as a fresh start shows it.
    void BackToLive();
    // Between replayed frames: the report period, sped up.
    double ReplayIntervalMs() const;
    // The configured report period; the module's default when none is set.
    int ReportPeriodMs() const;
    // The version label shows the recording's name and, from its first start,
    // the time played and its whole time ("0:12 / 1:05 name"); a timer
    // follows it while it runs.
    void ShowReplayPosition();
    void FollowReplayPosition(bool running);
    void OnReplayPositionTimer();

    void OpenLogFile();
    // The notices of a log or data file that is not written, as things stand.
    void ShowFileNotices();
    // Tells of files that could not be created or written: once per run.
    LRESULT OnFileFailed();
    // The tuning assistant (…DlgAssistant.cpp): its system-menu entry and
    // the timed recording it asks for, a mode of the window.
    void InitTuningAssistant();
    bool OnAssistantMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnTimedRecordingTick();
    // The mode left TimedRecording: the assistant gets the file when the time ran out.
    void EndTimedRecording();
    // ITuningAssistantHost
    RadarParam ParamsInEffect() const override { return m_param; }
    uint32_t ReportPeriodOfRecord() const override { return static_cast<uint32_t>(ReportPeriodMs()); }
    bool StartTimedRecording() override;
    void CancelTimedRecording() override;
    void LoadSuggestion(const RadarParam& suggested) override;

    void LoadPictures();
    // False (told) when the acquisition's thread could not start.
    bool StartAcquisition();
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
    void ShowErrorText(const std::wstring& text);
    void ReadBaudRate();
    void UpdateVersionLabel();
    void ShowVersionText(const std::wstring& text);
    void EnableItem(int id, BOOL enable) { ::EnableWindow(GetDlgItem(id), enable); }

    static constexpr UINT_PTR kPortWatchTimer = 1;
    static constexpr UINT_PTR kDisplayTimer = 2;  // shows the newest state when it came too soon
    static constexpr UINT_PTR kReplayPositionTimer = 3;
    static constexpr UINT_PTR kTimedRecordingTimer = 5;  // each second of a timed recording
    static_assert(kTimedRecordingTimer != CChartTools::kHealthTimer,
                  "the chart's tools set their timer on this window");

    // What another process may ask the window (registered messages
    // "Tavo_Ladu330_Pk27Tool.<name>"): tests and the picture tour see from
    // outside what Wine does not show them.
    struct QueryMessages {
        QueryMessages();
        UINT liveGdiObjects;    // the GDI objects our owners hold (Wine's GetGuiResources answers 0)
        UINT chartPaints;       // how often the chart painted: whether the screen keeps up
        UINT chartHoverText;    // a global atom of the chart's last read-out (0: none); the asker deletes it
        UINT chartHealthText;   // the same for the health line the chart last drew
        UINT systemMenuState;   // GetMenuState of system menu entry wParam, unreadable from outside
        UINT replayIntervalUs;  // between replayed frames as last started or changed, in us; -1 without a recording
    } const m_queries;

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
    // UI thread. A connected port that is away stays Connected (or Running),
    // so the next click on button 1103 disconnects.
    radar::WindowMode m_mode = radar::WindowMode::NotConnected;
    // UI thread: whether m_param holds a loaded profile no module was given; beside the mode.
    radar::ProfileMark m_profileMark = radar::ProfileMark::None;
    // UI thread: the parameter window was open when the mode took the module
    // away; it comes back with the module.
    bool m_paramDlgHiddenByMode = false;
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
    // thread reads from m_replay only while it runs. Present exactly in the
    // replay modes.
    bool m_replayRequested = false;  // from the command line, before the window exists
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
    CCsvExportCommand m_csvExport{[this] { ShowNotices(); }, [this] { return ReportPeriodMs(); }};
    // The language entries of the system menu; a choice saved through SaveConfig.
    radar::CLanguageMenu m_languageMenu{[this] { return SaveConfig(true); }};
    CParamConfigDlg m_paramDlg{&m_param};  // modeless, hidden until button 1104; lives as long as this window
    // Modeless, made at its first opening from the system menu; hidden when closed.
    CTuningAssistantDlg m_tuningAssistant{*this};
    int m_timedSecondsLeft = 0;         // UI thread: of the timed recording under way
    bool m_timedRecordingDone = false;  // UI thread: it ran its whole time (kept), not stopped early
};
