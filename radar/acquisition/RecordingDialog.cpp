#include "acquisition/RecordingDialog.h"

#include "acquisition/Acquisition.h"
#include "framework/FileDialog.h"
#include "framework/ResourceStrings.h"
#include "resource.h"

namespace radar {

std::wstring AskRecordingToOpen(HWND owner, const std::wstring& title) {
    FileDialogRequest request;
    request.owner = owner;
    request.title = title;
    request.filter = LoadResString(IDS_OPEN_RECORDING_FILTER) + L"|*.dat|";
    request.defaultExtension = L"dat";
    request.folder = CAcquisition::ProgramLogFolder();
    return AskFileToOpen(request);
}

}  // namespace radar
