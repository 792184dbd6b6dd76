#include "ConfigHolder.h"

#include <windows.h>

#include "framework/LongPath.h"

// Needs nothing constructed before it, and nothing destroyed after the
// application object uses it: the order against other files does not matter.
XMLParser gConfigParser;

std::wstring GetConfigFilePath() {
    // No program folder: no settings file, never one in the current folder.
    const std::wstring folder = ProgramFolder();
    return folder.empty() ? std::wstring() : folder + L"\\appConfig.xml";
}

FileWriteResult WriteConfigFile(unsigned long* systemError) {
    return WriteFileReplacing(GetConfigFilePath(), gConfigParser.Serialize(), systemError);
}
