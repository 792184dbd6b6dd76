// zuv_cfg's command logic, without Windows: arguments, the module's
// parameters as a profile, write and verify, restore, diff, record. Each
// platform supplies a link to the module (the device core on a termios port
// on Linux, Tavo_DataProcess.dll on Windows) and its files, clock and Ctrl+C.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "config/ConfigFile.h"

namespace zuvcfg {

// Exit statuses; --help lists them, docs/zuv_cfg.md too.
enum ExitStatus : int {
    kExitOk = 0,
    kExitDiffer = 1,      // diff: the module and the file differ
    kExitUsage = 2,       // bad arguments
    kExitPort = 3,        // port missing, busy, or lost while in use
    kExitNoAnswer = 4,    // the module did not answer (wrong baud rate, not powered)
    kExitBadReply = 5,    // malformed or short reply, or a read the module refused
    kExitMismatch = 6,    // write/restore: refused, or read back different
    kExitBadProfile = 7,  // the profile file cannot be read or is not a valid profile
    kExitFileWrite = 8,   // an output file could not be written
};

typedef uint16_t (*ReplyHandler)(int hasStatus, const unsigned char* data, int length, void* context);

// An open port to the module, with the device library's calls and meanings.
class IModuleLink {
public:
    virtual ~IModuleLink() = default;
    virtual bool StartCmdMode(int attempts, int timeoutMs) = 0;
    virtual bool CleanData(int maxMs) = 0;
    virtual bool StopCmdMode() = 0;
    // 0, the handler's result, the module's refusal or a library error code
    // (kErrNotOpen ... kErrReplyLength of the device core, equal to the DLL's).
    virtual uint16_t SendCommand(int code, const void* request, int requestLength, ReplyHandler handler, void* context,
                                 int timeoutMs) = 0;
    // Bytes read, 0 when silent, < 0 when the port is gone.
    virtual int ReadData(void* buffer, int size, int timeoutMs) = 0;
};

class IPlatform {
public:
    virtual ~IPlatform() = default;
    // Null when the port cannot be opened; problem then says why, in a few words.
    virtual std::unique_ptr<IModuleLink> Open(const std::string& port, int baudRate, std::string& problem) = 0;
    // A file named on the command line (UTF-8), opened as fopen's mode says.
    virtual std::FILE* OpenFile(const std::string& path, const char* mode) = 0;
    virtual FilePath NativePath(const std::string& path) = 0;
    // The system's text for an error code of WriteFileReplacing.
    virtual std::string SystemReason(unsigned long code) = 0;
    virtual int64_t NowMs() = 0;
    // True once the user asked to stop (Ctrl+C).
    virtual bool StopRequested() = 0;
};

// Runs one command line (args without the program's name); returns the exit status.
int Run(const std::vector<std::string>& args, IPlatform& platform, std::ostream& out, std::ostream& err);

}  // namespace zuvcfg
