// zuv_cfg.exe: the same commands through Tavo_DataProcess.dll; Ctrl+C and
// Ctrl+Break through the console control handler.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cwctype>
#include <iostream>

#include "CfgTool.h"
#include "Tavo_DataProcess.h"

namespace {

std::atomic<bool> g_stop{false};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    g_stop = true;
    return TRUE;  // the recording loop ends by itself, stops the module and closes its file
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

// "COM5" (any case) -> 5; 0 when the name is not a COM port.
int ComPortNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) return 0;
    for (int i = 0; i < 3; ++i)
        if (std::towupper(static_cast<wint_t>(name[i])) != static_cast<wint_t>("COM"[i])) return 0;
    int number = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= 255 ? number : 0;
}

class DllLink final : public zuvcfg::IModuleLink {
public:
    explicit DllLink(TAVO_DEVICE_HANDLE device) : m_device(device) {}
    ~DllLink() override {
        Tavo_Interface_RadarDevice_Serial_Close(m_device);
        Tavo_Interface_RadarDevice_Serial_Destroy(m_device);
    }
    DllLink(const DllLink&) = delete;
    DllLink& operator=(const DllLink&) = delete;

    bool StartCmdMode(int attempts, int timeoutMs) override {
        return Tavo_Interface_RadarDevice_StartCmdMode(m_device, attempts, timeoutMs) != 0;
    }
    bool CleanData(int maxMs) override { return Tavo_Interface_RadarDevice_Protocol_CleanData(m_device, maxMs) != 0; }
    bool StopCmdMode() override { return Tavo_Interface_RadarDevice_StopCmdMode(m_device) != 0; }
    uint16_t SendCommand(int code, const void* request, int length, zuvcfg::ReplyHandler handler, void* context,
                         int timeoutMs) override {
        return Tavo_Interface_RadarDevice_Protocol_SendCommand(m_device, code, request, length, handler, context,
                                                               timeoutMs);
    }
    int ReadData(void* buffer, int size, int timeoutMs) override {
        return Tavo_Interface_RadarDevice_ReadData(m_device, buffer, size, timeoutMs, 0);
    }

private:
    TAVO_DEVICE_HANDLE m_device;
};

class WinPlatform final : public zuvcfg::IPlatform {
public:
    std::unique_ptr<zuvcfg::IModuleLink> Open(const std::string& port, int baudRate, std::string& problem) override {
        const int number = ComPortNumber(port);
        if (number == 0) {
            problem = "not a COM port name (COM1 to COM255)";
            return nullptr;
        }
        TAVO_DEVICE_HANDLE device = Tavo_Interface_RadarDevice_Serial_Create();
        if (!device) {
            problem = "the device library could not make a device";
            return nullptr;
        }
        auto link = std::make_unique<DllLink>(device);
        if (!Tavo_Interface_RadarDevice_Serial_OpenByPortNum(device, number, baudRate, 2, 1, 1, 150)) {
            problem = "the port is missing or busy";
            return nullptr;
        }
        return link;
    }
    std::FILE* OpenFile(const std::string& path, const char* mode) override {
        return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
    }
    FilePath NativePath(const std::string& path) override { return Wide(path); }
    std::string SystemReason(unsigned long code) override {
        wchar_t* text = nullptr;
        const DWORD size =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::wstring reason = size && text ? std::wstring(text, size) : L"error " + std::to_wstring(code);
        if (text) LocalFree(text);
        while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L'.'))
            reason.pop_back();
        return Utf8(reason);
    }
    int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    bool StopRequested() override { return g_stop.load(); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    // A profile on stdout keeps its bytes (no CR added before LF).
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(Utf8(argv[i]));
    WinPlatform platform;
    return zuvcfg::Run(args, platform, std::cout, std::cerr);
}
