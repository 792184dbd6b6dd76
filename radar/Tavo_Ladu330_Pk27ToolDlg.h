// The main window: port choice, baud rate, connection and the module's
// parameters, saved to the configuration at every connect and at exit.
#pragma once

#include <windows.h>

#include <cstdint>

#include "Tavo_Common.h"
#include "config/RadarParam.h"
#include "framework/Dialog.h"
#include "params/IToolDlgInterface.h"

class CTavo_Ladu330_Pk27ToolDlg : public CDialogEx, public IToolDlgInterface {
public:
    explicit CTavo_Ladu330_Pk27ToolDlg(CWnd* parent = nullptr);
    ~CTavo_Ladu330_Pk27ToolDlg() override;

    // IToolDlgInterface
    void LoadDefaultParameters() override;
    void StopAcquisition() override;

    // BaudRate and the record from / into the configuration document.
    void LoadConfig();
    void SaveConfig();

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape do nothing: the window closes only through its close box.
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void OnClose();
    void OnDestroy();
    void OnBnClickedConnect();

    void ShowError(UINT textId);
    void ReadBaudRate();
    void UpdateVersionLabel();

    HICON m_hIcon = nullptr;
    int32_t m_nBaudRate = 256000;
    CBaseStringA m_strVersion;
    RadarParam m_param;
};
