#include "LinuxSide.h"

#include <atomic>
#include <cstdlib>

#include "SimFixture.h"
#include "ToolDriver.h"
#include "ToolFixture.h"

namespace e2e {
namespace {

// Starts "/bin/sh script arguments..." without waiting for it.
bool StartShell(const std::string& script, const std::vector<std::string>& arguments, std::string& problem) {
    std::string command = "\"Z:\\bin\\sh\" \"" + script + "\"";
    for (const std::string& argument : arguments) command += " \"" + argument + "\"";
    std::wstring wide(command.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, command.c_str(), -1, &wide[0], static_cast<int>(wide.size()))));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &wide[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        problem = "the shell did not start (" + std::to_string(::GetLastError()) + ")";
        return false;
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return true;
}

// A name for this process's next control files in the session's folder.
bool ControlBase(const char* stem, std::string& base, std::string& problem) {
    static std::atomic<int> counter{0};
    std::string sim, session;
    if (!devtest::SessionPaths(sim, session, problem)) return false;
    base = session + "/" + stem + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
    return true;
}

}  // namespace

std::string UnixPath(const std::wstring& path) {
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    char* name = toUnix(path.c_str());
    if (!name) return std::string();
    std::string unix = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return unix;
}

int RunShellScript(const std::string& script, const std::vector<std::string>& arguments, DWORD timeoutMs,
                   std::string& problem) {
    // Wine cannot wait for a Linux process: the wrapper leaves its status in a file.
    std::string base;
    if (!ControlBase("shell", base, problem)) return -1;
    const std::string wrapper = base + ".sh", status = base + ".status";
    ::DeleteFileW(devtest::WinPath(status).c_str());
    devtest::WriteWholeFile(wrapper,
                            "status=$1; shift\n"
                            "sh \"$@\" >/dev/null 2>&1 </dev/null\n"
                            "echo $? >\"$status.part\" && mv \"$status.part\" \"$status\"\n");
    std::vector<std::string> all{status, script};
    all.insert(all.end(), arguments.begin(), arguments.end());
    int result = -1;
    if (StartShell(wrapper, all, problem)) {
        if (tooldriver::WaitUntil([&] { return devtest::FileExists(status); }, timeoutMs))
            result = std::atoi(devtest::ReadWholeFile(status).c_str());
        else
            problem = "the script did not end: " + script;
    }
    ::DeleteFileW(devtest::WinPath(status).c_str());
    ::DeleteFileW(devtest::WinPath(wrapper).c_str());
    return result;
}

CLinuxMount::CLinuxMount(const std::wstring& target, const std::string& mountCommands) {
    const std::string dir = UnixPath(target);
    if (dir.empty()) {
        m_problem = "no Linux path for the target";
        return;
    }
    std::string base;
    if (!ControlBase("mount", base, m_problem)) return;
    const std::string script = base + ".sh";
    m_status = base + ".status";
    m_stop = base + ".stop";
    ::DeleteFileW(devtest::WinPath(m_status).c_str());
    ::DeleteFileW(devtest::WinPath(m_stop).c_str());
    // Its output goes nowhere: it must not hold the test runner's pipe.
    devtest::WriteWholeFile(script,
                            "exec >/dev/null 2>&1 </dev/null\n"
                            "dir=$1 status=$2 stop=$3\n"
                            "{ " +
                                mountCommands +
                                "; } || { echo failed >\"$status\"; exit 1; }\n"
                                "echo mounted >\"$status\"\n"
                                "i=0\n"
                                "while [ ! -e \"$stop\" ] && [ $i -lt 3000 ]; do sleep 0.1; i=$((i + 1)); done\n"
                                "umount -l \"$dir\"\n"
                                "echo unmounted >>\"$status\"\n");
    if (!StartShell(script, {dir, m_status, m_stop}, m_problem)) return;
    m_started = true;
    if (!tooldriver::WaitUntil([&] { return !Status().empty(); }, kWait)) m_problem = "no answer from the mount";
    m_mounted = Status().find("mounted") == 0;
    if (!m_mounted && m_problem.empty()) m_problem = "mount failed: " + Status();
}

CLinuxMount::~CLinuxMount() { Unmount(); }

void CLinuxMount::Unmount() {
    if (!m_started) return;
    m_started = false;
    m_mounted = false;
    devtest::WriteWholeFile(m_stop, "stop\n");
    tooldriver::WaitUntil([&] { return Status().find("unmounted") != std::string::npos || Status() == "failed\n"; },
                          kWait);
    ::DeleteFileW(devtest::WinPath(m_status).c_str());
    ::DeleteFileW(devtest::WinPath(m_stop).c_str());
}

std::string CLinuxMount::Status() const { return devtest::ReadWholeFile(m_status); }

CSmallDisk::CSmallDisk(const std::wstring& folder, int kib)
    : CLinuxMount(folder, "mount -t tmpfs -o size=" + std::to_string(kib) + "k tmpfs \"$dir\"") {}

CReadOnlyView::CReadOnlyView(const std::wstring& target)
    : CLinuxMount(target,
                  "mount --bind \"$dir\" \"$dir\" && "
                  "{ mount -o remount,bind,ro \"$dir\" || { umount \"$dir\"; false; }; }") {}

}  // namespace e2e
