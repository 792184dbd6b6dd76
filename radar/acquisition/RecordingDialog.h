// The one question for a recording to read: the system's open dialog, .dat
// files, opening in the folder the tool records to.
#pragma once

#include <windows.h>

#include <string>

namespace radar {

// The path chosen, or empty when the user cancelled.
std::wstring AskRecordingToOpen(HWND owner, const std::wstring& title);

}  // namespace radar
