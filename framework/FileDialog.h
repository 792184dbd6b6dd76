// The system's file-open and file-save dialogs, each asked with one call.
#pragma once
#include <windows.h>

#include <string>

struct FileDialogRequest {
    HWND owner = nullptr;
    std::wstring title;
    // The type list as "description|pattern|", several pairs allowed.
    std::wstring filter;
    std::wstring defaultExtension;  // added when the user types none; no dot
    std::wstring folder;            // where it opens; the system chooses when empty or missing
    std::wstring name;              // the name offered
};

// The path chosen, or empty when the user cancelled.
std::wstring AskFileToOpen(const FileDialogRequest& request);

// Asks before replacing a file. The dialog does not create the file to try
// the name out: the caller writes it and tells the user why when it cannot.
std::wstring AskFileToSave(const FileDialogRequest& request);
