// The parameter dialog: reads the module's detection parameters, writes the
// six it shows, or writes the whole factory set; saves the record as a
// profile, loads one into it, and writes all eighteen and reads them back.
// Modeless, owned by the main
// window, hidden rather than destroyed when closed. Everything runs on the
// user-interface thread; command mode opens and closes within one click.
#pragma once

#include <windows.h>

#include <string>

#include "Tavo_DataProcess.h"
#include "config/RadarParam.h"
#include "framework/Dialog.h"
#include "params/IToolDlgInterface.h"

struct WriteAllResult;

class CParamConfigDlg : public CDialogEx {
public:
    // param: the main window's record, edited in place; must outlive the dialog.
    explicit CParamConfigDlg(RadarParam* param, CWnd* parent = nullptr);
    ~CParamConfigDlg() override;

    // Both borrowed from the main window, set before Create.
    void SetDevice(TAVO_DEVICE_HANDLE device) { m_hDevice = device; }
    void SetToolDlg(IToolDlgInterface* toolDlg) { m_pToolDlg = toolDlg; }
    // The mark of a profile not yet written (a string id; 0: none). The main
    // window sets it from its mode.
    void ShowProfileNote(UINT textId);
    // loaded becomes the record as a profile that no module was given yet
    // (the mark follows); the edits show it. The tuning assistant's suggestion
    // comes in here as a loaded profile file does.
    void LoadRecord(const RadarParam& loaded);

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape do nothing: the dialog closes only through its close box.
    void OnOK() override {}
    void OnCancel() override {}
    // The close box hides the dialog.
    bool OnClose() override;
    bool OnButtonClicked(UINT id) override;
    // The profile mark drawn in the colour of the main window's notices.
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnBnClickedReadParam();
    void OnBnClickedSetParam();
    void OnBnClickedRestoreDefault();
    void OnBnClickedSaveProfile();
    void OnBnClickedLoadProfile();
    void OnBnClickedWriteAll();
    // The box after a write of all eighteen; the record takes what was read back.
    void TellWriteAll(const WriteAllResult& result, const RadarParam& held);
    void RecordChanged(RecordChange change) {
        if (m_pToolDlg) m_pToolDlg->RecordChanged(change);
    }

    // The record's six shown fields into their edits.
    void UpdateParamEdits();
    // The number at the start of the control's text (0 when there is none).
    double GetEditNumber(int id) const;

    // Writes the groups in order within one spell of command mode; the first
    // that fails is told and ends it (false). Nothing is rolled back.
    template <class Groups>
    bool WriteGroups(const Groups& groups);
    void ShowError(UINT textId);
    void ShowErrorText(const std::wstring& text);
    void ShowSuccess(UINT textId);

    TAVO_DEVICE_HANDLE m_hDevice = nullptr;   // borrowed; null until set
    IToolDlgInterface* m_pToolDlg = nullptr;  // borrowed; calls skipped while null
    RadarParam* m_pParam;                     // the main window's record
};
