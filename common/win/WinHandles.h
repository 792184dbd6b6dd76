// Owners of the Windows handles the library opens.
#pragma once

#include <windows.h>

#include <string>

namespace tavo_common {

// A kernel handle (thread, process, file); INVALID_HANDLE_VALUE and null both mean none.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE h) : m_h(h) {}
    ~KernelHandle() { Reset(); }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE h = nullptr)
    {
        if (Valid())
            CloseHandle(m_h);
        m_h = h;
    }

private:
    HANDLE m_h = nullptr;
};

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* Receive() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// Text conversions; both return an empty string for null input.
std::wstring WideFromAnsi(const char* text);
std::string AnsiFromWide(const std::wstring& text);

}  // namespace tavo_common
