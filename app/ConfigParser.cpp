#include "ConfigParser.h"

#include <windows.h>

#include "Tavo_Common.h"
#include "config/ConfigFile.h"
#include "framework/LongPath.h"

std::wstring GetConfigFilePath() {
    // No program folder: no settings file, never one in the current folder.
    const std::wstring folder = ProgramFolder();
    return folder.empty() ? std::wstring() : folder + L"\\appConfig.xml";
}

bool WriteConfigFile(unsigned long* systemError) {
    return WriteFileReplacing(GetConfigFilePath(), gConfigParser.Serialize(), systemError) != FileWriteResult::Failed;
}
