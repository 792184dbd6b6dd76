#include "ParamConfigDlg.h"

#include <initializer_list>
#include <string>

#include "ParamCore.h"
#include "framework/ErrorBox.h"
#include "framework/ResourceStrings.h"
#include "resource.h"

namespace {

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

// Command mode for the length of a scope: entered, and the input cleaned, at
// construction; left at destruction, on every path out.
class CommandModeScope {
public:
    explicit CommandModeScope(TAVO_DEVICE_HANDLE device) : m_hDevice(device) {
        Tavo_Interface_RadarDevice_StartCmdMode(device, kEnterCommandModeAttempts, kEnterCommandModeReplyMs);
        Tavo_Interface_RadarDevice_Protocol_CleanData(device, kQuietLineMaxWaitMs);
    }
    ~CommandModeScope() { Tavo_Interface_RadarDevice_StopCmdMode(m_hDevice); }
    CommandModeScope(const CommandModeScope&) = delete;
    CommandModeScope& operator=(const CommandModeScope&) = delete;

    bool Write(const ParamWriteGroup& group) const {
        return Tavo_Interface_RadarDevice_Protocol_SetParameter(m_hDevice, group.code, group.count, group.ids,
                                                                group.values, kCommandReplyMs) != 0;
    }
    // Reads the parameters into param; false leaves it partly decoded.
    bool Read(RadarParam* param) const {
        return Tavo_Interface_RadarDevice_Protocol_SendCommand(m_hDevice, radarproto::kReadParameters, nullptr, 0,
                                                               ParseParamResponse, param, kCommandReplyMs) == 0;
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
    default: return false;
    }
}

void CParamConfigDlg::OnBnClickedReadParam() {
    if (!Tavo_Interface_RadarDevice_IsConnected(m_hDevice)) {
        ShowError(IDS_DEVICE_NOT_CONNECTED);
        return;
    }
    if (m_pToolDlg) m_pToolDlg->StopAcquisition();
    CommandModeScope mode(m_hDevice);  // left after the message box
    // Decoded into a copy, taken only when the whole command succeeded: a
    // failed read leaves the record as it was.
    RadarParam read = m_pParam ? *m_pParam : RadarParam();
    if (mode.Read(&read) && m_pParam) {
        *m_pParam = read;
        UpdateParamEdits();
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
    ShowSuccess(IDS_RESTORE_DEFAULT_OK);
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

void CParamConfigDlg::ShowError(UINT textId) {
    const std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
    ShowErrorBox(m_hWnd, LoadResString(textId), caption);
}

void CParamConfigDlg::ShowSuccess(UINT textId) {
    const std::wstring caption = LoadResString(IDS_CAPTION_INFO);
    ::MessageBoxW(m_hWnd, LoadResString(textId).c_str(), caption.c_str(), MB_ICONINFORMATION);
}
