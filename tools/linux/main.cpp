// zuv_cfg on Linux: the device core on a termios port, Ctrl+C as SIGINT.
#include <signal.h>

#include <atomic>
#include <cstring>
#include <iostream>

#include "CfgTool.h"
#include "PosixSerialPort.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void OnStopSignal(int) { g_stop = 1; }

class CoreLink final : public zuvcfg::IModuleLink {
public:
    explicit CoreLink(std::unique_ptr<radardev::CRadarDeviceCore> core) : m_core(std::move(core)) {}
    bool StartCmdMode(int attempts, int timeoutMs) override { return m_core->StartCmdMode(attempts, timeoutMs); }
    bool CleanData(int maxMs) override { return m_core->CleanData(maxMs); }
    bool StopCmdMode() override { return m_core->StopCmdMode(); }
    uint16_t SendCommand(int code, const void* request, int length, zuvcfg::ReplyHandler handler, void* context,
                         int timeoutMs) override {
        return m_core->SendCommand(code, request, length, handler, context, timeoutMs);
    }
    int ReadData(void* buffer, int size, int timeoutMs) override { return m_core->ReadData(buffer, size, timeoutMs); }

private:
    std::unique_ptr<radardev::CRadarDeviceCore> m_core;
};

class LinuxPlatform final : public zuvcfg::IPlatform {
public:
    std::unique_ptr<zuvcfg::IModuleLink> Open(const std::string& port, int baudRate, std::string& problem) override {
        auto system = std::make_unique<radardev::CPosixPortSystem>(port);
        radardev::CPosixPortSystem* ports = system.get();
        auto core = std::make_unique<radardev::CRadarDeviceCore>(std::move(system));
        // The core counts ports by number; the Linux system opens its one path whatever the number.
        if (!core->Open(1, baudRate, 2, 1, 1, 150)) {
            problem = std::strerror(ports->LastOpenError());
            return nullptr;
        }
        return std::make_unique<CoreLink>(std::move(core));
    }
    std::FILE* OpenFile(const std::string& path, const char* mode) override { return std::fopen(path.c_str(), mode); }
    FilePath NativePath(const std::string& path) override { return path; }
    std::string SystemReason(unsigned long code) override { return std::strerror(static_cast<int>(code)); }
    int64_t NowMs() override { return m_clock.NowMs(); }
    bool StopRequested() override { return g_stop != 0; }

private:
    radardev::CPosixPortSystem m_clock{""};
};

}  // namespace

int main(int argc, char** argv) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;  // no SA_RESTART: a wait ends and the loop sees the flag
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    LinuxPlatform platform;
    return zuvcfg::Run(std::vector<std::string>(argv + 1, argv + argc), platform, std::cout, std::cerr);
}
