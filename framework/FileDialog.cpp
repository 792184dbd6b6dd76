#include "FileDialog.h"

#include <commdlg.h>

#include <vector>

namespace {

constexpr DWORD kPathCapacity = 32768;  // the longest path the system takes

enum class Purpose { Open, Save };

std::wstring Ask(const FileDialogRequest& request, Purpose purpose) {
    std::wstring filter = request.filter;
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    if (request.name.size() < kPathCapacity) request.name.copy(path.data(), request.name.size());
    const bool folderExists =
        !request.folder.empty() && ::GetFileAttributesW(request.folder.c_str()) != INVALID_FILE_ATTRIBUTES;

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = request.owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathCapacity;
    dialog.lpstrInitialDir = folderExists ? request.folder.c_str() : nullptr;
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (purpose == Purpose::Open) {
        dialog.Flags |= OFN_FILEMUSTEXIST;
        if (!::GetOpenFileNameW(&dialog)) return {};
    } else {
        dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_NOTESTFILECREATE;
        if (!::GetSaveFileNameW(&dialog)) return {};
    }
    return path.data();
}

}  // namespace

std::wstring AskFileToOpen(const FileDialogRequest& request) { return Ask(request, Purpose::Open); }

std::wstring AskFileToSave(const FileDialogRequest& request) { return Ask(request, Purpose::Save); }
