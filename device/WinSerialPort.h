// The Win32 serial port behind the device object: \\.\COMn, 8N1, no flow
// control, read time-outs that hand bytes over after a short pause.
#pragma once

#include <windows.h>

#include "RadarDeviceCore.h"
#include "handles/UniqueHandle.h"

namespace radardev {

class CWinSerialPort final : public IPort {
public:
    // Null when the port does not open or will not take the settings.
    static std::unique_ptr<CWinSerialPort> Open(const PortSettings& settings);

    int Read(uint8_t* buffer, int size, int timeoutMs) override;
    bool Write(const uint8_t* data, int size) override;
    bool Alive() override;
    void Purge() override;

private:
    explicit CWinSerialPort(UniqueKernelHandle handle) : m_handle(std::move(handle)) {}
    bool SetReadTimeout(DWORD totalMs);

    UniqueKernelHandle m_handle;
    DWORD m_readTimeoutMs = MAXDWORD;  // the total read time-out now set in the driver
};

class CWinPortSystem final : public IPortSystem {
public:
    std::unique_ptr<IPort> Open(const PortSettings& settings) override;
    int64_t NowMs() override;
    void SleepMs(int ms) override;
};

}  // namespace radardev
