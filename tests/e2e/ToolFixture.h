// Runs the tool from a folder of its own, so its files (appConfig.xml, Log)
// are fresh for every test and can be checked byte for byte.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ToolDriver.h"
#include "WinTestSupport.h"

namespace e2e {

// Generous: a loaded 2-core machine under Wine can be slow to start a process.
constexpr DWORD kWait = 60000;
constexpr wchar_t kMainClass[] = L"Tavo_Ladu330_Pk27Tool";

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

// Writes text as the simulator script name in the session's folder (Linux
// side) and gives its path, for --script.
::testing::AssertionResult WriteSimScript(const char* name, const std::string& text, std::string& path);

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the tool; the working folder is deliberately not its own folder.
    void StartTool();
    // WM_CLOSE to the main window, then waits for the process to end.
    DWORD CloseTool();

    // Files dropped on the main window (as Explorer drops them: one DROPFILES
    // block of wide paths in the tool's memory); returns once it is handled.
    void Drop(const std::vector<std::wstring>& paths);

    // Waits until the main window's control id reads text.
    bool WaitText(int id, const std::wstring& text, DWORD timeoutMs = kWait) const {
        return tooldriver::WaitUntil([&] { return tooldriver::GetControlText(m_window, id) == text; }, timeoutMs);
    }

    std::wstring Path(const wchar_t* name) const { return m_folder + L"\\" + name; }
    std::wstring ConfigPath() const { return Path(L"appConfig.xml"); }

    // The start of the name of the tool's folder (in the temporary folder);
    // a test may change it before SetUp.
    std::wstring m_folderStem = L"tool_e2e_";
    // When nonzero: the folder's whole path is made this long, with folders
    // of at most 100 characters inside one another (a test may set it before SetUp).
    size_t m_folderLength = 0;
    std::wstring m_folder;
    std::wstring m_top;  // the outermost folder made for the test
    tooldriver::Process m_tool;
    HWND m_window = nullptr;

private:
    tooldriver::Process m_toolMemory;  // the tool, opened for writing dropped files into it
    std::vector<void*> m_dropBlocks;
};

}  // namespace e2e
