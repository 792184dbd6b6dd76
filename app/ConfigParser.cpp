#include "ConfigParser.h"

#include <windows.h>

#include "Tavo_Common.h"
#include "config/ConfigFile.h"

std::string GetConfigFilePath() {
    char folder[TAVO_MAX_PATH] = {};
    char path[TAVO_MAX_PATH] = {};
    GetProgramPathA(GetCurrentProcessId(), folder);
    CombinePathNameA(path, folder, "appConfig.xml");
    return path;
}

void WriteConfigFile() {
    WriteFileReplacing(GetConfigFilePath(), gConfigParser.Serialize());
}
