// Error boxes of the tool's start-up, and the socket start-up that may need one.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "framework/LongPath.h"

// How a box is shown: MessageBoxW, or a stand-in in tests.
using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Shows string textId as every error of the tool is shown: caption string
// 50002, error icon, topmost, owned by owner (null while no window exists).
// Returns when the user has closed it.
void ShowErrorBox(HWND owner, UINT textId, MessageBoxFunction show = ::MessageBoxW);

// The folder of the executable, where the settings, the pictures and the Log
// folder live, asked for through get. When the system cannot tell it the user
// is told (what failed and the system's reason) and false comes back: the
// tool does not start rather than write its files somewhere else.
bool ProgramFolderFound(HWND owner, ModuleFileNameFunction get = ::GetModuleFileNameW,
                        MessageBoxFunction show = ::MessageBoxW);

// How sockets are started: WSAStartup, or a stand-in in tests.
using SocketStartupFunction = int(WSAAPI*)(WORD version, LPWSADATA data);

// Windows Sockets for the whole run, cleaned up at its end when started.
class WinsockSession {
public:
    WinsockSession() = default;
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

    // Starts version 1.1 through startup. When that fails the user is told
    // (string 102 in an error box owned by owner) and false comes back.
    bool Start(HWND owner, SocketStartupFunction startup = ::WSAStartup);

private:
    bool m_bStarted = false;
};
