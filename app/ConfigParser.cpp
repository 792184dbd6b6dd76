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

bool WriteConfigFile(unsigned long* systemError) {
    return WriteFileReplacing(GetConfigFilePath(), gConfigParser.Serialize(), systemError) != FileWriteResult::Failed;
}
