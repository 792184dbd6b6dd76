// The tuning assistant: the main window's modeless dialog that takes two
// recordings (the room empty, a person keeping still at their place), each
// recorded for a set time through the main window or chosen from a file,
// runs the tuning analysis (recording/tuning) with the parameters in effect
// and shows its findings and suggestion. "Apply" gives the suggestion to the
// parameter dialog as a loaded profile; nothing is written to the module here.
// Everything runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Tuning.h"
#include "WindowMode.h"
#include "config/RadarParam.h"
#include "framework/Dialog.h"

// What the assistant needs from the main window.
class ITuningAssistantHost {
public:
    virtual ~ITuningAssistantHost() = default;
    // The parameter record (last read, loaded or set) and the report period.
    virtual RadarParam ParamsInEffect() const = 0;
    virtual uint32_t ReportPeriodOfRecord() const = 0;
    // Starts the live run that ends itself after kTimedRecordingSeconds;
    // false when it did not start (the window has told why; a mode that
    // allows none has the record buttons off).
    virtual bool StartTimedRecording() = 0;
    // Ends it early; the recording is then not kept for the assistant.
    virtual void CancelTimedRecording() = 0;
    // The suggestion into the parameter dialog as a loaded profile, which is shown.
    virtual void LoadSuggestion(const RadarParam& suggested) = 0;
};

class CTuningAssistantDlg : public CDialogEx {
public:
    // A step's recording: beyond the analysis's shortest (tuning::kMinRecordingMs).
    static constexpr int kTimedRecordingSeconds = 30;
    enum Step { kEmpty = 0, kOccupied = 1 };

    explicit CTuningAssistantDlg(ITuningAssistantHost& host);
    ~CTuningAssistantDlg() override;

    // Shows the dialog, made on first use.
    void Open(CWnd* owner);
    // The main window's view after each change of its mode or mark.
    void ShowMode(const radar::ModeView& view);
    // A timed recording counts down / ended: path is the recording, empty when
    // it was stopped before its time (the step then holds nothing).
    void ShowCountdown(int secondsLeft);
    void TimedRecordingEnded(const std::wstring& path);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;  // the close box hides the dialog; a timed recording goes on
    bool OnButtonClicked(UINT id) override;

private:
    void OnRecord(Step step);
    void OnChoose(Step step);
    void Hold(Step step, const std::wstring& path);
    void Analyse();
    void Apply();
    // Buttons, the step's file names and the apply note from the state.
    void ShowState();
    std::wstring ResultText(const tuning::TuningResult& result, uint32_t periodMs) const;

    ITuningAssistantHost& m_host;
    radar::ModeView m_view{};
    std::wstring m_files[2];
    int m_recordingStep = -1;  // the step a timed recording fills, -1: none
    bool m_hasSuggestion = false;
    std::vector<tuning::Suggestion> m_suggestions;  // the last analysis's, applied to the record as it is then
};
