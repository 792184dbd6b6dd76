// What a Windows test under Wine does on the Linux side of the session: a
// Windows path's Linux name, a shell script run to its end, and a small
// file system mounted on a folder (the tests run as root).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The Linux path of a Windows path (Wine's own conversion); empty when there is none.
std::string UnixPath(const std::wstring& path);

// Runs script with /bin/sh and the arguments, and waits (up to timeoutMs)
// until it has ended; its exit status, or -1 with problem set. Its output
// goes nowhere unless the script sends it to a file: it must not hold the
// test runner's pipe.
int RunShellScript(const std::string& script, const std::vector<std::string>& arguments, DWORD timeoutMs,
                   std::string& problem);

// A file system of a few KiB mounted on a folder. The test is a Windows
// program, so a shell on the Linux side mounts it and unmounts it when told,
// or after five minutes should the test never tell it.
class CSmallDisk {
public:
    CSmallDisk(const std::wstring& folder, int kib);
    ~CSmallDisk();
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Problem() const { return m_problem; }

private:
    std::string Status() const;

    bool m_started = false, m_mounted = false;
    std::string m_problem, m_status, m_stop;
};

}  // namespace e2e
