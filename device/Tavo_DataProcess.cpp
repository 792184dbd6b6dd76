// The exported C interface of Tavo_DataProcess.dll: argument checks, one
// device object per handle, and a wall against exceptions.
#include "Tavo_DataProcess.h"

#include <new>
#include <string>

#include "RadarDeviceCore.h"
#include "Tavo_Common.h"
#include "WinSerialPort.h"

namespace {

constexpr uint32_t kAlive = 0x52414456;  // "RADV"
constexpr uint32_t kDead = 0xDEADDEAD;

// What a handle points to. The tag turns a destroyed or foreign pointer into
// a clean failure in most cases instead of a crash.
struct CRadarDevice {
    uint32_t m_nTag = kAlive;  // immutable until Serial_Destroy
    radardev::CRadarDeviceCore m_core{std::unique_ptr<radardev::IPortSystem>(new radardev::CWinPortSystem)};
};

CRadarDevice* FromHandle(TAVO_DEVICE_HANDLE handle) {
    CRadarDevice* device = static_cast<CRadarDevice*>(handle);
    return device && device->m_nTag == kAlive ? device : nullptr;
}

// Runs body on a live device; fallback for a bad handle or an exception.
template <typename R, typename F>
R Guarded(TAVO_DEVICE_HANDLE handle, R fallback, F body) {
    try {
        CRadarDevice* device = FromHandle(handle);
        return device ? body(device->m_core) : fallback;
    } catch (...) {
        return fallback;
    }
}

}  // namespace

extern "C" {

TAVO_DEVICE_HANDLE Tavo_Interface_RadarDevice_Serial_Create(void) {
    try {
        return new CRadarDevice;
    } catch (...) {
        return nullptr;
    }
}

int Tavo_Interface_RadarDevice_Serial_OpenByPortNum(TAVO_DEVICE_HANDLE device, int portNum, int baudRate,
                                                    int openAttempts, int framing, int purge, int replyTimeoutMs) {
    return Guarded(device, 0, [&](radardev::CRadarDeviceCore& core) {
        return core.Open(portNum, baudRate, openAttempts, framing, purge, replyTimeoutMs) ? 1 : 0;
    });
}

int Tavo_Interface_RadarDevice_IsConnected(TAVO_DEVICE_HANDLE device) {
    return Guarded(device, 0, [](radardev::CRadarDeviceCore& core) { return core.IsConnected() ? 1 : 0; });
}

int Tavo_Interface_RadarDevice_GetVersion(TAVO_DEVICE_HANDLE device, CBaseStringA* version) {
    if (!version) return 0;
    return Guarded(device, 0, [&](radardev::CRadarDeviceCore& core) {
        std::string text;
        if (!core.ReadVersion(text)) return 0;
        version->Set(text.data(), static_cast<int>(text.size()));
        return 1;
    });
}

int Tavo_Interface_RadarDevice_StartCmdMode(TAVO_DEVICE_HANDLE device, int attempts, int timeoutMs) {
    return Guarded(device, 0,
                   [&](radardev::CRadarDeviceCore& core) { return core.StartCmdMode(attempts, timeoutMs) ? 1 : 0; });
}

int Tavo_Interface_RadarDevice_Protocol_CleanData(TAVO_DEVICE_HANDLE device, int maxMs) {
    return Guarded(device, 0, [&](radardev::CRadarDeviceCore& core) { return core.CleanData(maxMs) ? 1 : 0; });
}

uint16_t Tavo_Interface_RadarDevice_Protocol_SendCommand(TAVO_DEVICE_HANDLE device, int code, const void* request,
                                                         int requestLength, TavoResponseHandler handler, void* context,
                                                         int timeoutMs) {
    // A handler that throws is the caller's bug, but must not unwind through us.
    return Guarded(device, static_cast<uint16_t>(radardev::kErrBadArgument), [&](radardev::CRadarDeviceCore& core) {
        return core.SendCommand(code, request, requestLength, handler, context, timeoutMs);
    });
}

int Tavo_Interface_RadarDevice_Protocol_SetParameter(TAVO_DEVICE_HANDLE device, int code, int count,
                                                     const uint16_t* ids, const uint32_t* values, int timeoutMs) {
    return Guarded(device, 0, [&](radardev::CRadarDeviceCore& core) {
        return core.SetParameter(code, count, ids, values, timeoutMs) ? 1 : 0;
    });
}

int Tavo_Interface_RadarDevice_StopCmdMode(TAVO_DEVICE_HANDLE device) {
    return Guarded(device, 0, [](radardev::CRadarDeviceCore& core) { return core.StopCmdMode() ? 1 : 0; });
}

int Tavo_Interface_RadarDevice_Start(TAVO_DEVICE_HANDLE device) {
    return Guarded(device, 0, [](radardev::CRadarDeviceCore& core) { return core.StartReporting() ? 1 : 0; });
}

int Tavo_Interface_RadarDevice_Stop(TAVO_DEVICE_HANDLE device) {
    return Guarded(device, 0, [](radardev::CRadarDeviceCore& core) { return core.StopReporting() ? 1 : 0; });
}

int Tavo_Interface_RadarDevice_GetReadBlockBufferSize(TAVO_DEVICE_HANDLE device) {
    return Guarded(device, 0, [](radardev::CRadarDeviceCore&) { return radardev::CRadarDeviceCore::kReadBlockSize; });
}

int Tavo_Interface_RadarDevice_ReadData(TAVO_DEVICE_HANDLE device, void* buffer, int size, int timeoutMs, int flags) {
    return Guarded(device, -1,
                   [&](radardev::CRadarDeviceCore& core) { return core.ReadData(buffer, size, timeoutMs); });
}

int Tavo_Interface_RadarDevice_Serial_Close(TAVO_DEVICE_HANDLE device) {
    return Guarded(device, 0, [](radardev::CRadarDeviceCore& core) {
        core.Close();
        return 1;
    });
}

void Tavo_Interface_RadarDevice_Serial_Destroy(TAVO_DEVICE_HANDLE device) {
    try {
        CRadarDevice* d = FromHandle(device);
        if (!d) return;
        d->m_nTag = kDead;
        delete d;
    } catch (...) {}
}

}  // extern "C"
