#include "ConfigParser.h"

#include <windows.h>

#include "Tavo_Common.h"
#include "config/ConfigFile.h"

std::wstring GetConfigFilePath() {
    wchar_t folder[TAVO_MAX_PATH] = {};
    wchar_t path[TAVO_MAX_PATH] = {};
    GetProgramPathW(GetCurrentProcessId(), folder);
    CombinePathNameW(path, folder, L"appConfig.xml");
    return path;
}

void WriteConfigFile() {
    WriteFileReplacing(GetConfigFilePath(), gConfigParser.Serialize());
}
