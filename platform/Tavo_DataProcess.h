// Tavo_DataProcess.dll: the radar module's serial transport and command protocol.
//
// Every call but Serial_Create takes the device handle first. Integers are
// 32-bit signed. The acquisition thread makes the two read calls
// (GetReadBlockBufferSize, ReadData); all other calls come from one thread
// while no read is under way, except IsConnected, which may run at any time.
#pragma once

#include <cstdint>

class CBaseStringA;

#if defined(_WIN32)
#  ifdef TAVO_DATAPROCESS_BUILD
#    define TAVO_DATAPROCESS_API __declspec(dllexport)
#  else
#    define TAVO_DATAPROCESS_API __declspec(dllimport)
#  endif
#else
#  define TAVO_DATAPROCESS_API
#endif

typedef void* TAVO_DEVICE_HANDLE;

// Handles a command's reply: hasStatus nonzero means the data begins with the
// module's 16-bit status word. Returns 0 for success.
typedef uint16_t (*TavoResponseHandler)(int hasStatus, const unsigned char* data, int length, void* context);

extern "C" {

TAVO_DATAPROCESS_API TAVO_DEVICE_HANDLE Tavo_Interface_RadarDevice_Serial_Create(void);
// Opens COM<portNum>; nonzero when the port is open.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Serial_OpenByPortNum(
    TAVO_DEVICE_HANDLE device, int portNum, int baudRate, int stopBits, int parity, int byteMode, int timeoutMs);
// Nonzero while the port is open.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_IsConnected(TAVO_DEVICE_HANDLE device);
// Fills version with the firmware version text.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_GetVersion(TAVO_DEVICE_HANDLE device, CBaseStringA* version);
// Puts the module into command mode; commands work until StopCmdMode.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_StartCmdMode(TAVO_DEVICE_HANDLE device, int retries, int timeoutMs);
// Drops pending input, waiting up to timeoutMs for the line to go quiet.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Protocol_CleanData(TAVO_DEVICE_HANDLE device, int timeoutMs);
// Sends a command and hands its reply to handler; 0 only when the handler ran and returned 0.
TAVO_DATAPROCESS_API uint16_t Tavo_Interface_RadarDevice_Protocol_SendCommand(
    TAVO_DEVICE_HANDLE device, int code, const void* request, int requestLength,
    TavoResponseHandler handler, void* context, int timeoutMs);
// Writes count parameters (16-bit ids, 32-bit little-endian cells); nonzero = success.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Protocol_SetParameter(
    TAVO_DEVICE_HANDLE device, int code, int count, const uint16_t* ids, const uint32_t* values, int timeoutMs);
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_StopCmdMode(TAVO_DEVICE_HANDLE device);
// Start and stop the module's reporting; Stop is harmless when idle.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Start(TAVO_DEVICE_HANDLE device);
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Stop(TAVO_DEVICE_HANDLE device);
// Size in bytes of the read block that ReadData fills best.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_GetReadBlockBufferSize(TAVO_DEVICE_HANDLE device);
// Reads up to size bytes, returning within about timeoutMs; the number of
// bytes read, 0 or less for none.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_ReadData(
    TAVO_DEVICE_HANDLE device, void* buffer, int size, int timeoutMs, int flags);
// Harmless when the port is not open.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Serial_Close(TAVO_DEVICE_HANDLE device);
// The handle is dead afterwards.
TAVO_DATAPROCESS_API void Tavo_Interface_RadarDevice_Serial_Destroy(TAVO_DEVICE_HANDLE device);

}
