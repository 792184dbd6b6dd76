// The application object: start-up, UI language, and the main window's run.
#pragma once

#include "framework/WinApp.h"

class CTavo_Ladu330_Pk27ToolApp : public CWinApp {
public:
    CTavo_Ladu330_Pk27ToolApp();

    // Runs the whole program; always returns FALSE so no second message loop starts.
    BOOL InitInstance() override;
};

extern CTavo_Ladu330_Pk27ToolApp theApp;
