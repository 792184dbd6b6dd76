#include "export/CsvExportCommand.h"

#include <cwctype>
#include <vector>

#include "acquisition/RecordingDialog.h"
#include "RecordingReports.h"
#include "framework/ErrorBox.h"
#include "framework/FileDialog.h"
#include "framework/ResourceStrings.h"
#include "framework/SystemMessage.h"
#include "resource.h"

namespace {

constexpr DWORD kPathCapacity = 32768;  // the longest path the system takes

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> full(kPathCapacity);
    const DWORD n = ::GetFullPathNameW(path.c_str(), kPathCapacity, full.data(), nullptr);
    return n > 0 && n < kPathCapacity ? std::wstring(full.data(), n) : path;
}

}  // namespace

void CCsvExportCommand::AddToSystemMenu(HWND window) {
    m_window = window;
    m_message = ::RegisterWindowMessageW(L"Tavo_Ladu330_Pk27Tool.CsvExport");
    m_export = std::make_unique<radar::CCsvExport>(window, m_message);
    HMENU menu = ::GetSystemMenu(window, FALSE);
    if (!menu) return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kMenuId, LoadResString(IDS_CSV_EXPORT_MENU).c_str());
}

bool CCsvExportCommand::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (!m_export) return false;
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == kMenuId) {
        Run();
    } else if (msg == m_message && wParam == radar::kCsvProgress) {
        OnProgress();
    } else if (msg == m_message && wParam == radar::kCsvDone) {
        OnDone();
    } else {
        return false;
    }
    result = 0;
    return true;
}

std::wstring CCsvExportCommand::ProgressText() const {
    if (m_percent < 0) return std::wstring();
    return LoadResString(IDS_CSV_EXPORT_PROGRESS) + std::to_wstring(m_percent) + L"%";
}

void CCsvExportCommand::Stop() {
    if (m_export) m_export->Cancel();
    m_busy = false;
    m_percent = -1;  // the window is going: the status line is not shown again
}

void CCsvExportCommand::Run() {
    // The entry is grayed meanwhile, but a command can still arrive (posted,
    // or from a file dialog's own message loop): say plainly why nothing starts.
    if (m_busy) {
        Tell(LoadResString(IDS_CSV_EXPORT_BUSY), MB_ICONINFORMATION);
        return;
    }
    SetBusy(true);
    std::wstring recording, csv;
    if (!ChooseRecording(recording) || !ChooseCsv(recording, csv)) {
        SetBusy(false);
        return;
    }
    // Writing the CSV over the recording would destroy what it is made from.
    if (::CompareStringOrdinal(FullPath(recording).c_str(), -1, FullPath(csv).c_str(), -1, TRUE) == CSTR_EQUAL) {
        TellFailure(IDS_CSV_EXPORT_SAME_FILE, csv);
        SetBusy(false);
        return;
    }
    m_recordingPath = recording;
    m_csvPath = csv;
    if (!m_export->Start(recording, csv, static_cast<uint32_t>(m_reportPeriodMs()))) {
        TellFailure(IDS_CSV_EXPORT_CANNOT_CREATE, csv, ::GetLastError());
        SetBusy(false);
        return;
    }
    m_percent = 0;
    m_progressChanged();
}

bool CCsvExportCommand::ChooseRecording(std::wstring& path) const {
    path = radar::AskRecordingToOpen(m_window, LoadResString(IDS_CSV_EXPORT_OPEN_TITLE));
    return !path.empty();
}

bool CCsvExportCommand::ChooseCsv(const std::wstring& recording, std::wstring& path) const {
    // Offered: the recording's name with .csv, in its folder.
    std::wstring suggested = recording;
    const size_t slash = suggested.find_last_of(L"\\/");
    const size_t dot = suggested.find_last_of(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) suggested.erase(dot);
    FileDialogRequest request;
    request.owner = m_window;
    request.title = LoadResString(IDS_CSV_EXPORT_SAVE_TITLE);
    request.filter = LoadResString(IDS_CSV_EXPORT_CSV_FILES) + L"|*.csv|";
    request.defaultExtension = L"csv";
    request.name = suggested + L".csv";
    path = AskFileToSave(request);
    return !path.empty();
}

void CCsvExportCommand::OnProgress() {
    if (!m_export->Busy()) return;
    const int percent = m_export->TakeProgress();
    if (percent == m_percent) return;
    m_percent = percent;
    m_progressChanged();
}

void CCsvExportCommand::OnDone() {
    if (!m_export->Busy()) return;
    const radar::CsvExportResult result = m_export->Finish();
    m_percent = -1;
    m_progressChanged();
    SetBusy(false);  // the box below does not hold up the next export
    using Outcome = radar::CsvExportResult::Outcome;
    const std::wstring& csv = m_csvPath;
    switch (result.outcome) {
    case Outcome::Done:
        Tell(LoadResString(IDS_CSV_EXPORT_DONE) + L"\n" + csv + L"\n\n" + LoadResString(IDS_CSV_EXPORT_REPORTS) +
                 std::to_wstring(result.reports) + L"\n" + LoadResString(IDS_CSV_EXPORT_SKIPPED) +
                 std::to_wstring(result.skippedBytes + result.trailingBytes),
             MB_ICONINFORMATION);
        break;
    case Outcome::CannotRead: TellFailure(IDS_CSV_EXPORT_CANNOT_READ, m_recordingPath, result.error); break;
    case Outcome::NoReports: TellFailure(IDS_CSV_EXPORT_NO_REPORTS, m_recordingPath); break;
    case Outcome::CannotCreate: TellFailure(IDS_CSV_EXPORT_CANNOT_CREATE, csv, result.error); break;
    case Outcome::WriteFailed: TellFailure(IDS_CSV_EXPORT_WRITE_FAILED, csv, result.error); break;
    case Outcome::Cancelled: break;
    }
}

void CCsvExportCommand::SetBusy(bool busy) {
    m_busy = busy;
    if (HMENU menu = ::GetSystemMenu(m_window, FALSE))
        ::EnableMenuItem(menu, kMenuId, MF_BYCOMMAND | (busy ? MF_GRAYED : MF_ENABLED));
}

void CCsvExportCommand::TellFailure(UINT textId, const std::wstring& path, DWORD error) const {
    std::wstring text = LoadResString(textId) + L"\n" + path;
    if (error != 0) text += L"\n" + SystemMessage(error);
    Tell(text, kErrorBoxType);
}

void CCsvExportCommand::Tell(const std::wstring& text, UINT type) const {
    const std::wstring caption = LoadResString(type == MB_ICONINFORMATION ? IDS_CAPTION_INFO : IDS_CAPTION_ERROR);
    ::MessageBoxW(m_window, text.c_str(), caption.c_str(), type);
}
