// The process-wide configuration document and its file beside the executable.
#pragma once

#include <string>

#include "ConfigDocument.h"
#include "ConfigFile.h"

// Filled at start-up, read and written by the main window, written to
// appConfig.xml at every save. Used on the user-interface thread only.
extern XMLParser gConfigParser;

// Full path of appConfig.xml in the executable's folder.
std::wstring GetConfigFilePath();
// Writes the whole document to the file. A file the user marked read-only is
// skipped: the user's choice to keep it. A failed write never damages the
// existing file; on Failed *systemError holds the system's error code.
FileWriteResult WriteConfigFile(unsigned long* systemError = nullptr);
