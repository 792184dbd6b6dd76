// Tavo_DataProcess.dll: the radar module's serial transport and command protocol.
//
// Every call but Serial_Create takes the device handle first. Integers are
// 32-bit signed. The acquisition thread makes the two read calls
// (GetReadBlockBufferSize, ReadData); all other calls come from one thread
// while no read is under way, except IsConnected, which may run at any time.
// Each handle is its own device object: two handles on two ports work side by
// side. A bad handle (null, destroyed) and bad arguments give a failure result.
// Arguments as docs/protocol.md gives them.
#pragma once

#include <cstdint>

class CBaseStringA;

#if defined(_WIN32)
#ifdef TAVO_DATAPROCESS_BUILD
#define TAVO_DATAPROCESS_API __declspec(dllexport)
#else
#define TAVO_DATAPROCESS_API __declspec(dllimport)
#endif
#else
#define TAVO_DATAPROCESS_API
#endif

typedef void* TAVO_DEVICE_HANDLE;

// Handles a command's reply: hasStatus nonzero means the data begins with the
// module's 16-bit status word. Returns 0 for success.
typedef uint16_t (*TavoResponseHandler)(int hasStatus, const unsigned char* data, int length, void* context);

extern "C" {

TAVO_DATAPROCESS_API TAVO_DEVICE_HANDLE Tavo_Interface_RadarDevice_Serial_Create(void);
// Library error codes of Protocol_SendCommand (the module's statuses 1..5 only
// ever reach the handler):
#define TAVO_RADAR_ERR_BAD_ARGUMENT 0xE001  // bad handle, null handler, bad length
#define TAVO_RADAR_ERR_NOT_OPEN 0xE002      // no port open, or the port has gone
#define TAVO_RADAR_ERR_WRITE 0xE003         // the command did not go out
#define TAVO_RADAR_ERR_TIMEOUT 0xE004       // no matching well-formed reply in time
#define TAVO_RADAR_ERR_STATUS 0xE005        // reply status not 0 though the handler returned 0
#define TAVO_RADAR_ERR_REPLY_LENGTH 0xE006  // reply shorter than a status word, or wrong size for the code

// Opens COM<portNum> (8N1, no flow control) with openAttempts tries (100 ms
// apart); framing must be 1 (8N1); purge nonzero drops what the driver holds;
// replyTimeoutMs serves the commands the library sends by itself (GetVersion,
// Start, Stop, StopCmdMode). Nonzero when the port is open. While open, a port
// that vanishes is reopened by ReadData once it is back (one attempt every
// 100 ms while it is away).
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Serial_OpenByPortNum(TAVO_DEVICE_HANDLE device, int portNum,
                                                                         int baudRate, int openAttempts, int framing,
                                                                         int purge, int replyTimeoutMs);
// Nonzero while the port is open and there; 0 while a vanished port is away.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_IsConnected(TAVO_DEVICE_HANDLE device);
// Fills version with the firmware version text; nonzero on success.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_GetVersion(TAVO_DEVICE_HANDLE device, CBaseStringA* version);
// Puts the module into command mode; commands work until StopCmdMode. Up to
// attempts tries, each waiting timeoutMs for the reply; nonzero on success.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_StartCmdMode(TAVO_DEVICE_HANDLE device, int attempts,
                                                                 int timeoutMs);
// Drops pending input until the line has been quiet for 20 ms, at most maxMs;
// nonzero when it went quiet.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Protocol_CleanData(TAVO_DEVICE_HANDLE device, int maxMs);
// Sends a command and hands its reply payload (status word first, hasStatus 1)
// to handler. 0 only when the handler ran and returned 0, the status was 0 and
// the reply has the size its code calls for; otherwise the handler's non-zero
// result or a TAVO_RADAR_ERR_ code.
TAVO_DATAPROCESS_API uint16_t Tavo_Interface_RadarDevice_Protocol_SendCommand(TAVO_DEVICE_HANDLE device, int code,
                                                                              const void* request, int requestLength,
                                                                              TavoResponseHandler handler,
                                                                              void* context, int timeoutMs);
// Writes count parameters (16-bit ids, 32-bit little-endian cells); nonzero = success.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Protocol_SetParameter(TAVO_DEVICE_HANDLE device, int code,
                                                                          int count, const uint16_t* ids,
                                                                          const uint32_t* values, int timeoutMs);
// Leaves command mode; nonzero on success.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_StopCmdMode(TAVO_DEVICE_HANDLE device);
// Start and stop the module's reporting; nonzero when the module confirmed.
// Stop is harmless when idle.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Start(TAVO_DEVICE_HANDLE device);
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Stop(TAVO_DEVICE_HANDLE device);
// Size in bytes of the read block that ReadData fills best (4096).
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_GetReadBlockBufferSize(TAVO_DEVICE_HANDLE device);
// Reads up to size bytes, returning as soon as a short pause follows them and
// within about timeoutMs: the number of bytes read, 0 when the module was
// silent, -1 when the port is gone or not open. flags is reserved (0).
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_ReadData(TAVO_DEVICE_HANDLE device, void* buffer, int size,
                                                             int timeoutMs, int flags);
// Harmless when the port is not open.
TAVO_DATAPROCESS_API int Tavo_Interface_RadarDevice_Serial_Close(TAVO_DEVICE_HANDLE device);
// The handle is dead afterwards.
TAVO_DATAPROCESS_API void Tavo_Interface_RadarDevice_Serial_Destroy(TAVO_DEVICE_HANDLE device);
}
