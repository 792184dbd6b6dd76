#include "StartupErrors.h"

#include <string>

#include "framework/ErrorBox.h"
#include "framework/ResourceStrings.h"
#include "framework/SystemMessage.h"
#include "resource.h"

void ShowErrorBox(HWND owner, UINT textId, MessageBoxFunction show) {
    const std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
    show(owner, LoadResString(textId).c_str(), caption.c_str(), kErrorBoxType);
}

bool ProgramFolderFound(HWND owner, ModuleFileNameFunction get, MessageBoxFunction show) {
    DWORD error = ERROR_SUCCESS;
    if (!ProgramFolder(&error, get).empty()) return true;
    const std::wstring text = LoadResString(IDS_PROGRAM_FOLDER_UNKNOWN) + L"\n" + SystemMessage(error);
    const std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
    show(owner, text.c_str(), caption.c_str(), MB_ICONERROR | MB_TOPMOST);
    return false;
}

WinsockSession::~WinsockSession() {
    if (m_bStarted) ::WSACleanup();
}

bool WinsockSession::Start(HWND owner, SocketStartupFunction startup) {
    if (m_bStarted) return true;
    WSADATA data = {};
    m_bStarted = startup(MAKEWORD(1, 1), &data) == 0;
    if (!m_bStarted) ShowErrorBox(owner, IDS_SOCKETS_INIT_FAILED);
    return m_bStarted;
}
