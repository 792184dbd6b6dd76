// What the fault and hostile-input tests check on a running tool and on the
// files it leaves: responsiveness, the recording against what the simulated
// module sent, the log's line structure, and a reconnect afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Sends WM_NULL and waits up to timeoutMs for the answer; the round trip in
// ms, or -1 when the window did not answer in time.
long PingWindow(HWND window, DWORD timeoutMs = 5000);
// Pings the window for about durationMs; the slowest answer seen, or -1
// when one did not come within 5 s.
long SlowestPingDuring(HWND window, DWORD durationMs);

// Every byte the simulator wrote to the line, in order, from its log (TX
// blocks, without the bytes it had to drop).
std::string BytesSent(const std::string& simLog);

// Whole report frames of a byte stream as (state << 16 | distance), found
// with the tool's own rules (skip one byte unless a whole frame starts here).
std::vector<long> FramesIn(const std::string& bytes);
// The frames the log reports, one "State=%d, M_D=%03d\r\n" line each.
std::vector<long> FramesLogged(const std::string& log);
// Empty, or the first line of text that does not end with "\r\n".
std::string FirstIncompleteLine(const std::string& text);

// The files of one extension in folder, by name.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* extension);

// Chooses COM<number> in the tool's port list (after a refresh).
bool SelectPort(HWND window, int number);
// Ends whatever connection the tool holds and connects again to the module
// on COM<port>, until the version label shows version.
bool Reconnect(HWND window, DWORD pid, int port, const std::wstring& version);

}  // namespace e2e
