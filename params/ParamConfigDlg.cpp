#include "ParamConfigDlg.h"

#include <initializer_list>
#include <string>

#include "ParamCore.h"
#include "ParamTransfer.h"
#include "Tavo_Common.h"
#include "config/Profile.h"
#include "framework/ErrorBox.h"
#include "framework/FileDialog.h"
#include "framework/LongPath.h"
#include "framework/ResourceStrings.h"
#include "framework/SystemMessage.h"
#include "resource.h"

namespace {

constexpr COLORREF kProfileMarkColor = RGB(0xC0, 0, 0);  // as the main window's notices

// The message shown when a write command of this code fails.
UINT WriteFailedText(uint16_t code) {
    switch (code) {
    case radarproto::kWriteGeneral: return IDS_WRITE_GENERAL_FAILED;
    case radarproto::kWriteNoiseFloor: return IDS_WRITE_NOISE_FAILED;
    case radarproto::kWriteIIR: return IDS_WRITE_IIR_FAILED;
    case radarproto::kWriteWindow: return IDS_WRITE_WINDOW_FAILED;
    case radarproto::kWriteAlphaBeta: return IDS_WRITE_ALPHABETA_FAILED;
    default: return IDS_WRITE_CALIB_FAILED;
    }
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &narrow[0], n, nullptr, nullptr);
    return narrow;
}

// What is wrong with a profile, in the user's language: the kind's text and
// what the file holds there.
std::wstring ProfileErrorText(const ProfileReadResult& result) {
    switch (result.error) {
    case ProfileError::None: break;
    case ProfileError::NotXml: return LoadResString(IDS_PROFILE_NOT_XML) + L"\n" + FromUtf8(result.text);
    case ProfileError::NoRoot:
        if (result.text.empty()) return LoadResString(IDS_PROFILE_NO_ROOT);
        return LoadResString(IDS_PROFILE_WRONG_ROOT) + L"\n" + FromUtf8(result.text);
    case ProfileError::SeveralRoots: return LoadResString(IDS_PROFILE_SEVERAL_ROOTS) + L"\n" + FromUtf8(result.text);
    case ProfileError::NotANumber:
    case ProfileError::OutOfRange:
        return LoadResString(result.error == ProfileError::NotANumber ? IDS_PROFILE_NOT_A_NUMBER
                                                                      : IDS_PROFILE_OUT_OF_RANGE) +
               L"\n" + FromUtf8(result.key + "=\"" + result.text + "\"");
    }
    return std::wstring();
}

FileDialogRequest ProfileFileRequest(HWND owner, UINT titleId) {
    FileDialogRequest request;
    request.owner = owner;
    request.title = LoadResString(titleId);
    request.filter = LoadResString(IDS_PROFILE_FILTER);
    request.defaultExtension = L"xml";
    return request;
}

// Command mode for the length of a scope: entered, and the input cleaned, at
// construction; left at destruction, on every path out. The link "write all"
// runs over.
class CommandModeScope : public IParamLink {
public:
    explicit CommandModeScope(TAVO_DEVICE_HANDLE device) : m_hDevice(device) {
        Tavo_Interface_RadarDevice_StartCmdMode(device, kEnterCommandModeAttempts, kEnterCommandModeReplyMs);
        Tavo_Interface_RadarDevice_Protocol_CleanData(device, kQuietLineMaxWaitMs);
    }
    ~CommandModeScope() override { Tavo_Interface_RadarDevice_StopCmdMode(m_hDevice); }
    CommandModeScope(const CommandModeScope&) = delete;
    CommandModeScope& operator=(const CommandModeScope&) = delete;

    bool Write(const ParamWriteGroup& group) override {
        return Tavo_Interface_RadarDevice_Protocol_SetParameter(m_hDevice, group.code, group.count, group.ids,
                                                                group.values, kCommandReplyMs) != 0;
    }
    // Decoded into a copy, taken only when the whole command succeeded.
    bool Read(RadarParam& param) override {
        RadarParam read = param;
        if (Tavo_Interface_RadarDevice_Protocol_SendCommand(m_hDevice, radarproto::kReadParameters, nullptr, 0,
                                                            ParseParamResponse, &read, kCommandReplyMs) != 0)
            return false;
        param = read;
        return true;
    }

private:
    TAVO_DEVICE_HANDLE m_hDevice;
};

}  // namespace

CParamConfigDlg::CParamConfigDlg(RadarParam* param, CWnd* parent)
    : CDialogEx(IDD_PARAM_CONFIG, parent), m_pParam(param) {}

CParamConfigDlg::~CParamConfigDlg() = default;

BOOL CParamConfigDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    UpdateParamEdits();
    return TRUE;
}

bool CParamConfigDlg::OnClose() {
    ShowWindow(SW_HIDE);
    return true;
}

bool CParamConfigDlg::OnButtonClicked(UINT id) {
    // A click that reaches the hidden window (posted, or queued before the
    // mode changed) must not stop a replay or touch the record.
    if (m_pToolDlg && !m_pToolDlg->ModuleCommandsAllowed()) return true;
    switch (id) {
    case IDC_BTN_READ_PARAM: OnBnClickedReadParam(); return true;
    case IDC_BTN_SET_PARAM: OnBnClickedSetParam(); return true;
    case IDC_BTN_RESTORE_DEFAULT: OnBnClickedRestoreDefault(); return true;
    case IDC_BTN_SAVE_PROFILE: OnBnClickedSaveProfile(); return true;
    case IDC_BTN_LOAD_PROFILE: OnBnClickedLoadProfile(); return true;
    case IDC_BTN_WRITE_ALL: OnBnClickedWriteAll(); return true;
    default: return false;
    }
}

BOOL CParamConfigDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == GetDlgItem(IDC_STATIC_PROFILE_MARK)) {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, kProfileMarkColor);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    return CDialogEx::OnMessage(msg, wParam, lParam, result);
}

void CParamConfigDlg::OnBnClickedReadParam() {
    if (!Tavo_Interface_RadarDevice_IsConnected(m_hDevice)) {
        ShowError(IDS_DEVICE_NOT_CONNECTED);
        return;
    }
    if (m_pToolDlg) m_pToolDlg->StopAcquisition();
    CommandModeScope mode(m_hDevice);  // left after the message box
    // A failed read leaves the record as it was.
    RadarParam read = m_pParam ? *m_pParam : RadarParam();
    if (mode.Read(read) && m_pParam) {
        *m_pParam = read;
        UpdateParamEdits();
        RecordChanged(RecordChange::ModuleHoldsRecord);
        ShowSuccess(IDS_READ_PARAM_OK);
    } else {
        ShowError(IDS_READ_PARAM_FAILED);
    }
}

void CParamConfigDlg::OnBnClickedSetParam() {
    if (!Tavo_Interface_RadarDevice_IsConnected(m_hDevice)) {
        ShowError(IDS_DEVICE_NOT_CONNECTED);
        return;
    }
    // The values as typed; no range or order check is made.
    RadarParam sent = m_pParam ? *m_pParam : RadarParam();
    sent.nMotionRangeMin = TruncateToInt32(GetEditNumber(IDC_EDIT_MOTION_MIN));
    sent.nMotionRangeMax = TruncateToInt32(GetEditNumber(IDC_EDIT_MOTION_MAX));
    sent.nMotionlessRangeMin = TruncateToInt32(GetEditNumber(IDC_EDIT_MOTIONLESS_MIN));
    sent.nMotionlessRangeMax = TruncateToInt32(GetEditNumber(IDC_EDIT_MOTIONLESS_MAX));
    sent.nOffTime = TruncateToInt32(GetEditNumber(IDC_EDIT_OFF_TIME));
    sent.nDistanceCalibration = TruncateToInt32(GetEditNumber(IDC_EDIT_DISTANCE_CALIB));

    if (m_pToolDlg) m_pToolDlg->StopAcquisition();
    if (!WriteGroups(std::initializer_list<ParamWriteGroup>{GeneralWriteGroup(sent), CalibrationWriteGroup(sent)}))
        return;
    if (m_pParam) {
        m_pParam->nMotionRangeMax = sent.nMotionRangeMax;
        m_pParam->nMotionRangeMin = sent.nMotionRangeMin;
        m_pParam->nMotionlessRangeMax = sent.nMotionlessRangeMax;
        m_pParam->nMotionlessRangeMin = sent.nMotionlessRangeMin;
        m_pParam->nOffTime = sent.nOffTime;
        m_pParam->nDistanceCalibration = sent.nDistanceCalibration;
    }
    RecordChanged(RecordChange::ShownWritten);
    ShowSuccess(IDS_SET_PARAM_OK);
}

void CParamConfigDlg::OnBnClickedRestoreDefault() {
    if (m_pToolDlg) {
        m_pToolDlg->LoadDefaultParameters();
        m_pToolDlg->StopAcquisition();
    }
    UpdateParamEdits();
    // No connection test: with the port closed the first write fails and says so.
    if (!WriteGroups(AllWriteGroups(m_pParam ? *m_pParam : RadarParam()))) return;
    RecordChanged(RecordChange::ModuleHoldsRecord);
    ShowSuccess(IDS_RESTORE_DEFAULT_OK);
}

void CParamConfigDlg::OnBnClickedSaveProfile() {
    if (!m_pParam) return;
    const std::wstring path = AskFileToSave(ProfileFileRequest(m_hWnd, IDS_PROFILE_SAVE_TITLE));
    if (path.empty()) return;
    ProfileInfo info;
    if (m_pToolDlg) info.firmware = ToUtf8(m_pToolDlg->FirmwareVersion());
    unsigned long error = 0;
    // A file the user made read-only is left alone: that is a failure here,
    // as the user asked for this file.
    const FileWriteResult result = SaveProfile(path, *m_pParam, info, &error);
    if (result == FileWriteResult::Written) return;
    if (result == FileWriteResult::Skipped) error = ERROR_FILE_READ_ONLY;
    ShowErrorText(LoadResString(IDS_PROFILE_SAVE_FAILED) + L"\n" + path + L"\n" + SystemMessage(error));
}

void CParamConfigDlg::OnBnClickedLoadProfile() {
    if (!m_pParam) return;
    const std::wstring path = AskFileToOpen(ProfileFileRequest(m_hWnd, IDS_PROFILE_OPEN_TITLE));
    if (path.empty()) return;
    unsigned char* block = nullptr;
    const int64_t size = ReadFileDataW(ExtendedLengthPath(path).c_str(), &block);
    // Read over a copy: a profile is taken whole or not at all.
    RadarParam loaded = *m_pParam;
    ProfileReadResult result;
    if (block) {
        result = ReadProfile(block, size > 0 ? static_cast<size_t>(size) : 0, loaded);
        ReleaseFileData(block);
    }
    const std::wstring problem = block ? ProfileErrorText(result) : LoadResString(IDS_PROFILE_CANNOT_READ);
    if (!problem.empty()) {
        ShowErrorText(LoadResString(IDS_PROFILE_LOAD_FAILED) + L"\n" + path + L"\n" + problem);
        return;
    }
    LoadRecord(loaded);
}

void CParamConfigDlg::LoadRecord(const RadarParam& loaded) {
    if (!m_pParam) return;
    const bool beyondShown = ChangesBeyondShown(*m_pParam, loaded);
    *m_pParam = loaded;
    if (m_hWnd) UpdateParamEdits();
    RecordChanged(beyondShown ? RecordChange::ProfileLoadedBeyondShown : RecordChange::ProfileLoaded);
}

void CParamConfigDlg::OnBnClickedWriteAll() {
    if (!Tavo_Interface_RadarDevice_IsConnected(m_hDevice)) {
        ShowError(IDS_DEVICE_NOT_CONNECTED);
        return;
    }
    const std::wstring question = LoadResString(IDS_WRITE_ALL_QUESTION);
    if (::MessageBoxW(m_hWnd, question.c_str(), LoadResString(IDS_CAPTION_INFO).c_str(), MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    if (m_pToolDlg) m_pToolDlg->StopAcquisition();
    const RadarParam wanted = m_pParam ? *m_pParam : RadarParam();
    RadarParam held = wanted;
    CommandModeScope mode(m_hDevice);  // left after the message box
    TellWriteAll(WriteAllAndVerify(mode, wanted, held), held);
}

void CParamConfigDlg::TellWriteAll(const WriteAllResult& result, const RadarParam& held) {
    switch (result.outcome) {
    case WriteAllResult::Outcome::WriteFailed: return ShowError(WriteFailedText(result.failedCode));
    case WriteAllResult::Outcome::ReadBackFailed: return ShowError(IDS_WRITE_ALL_READ_BACK_FAILED);
    case WriteAllResult::Outcome::Verified:
    case WriteAllResult::Outcome::Mismatch: break;
    }
    // Read back: the record holds what the module holds, whatever was sent.
    if (m_pParam) *m_pParam = held;
    UpdateParamEdits();
    RecordChanged(RecordChange::ModuleHoldsRecord);
    if (result.Ok()) return ShowSuccess(IDS_WRITE_ALL_OK);
    std::wstring text = LoadResString(IDS_WRITE_ALL_MISMATCH);
    const std::wstring sent = LoadResString(IDS_WRITE_ALL_SENT), got = LoadResString(IDS_WRITE_ALL_GOT);
    for (const ProfileDifference& d : result.differences)
        text +=
            L"\n" + FromUtf8(d.key) + L": " + sent + L" " + FromUtf8(d.first) + L", " + got + L" " + FromUtf8(d.second);
    ShowErrorText(text);
}

void CParamConfigDlg::ShowProfileNote(UINT textId) {
    if (m_hWnd) SetDlgItemTextW(IDC_STATIC_PROFILE_MARK, textId ? LoadResString(textId) : std::wstring());
}

template <class Groups>
bool CParamConfigDlg::WriteGroups(const Groups& groups) {
    CommandModeScope mode(m_hDevice);
    for (const ParamWriteGroup& group : groups) {
        if (!mode.Write(group)) {
            ShowError(WriteFailedText(group.code));  // told while still in command mode
            return false;
        }
    }
    return true;
}

void CParamConfigDlg::UpdateParamEdits() {
    if (!m_pParam || !m_hWnd) return;
    auto show = [this](int id, int32_t value) { SetDlgItemInt(id, static_cast<UINT>(value), TRUE); };
    show(IDC_EDIT_MOTIONLESS_MIN, m_pParam->nMotionlessRangeMin);
    show(IDC_EDIT_MOTIONLESS_MAX, m_pParam->nMotionlessRangeMax);
    show(IDC_EDIT_MOTION_MIN, m_pParam->nMotionRangeMin);
    show(IDC_EDIT_MOTION_MAX, m_pParam->nMotionRangeMax);
    show(IDC_EDIT_OFF_TIME, m_pParam->nOffTime);
    show(IDC_EDIT_DISTANCE_CALIB, m_pParam->nDistanceCalibration);
}

double CParamConfigDlg::GetEditNumber(int id) const { return EditTextToNumber(GetDlgItemTextW(id).c_str()); }

void CParamConfigDlg::ShowError(UINT textId) { ShowErrorText(LoadResString(textId)); }

void CParamConfigDlg::ShowErrorText(const std::wstring& text) {
    ShowErrorBox(m_hWnd, text, LoadResString(IDS_CAPTION_ERROR));
}

void CParamConfigDlg::ShowSuccess(UINT textId) {
    const std::wstring caption = LoadResString(IDS_CAPTION_INFO);
    ::MessageBoxW(m_hWnd, LoadResString(textId).c_str(), caption.c_str(), MB_ICONINFORMATION);
}
