#include "window/TuningAssistantDlg.h"

#include <string>
#include <vector>

#include "ChartReadout.h"
#include "Tavo_Common.h"
#include "Tuning.h"
#include "TuningText.h"
#include "acquisition/RecordingDialog.h"
#include "framework/LongPath.h"
#include "framework/ResourceStrings.h"
#include "resource.h"

namespace {

// The record's field a suggestion sets.
int32_t& FieldOf(RadarParam& p, tuning::Setting setting) {
    switch (setting) {
    case tuning::Setting::MotionRangeMin: return p.nMotionRangeMin;
    case tuning::Setting::MotionRangeMax: return p.nMotionRangeMax;
    case tuning::Setting::MotionlessRangeMin: return p.nMotionlessRangeMin;
    case tuning::Setting::MotionlessRangeMax: return p.nMotionlessRangeMax;
    case tuning::Setting::OffTime: return p.nOffTime;
    case tuning::Setting::Calibration: break;
    }
    return p.nDistanceCalibration;
}

static_assert(CTuningAssistantDlg::kTimedRecordingSeconds * 1000 > tuning::kMinRecordingMs,
              "a timed recording is long enough to be analysed");

constexpr UINT kRecordIds[] = {IDC_TUNE_EMPTY_RECORD, IDC_TUNE_OCCUPIED_RECORD};
constexpr UINT kChooseIds[] = {IDC_TUNE_EMPTY_CHOOSE, IDC_TUNE_OCCUPIED_CHOOSE};
constexpr UINT kFileIds[] = {IDC_TUNE_EMPTY_FILE, IDC_TUNE_OCCUPIED_FILE};

// The analysis's own text is ASCII (its numbers and the parameters' keys).
std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Number(int64_t value) { return std::to_wstring(value); }

// An edit control shows line ends as CR LF.
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

std::wstring Fill(UINT id, const std::vector<std::wstring>& values) {
    return radar::FillPlaceholders(LoadResString(id), values);
}

// Why the recordings cannot be judged, in the window's language.
std::wstring ProblemText(const tuning::TuningResult& result) {
    using P = tuning::TuningProblem;
    const std::wstring seconds = Number(tuning::kMinRecordingMs / 1000);
    switch (result.problem) {
    case P::None: return L"";
    case P::EmptyHasNoFrames: return Fill(IDS_TUNE_PROBLEM_NO_FRAMES, {LoadResString(IDS_TUNE_EMPTY_NAME)});
    case P::OccupiedHasNoFrames: return Fill(IDS_TUNE_PROBLEM_NO_FRAMES, {LoadResString(IDS_TUNE_OCCUPIED_NAME)});
    case P::EmptyTooShort: return Fill(IDS_TUNE_PROBLEM_TOO_SHORT, {LoadResString(IDS_TUNE_EMPTY_NAME), seconds});
    case P::OccupiedTooShort: return Fill(IDS_TUNE_PROBLEM_TOO_SHORT, {LoadResString(IDS_TUNE_OCCUPIED_NAME), seconds});
    case P::TooLong: return LoadResString(IDS_TUNE_PROBLEM_TOO_LONG);
    case P::Swapped: return LoadResString(IDS_TUNE_PROBLEM_SWAPPED);
    case P::EmptyAlwaysPresent: return LoadResString(IDS_TUNE_PROBLEM_EMPTY_PRESENT);
    case P::OccupiedNeverPresent: return LoadResString(IDS_TUNE_PROBLEM_NEVER_PRESENT);
    }
    return L"";
}

std::wstring ReasonText(const tuning::Suggestion& s) {
    using R = tuning::Reason;
    switch (s.reason) {
    case R::NearClutter: return Fill(IDS_TUNE_REASON_NEAR, {Number(s.a), Number(s.b)});
    case R::FarClutter: return Fill(IDS_TUNE_REASON_FAR, {Number(s.a), Number(s.b)});
    case R::BridgeGaps:
    case R::BridgeGapsCapped: return Fill(IDS_TUNE_REASON_BRIDGE, {Number(s.a)});
    case R::Calibration: return Fill(IDS_TUNE_REASON_CALIBRATION, {Number(s.a), Number(s.b)});
    }
    return L"";
}

}  // namespace

CTuningAssistantDlg::CTuningAssistantDlg(ITuningAssistantHost& host) : CDialogEx(IDD_TUNING_ASSISTANT), m_host(host) {}

CTuningAssistantDlg::~CTuningAssistantDlg() = default;

void CTuningAssistantDlg::Open(CWnd* owner) {
    if (!m_hWnd && !Create(IDD_TUNING_ASSISTANT, owner)) return;
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
}

BOOL CTuningAssistantDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    ShowState();
    return TRUE;
}

void CTuningAssistantDlg::OnCancel() { ShowWindow(SW_HIDE); }

bool CTuningAssistantDlg::OnButtonClicked(UINT id) {
    for (Step step : {kEmpty, kOccupied}) {
        if (id == kRecordIds[step]) OnRecord(step);
        if (id == kChooseIds[step]) OnChoose(step);
    }
    if (id == IDC_TUNE_ANALYSE) Analyse();
    if (id == IDC_TUNE_APPLY) Apply();
    return true;
}

void CTuningAssistantDlg::ShowMode(const radar::ModeView& view) {
    m_view = view;
    ShowState();
}

void CTuningAssistantDlg::ShowState() {
    if (!m_hWnd) return;
    for (int step : {kEmpty, kOccupied}) {
        const bool recordingThis = m_recordingStep == step;
        // A timed recording is stopped from its own button; the other waits.
        ::EnableWindow(GetDlgItem(kRecordIds[step]), recordingThis || (m_recordingStep < 0 && m_view.timedRecording));
        SetDlgItemTextW(kRecordIds[step], LoadResString(recordingThis ? IDS_TUNE_STOP : IDS_TUNE_RECORD));
        ::EnableWindow(GetDlgItem(kChooseIds[step]), !recordingThis);
        SetDlgItemTextW(kFileIds[step], m_files[step].empty() ? LoadResString(IDS_TUNE_NO_FILE) : m_files[step]);
    }
    if (m_recordingStep < 0) SetDlgItemTextW(IDC_TUNE_COUNTDOWN, L"");
    ::EnableWindow(GetDlgItem(IDC_TUNE_ANALYSE), !m_files[kEmpty].empty() && !m_files[kOccupied].empty());
    ::EnableWindow(GetDlgItem(IDC_TUNE_APPLY), m_hasSuggestion && m_view.moduleCommands);
    const UINT note = !m_hasSuggestion ? 0 : m_view.moduleCommands ? 0 : IDS_TUNE_APPLY_NO_MODULE;
    SetDlgItemTextW(IDC_TUNE_APPLY_NOTE, note ? LoadResString(note) : L"");
}

void CTuningAssistantDlg::OnRecord(Step step) {
    if (m_recordingStep == step) return m_host.CancelTimedRecording();  // ends through TimedRecordingEnded
    if (m_recordingStep >= 0) return;
    m_recordingStep = step;
    m_files[step].clear();
    // A start that failed was told by the window (the port away, the thread).
    if (!m_host.StartTimedRecording()) m_recordingStep = -1;
    ShowState();
}

void CTuningAssistantDlg::ShowCountdown(int secondsLeft) {
    if (m_hWnd) SetDlgItemTextW(IDC_TUNE_COUNTDOWN, Fill(IDS_TUNE_COUNTDOWN, {Number(secondsLeft)}));
}

void CTuningAssistantDlg::TimedRecordingEnded(const std::wstring& path) {
    const int step = m_recordingStep;
    m_recordingStep = -1;
    if (step >= 0 && !path.empty()) return Hold(static_cast<Step>(step), path);
    ShowState();
}

void CTuningAssistantDlg::OnChoose(Step step) {
    const std::wstring path = radar::AskRecordingToOpen(m_hWnd, LoadResString(IDS_TUNE_CHOOSE_TITLE));
    if (!path.empty()) Hold(step, path);
}

void CTuningAssistantDlg::Hold(Step step, const std::wstring& path) {
    m_files[step] = path;
    // A result belongs to the pair it came from.
    m_hasSuggestion = false;
    SetDlgItemTextW(IDC_TUNE_RESULT, L"");
    ShowState();
    if (!m_files[kEmpty].empty() && !m_files[kOccupied].empty()) Analyse();
}

void CTuningAssistantDlg::Analyse() {
    m_hasSuggestion = false;
    tuning::TuningOptions options;
    options.periodMs = m_host.ReportPeriodOfRecord();
    BOOL translated = FALSE;
    const std::wstring distanceText = GetDlgItemTextW(IDC_TUNE_TRUE_DISTANCE);
    const UINT distance = GetDlgItemInt(IDC_TUNE_TRUE_DISTANCE, &translated, FALSE);
    std::wstring text;
    if (!distanceText.empty() && (!translated || distance > 65535)) {
        text = LoadResString(IDS_TUNE_BAD_DISTANCE);
    } else {
        options.hasTrueDistance = !distanceText.empty();
        options.trueDistanceCm = static_cast<int32_t>(distance);
        tuning::ReportTrack tracks[2];
        for (int step : {kEmpty, kOccupied}) {
            unsigned char* block = nullptr;
            const int64_t size = ReadFileDataW(ExtendedLengthPath(m_files[step]).c_str(), &block);
            if (!block) {
                text = Fill(IDS_TUNE_CANNOT_READ, {m_files[step], LoadResString(IDS_PROFILE_CANNOT_READ)});
                break;
            }
            tracks[step] = tuning::TrackOf(block, size > 0 ? static_cast<size_t>(size) : 0);
            ReleaseFileData(block);
        }
        if (text.empty()) {
            const RadarParam current = m_host.ParamsInEffect();
            const tuning::TuningResult result =
                tuning::AnalyseTuning(tracks[kEmpty], tracks[kOccupied], ModuleParametersOf(current), options);
            text = result.problem != tuning::TuningProblem::None ? ProblemText(result)
                                                                 : ResultText(result, options.periodMs);
            if (result.problem == tuning::TuningProblem::None && !result.suggestions.empty()) {
                m_suggestions = result.suggestions;
                m_hasSuggestion = true;
            }
        }
    }
    SetDlgItemTextW(IDC_TUNE_RESULT, WithCrLf(text));
    ShowState();
}

std::wstring CTuningAssistantDlg::ResultText(const tuning::TuningResult& r, uint32_t periodMs) const {
    std::wstring out = LoadResString(IDS_TUNE_HEAD_SUGGESTIONS) + L"\n";
    if (r.suggestions.empty()) out += LoadResString(IDS_TUNE_NO_SUGGESTION) + L"\n";
    for (const tuning::Suggestion& s : r.suggestions)
        out += Fill(IDS_TUNE_SUGGESTION,
                    {Widen(tuning::SettingKey(s.setting)), Number(s.from), Number(s.to), ReasonText(s)}) +
               L"\n";
    out += L"\n" + LoadResString(IDS_TUNE_HEAD_PREDICTED) + L"\n";
    out += Fill(IDS_TUNE_PRESENCE_COUNTS, {Number(static_cast<int64_t>(r.before.falsePresenceSpells)),
                                           Number(static_cast<int64_t>(r.after.falsePresenceSpells))}) +
           L"\n";
    out += Fill(IDS_TUNE_DEPARTURE_COUNTS, {Number(static_cast<int64_t>(r.before.falseDepartures)),
                                            Number(static_cast<int64_t>(r.after.falseDepartures))}) +
           L"\n";
    // The findings in full: the analysis's own words.
    out += L"\n" + LoadResString(IDS_TUNE_HEAD_DETAILS) + L"\n" + Widen(tuning::FormatTuning(r, periodMs));
    return out;
}

void CTuningAssistantDlg::Apply() {
    if (!m_hasSuggestion || !m_view.moduleCommands) return;  // the button is off then
    // Onto the record as it is now (read or loaded since the analysis, perhaps):
    // only the suggested settings change.
    RadarParam suggested = m_host.ParamsInEffect();
    for (const tuning::Suggestion& s : m_suggestions) FieldOf(suggested, s.setting) = s.to;
    m_host.LoadSuggestion(suggested);
}
