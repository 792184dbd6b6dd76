// The running tool as the benchmarks drive it: copied into a folder of its
// own, started, connected and started on a port (ToolRun), and its Linux
// process for the figures Wine does not give about another process
// (HostProcess).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "ToolDriver.h"
#include "WinTestSupport.h"
#include "resource.h"

namespace toolbench {

using namespace tooldriver;
using testsupport::ProgramFolder;
using testsupport::ReadFileBytes;
using testsupport::RemoveTree;

constexpr DWORD kWait = 60000;

// The tool's Linux process, found by its executable's name and a unique part
// of its command line (its folder), for the figures Wine does not give about
// another process.
class HostProcess {
public:
    explicit HostProcess(const std::wstring& marker) {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW(L"Z:\\proc\\*", &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const std::wstring name = found.cFileName;
            if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
            std::string cmdline = ReadFileBytes(L"Z:\\proc\\" + name + L"\\cmdline");
            std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
            const std::string narrow(marker.begin(), marker.end());
            if (cmdline.find(narrow) != std::string::npos &&
                cmdline.find("Tavo_Ladu330_Pk27Tool.exe") != std::string::npos) {
                m_pid = name;
                break;
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    bool Found() const { return !m_pid.empty(); }
    std::string Pid() const { return std::string(m_pid.begin(), m_pid.end()); }
    // User plus system time in seconds (clock ticks of 1/100 s).
    double CpuSeconds() const {
        const std::string stat = ReadFileBytes(L"Z:\\proc\\" + m_pid + L"\\stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) return -1;
        std::istringstream fields(stat.substr(close + 2));
        std::string f;
        double utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> f; ++i) {
            if (i == 14) utime = std::atof(f.c_str());
            if (i == 15) stime = std::atof(f.c_str());
        }
        return (utime + stime) / 100.0;
    }
    // Resident set size in KB.
    long RssKb() const {
        std::istringstream lines(ReadFileBytes(L"Z:\\proc\\" + m_pid + L"\\status"));
        std::string line;
        while (std::getline(lines, line))
            if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
        return -1;
    }

private:
    std::wstring m_pid;
};

// The tool copied into a folder of its own, started, connected and started
// on the port; stopped and closed at the end.
class ToolRun {
public:
    bool Connect(int port) {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        static int run = 0;
        m_folder = std::wstring(temp) + L"tool_bench_run_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                   std::to_wstring(++run);
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        ::CreateDirectoryW((m_folder + L"\\Image").c_str(), nullptr);
        ::CreateDirectoryW((m_folder + L"\\Log").c_str(), nullptr);
        const std::wstring from = ProgramFolder();
        for (const wchar_t* file :
             {L"Tavo_Ladu330_Pk27Tool.exe", L"Tavo_Common.dll", L"Tavo_DataProcess.dll", L"Image\\HumanNobody.png",
              L"Image\\HumanMotion.png", L"Image\\HumanMotionLess.png"}) {
            if (!::CopyFileW((from + L"\\" + file).c_str(), (m_folder + L"\\" + file).c_str(), FALSE))
                return Fail(L"copying the tool's files");
        }
        std::wstring error;
        m_tool = Launch(m_folder + L"\\Tavo_Ladu330_Pk27Tool.exe", L"", temp, &error);
        if (!m_tool.IsValid()) return Fail(error);
        m_window = WaitForWindow(m_tool.Pid(), L"Tavo_Ladu330_Pk27Tool", kWait);
        if (!m_window) return Fail(L"no main window");
        Click(Control(m_window, IDC_BTN_REFRESH));
        std::vector<std::wstring> items = ComboItems(Control(m_window, IDC_COMBO_PORT));
        auto it = std::find(items.begin(), items.end(), L"COM" + std::to_wstring(port));
        if (it == items.end()) return Fail(L"the port is not listed");
        SelectComboItem(Control(m_window, IDC_COMBO_PORT), static_cast<int>(it - items.begin()));
        Click(Control(m_window, IDC_BTN_CONNECT));
        if (!WaitUntil([&] { return GetControlText(m_window, IDC_BTN_CONNECT) == L"断开设备"; }, kWait))
            return Fail(L"no connection");
        return true;
    }
    bool Start() {
        Click(Control(m_window, IDC_BTN_START));
        if (!WaitUntil([&] { return GetControlText(m_window, IDC_BTN_START) == L"停止"; }, kWait))
            return Fail(L"not started");
        return true;
    }
    bool Begin(int port) { return Connect(port) && Start(); }
    void Stop() {
        Click(Control(m_window, IDC_BTN_START), 10000);
        WaitUntil([&] { return GetControlText(m_window, IDC_BTN_START) == L"开始"; }, kWait);
    }
    ~ToolRun() {
        if (m_tool.IsValid()) {
            tooldriver::CloseWindow(m_window);
            DWORD code = 0;
            WaitForExitOrKill(m_tool, kWait, &code);
        }
        if (!m_folder.empty()) RemoveTree(m_folder);
    }
    std::string LogFolderFile(const wchar_t* extension) const {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((m_folder + L"\\Log\\*" + extension).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return std::string();
        ::FindClose(search);
        return ReadFileBytes(m_folder + L"\\Log\\" + found.cFileName);
    }
    ULONGLONG LogFolderFileSize(const wchar_t* extension) const {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((m_folder + L"\\Log\\*" + extension).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return 0;
        ::FindClose(search);
        return SizeOrZero(m_folder + L"\\Log\\" + found.cFileName);
    }
    // The size of the data file of the current run (0 before there is one).
    ULONGLONG DataFileSize() {
        if (m_dataFile.empty()) {
            WIN32_FIND_DATAW found;
            HANDLE search = ::FindFirstFileW((m_folder + L"\\Log\\*.dat").c_str(), &found);
            if (search == INVALID_HANDLE_VALUE) return 0;
            ::FindClose(search);
            m_dataFile = m_folder + L"\\Log\\" + found.cFileName;
        }
        return SizeOrZero(m_dataFile);
    }
    HWND Window() const { return m_window; }
    HANDLE Handle() const { return m_tool.Handle(); }
    const std::wstring& Folder() const { return m_folder; }

private:
    static ULONGLONG SizeOrZero(const std::wstring& path) {
        const long long size = testsupport::FileSize(path);
        return size < 0 ? 0 : static_cast<ULONGLONG>(size);
    }
    bool Fail(const std::wstring& what) {
        std::fprintf(stderr, "tool_bench: %ls\n", what.c_str());
        return false;
    }
    std::wstring m_folder;
    std::wstring m_dataFile;
    Process m_tool;
    HWND m_window = nullptr;
};

}  // namespace toolbench
