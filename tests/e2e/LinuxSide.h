// What a Windows test under Wine does on the Linux side of the session: a
// Windows path's Linux name, a shell script run to its end, and a small
// file system or a read-only view mounted on a folder or file (the tests run
// as root).
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

// Something mounted on a folder or a file for the life of the object. The
// test is a Windows program, so a shell on the Linux side runs the mount
// commands (with $dir the Linux path of the target) and unmounts it when told,
// or after five minutes should the test never tell it.
class CLinuxMount {
public:
    CLinuxMount(const std::wstring& target, const std::string& mountCommands);
    ~CLinuxMount();
    CLinuxMount(const CLinuxMount&) = delete;
    CLinuxMount& operator=(const CLinuxMount&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Problem() const { return m_problem; }
    // Unmounts now (the destructor then has nothing left to do).
    void Unmount();

private:
    std::string Status() const;

    bool m_started = false, m_mounted = false;
    std::string m_problem, m_status, m_stop;
};

// A file system of a few KiB mounted on a folder.
class CSmallDisk : public CLinuxMount {
public:
    CSmallDisk(const std::wstring& folder, int kib);
};

// A read-only view of a file or folder (a bind mount of it on itself, made
// read-only): every write is refused by the kernel (EROFS), root or not,
// whatever the file's mode, and the file's attributes do not say read-only.
class CReadOnlyView : public CLinuxMount {
public:
    explicit CReadOnlyView(const std::wstring& target);
};

}  // namespace e2e
