// The process-wide configuration document and its file beside the executable.
#pragma once

#include <string>

#include "ConfigDocument.h"

// Filled at start-up, read and written by the main window, written to
// appConfig.xml at every save. Used on the user-interface thread only.
extern XMLParser gConfigParser;

// Full path of appConfig.xml in the executable's folder.
std::wstring GetConfigFilePath();
// Writes the whole document to the file. A file that may not be written
// (read-only, locked) is skipped: the user's choice to keep it. A failed
// write never damages the existing file; it returns false with the system's
// error code in *systemError.
bool WriteConfigFile(unsigned long* systemError = nullptr);
