// What the fault and hostile-input tests check on a running tool and on the
// files it leaves: responsiveness, the recording against what the simulated
// module sent, the log's line structure, and a reconnect afterwards.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimLog.h"
#include "ToolDriver.h"
#include "ToolFixture.h"

namespace e2e {

// Sends WM_NULL and waits up to timeoutMs for the answer; the round trip in
// ms, or -1 when the window did not answer in time (by default: it hangs).
long PingWindow(HWND window, DWORD timeoutMs = kWait);

// The window pinged until condition holds (or timeoutMs passes): whether it
// came to hold, whether every ping was answered, and the slowest answer.
struct PingWatch {
    bool reached = false;
    bool answered = true;
    long slowestMs = 0;
};
PingWatch PingUntil(HWND window, const std::function<bool()>& condition, DWORD timeoutMs = kWait);

// Waits until the tool's user-interface thread has handled every message
// posted to it before the call (a marker posted behind them is seen taken).
// A sent WM_NULL is answered ahead of them: a box that a posted message
// raises may come after the answer.
bool HandledWhatWasPosted(HWND window);
// The message boxes the tool shows once its window answers again and has
// handled what was posted to it: after an action that could raise one (at
// once or through a posted message), they are on the screen by then.
std::vector<tooldriver::MessageBoxInfo> BoxesOnceAnswering(HWND window, DWORD pid);
// Posts WM_CLOSE and waits for the process to end; the message boxes it
// showed meanwhile (each dismissed, so it can go on). exitCode stays
// untouched when it did not end within kWait.
std::vector<tooldriver::MessageBoxInfo> CloseWatchingForBoxes(HWND window, const tooldriver::Process& tool,
                                                              DWORD* exitCode);
// "caption: text" of each box, for failure messages.
std::string Describe(const std::vector<tooldriver::MessageBoxInfo>& boxes);
std::string Utf8(const std::wstring& text);
// A box of the tool about an error (caption "错误", the error icon) whose text
// holds each of parts; dismissed.
void ExpectErrorBox(const tooldriver::MessageBoxInfo& box, std::initializer_list<std::wstring> parts);
// The system's file dialog the tool shows, owned by owner (null when none came in time).
HWND WaitForFileDialogOf(DWORD pid, HWND owner);
// The answer of the tool's window to its registered query message name
// (Tavo_Ladu330_Pk27Tool.*), -2 when it did not answer.
LRESULT Query(HWND window, const wchar_t* name, WPARAM wParam = 0);
// GetMenuState of the system menu's entry command, read inside the tool (the
// system menu cannot be read from outside under Wine).
UINT SystemMenuState(HWND window, UINT command);
// A top-level dialog of the tool with this caption, visible or not (null
// when none came in time).
HWND WaitForToolDialog(DWORD pid, const std::wstring& caption);
// The report and broken-trailer lines of a log, without their time stamps, in order.
std::vector<std::string> ReportLines(const std::string& log);
// The system's text for an error code, without its line end.
std::wstring SystemText(DWORD error);

// The simulator's log and report frames: tests/support/SimLog.h.
using testsupport::BytesSent;
using testsupport::FirstIncompleteLine;
using testsupport::FramesIn;
using testsupport::FramesLogged;

// The files of one extension in folder, by name.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* extension);

// Chooses COM<number> in the tool's port list (after a refresh).
bool SelectPort(HWND window, int number);
// Ends whatever connection the tool holds and connects to the module on
// COM<port>, as the window promises: a click on "断开设备" disconnects
// (whether the port is there or not) without a box, and the next click
// connects until the version label shows version. Fails, saying why, on any
// box or when a click does something else.
::testing::AssertionResult Reconnect(HWND window, DWORD pid, int port, const std::wstring& version);

}  // namespace e2e
