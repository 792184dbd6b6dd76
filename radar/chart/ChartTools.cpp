#include "chart/ChartTools.h"

#include <cstring>
#include <cwctype>

#include "ChartReadout.h"
#include "LinkHealth.h"
#include "framework/ErrorBox.h"
#include "framework/FileDialog.h"
#include "framework/ResourceStrings.h"
#include "handles/UniqueHandle.h"
#include "imagehelper/GdiplusHelper.h"
#include "framework/SystemMessage.h"
#include "resource.h"

namespace {

// "Chart_20261209_235959.png" in the local time.
std::wstring DefaultPictureName() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t name[64];
    std::swprintf(name, 64, L"Chart_%04u%02u%02u_%02u%02u%02u.png", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return name;
}

}  // namespace

void CChartTools::Attach(HWND owner) {
    m_owner = owner;
    m_chart.m_pHoverTextHook = this;
    m_chart.m_bHoverTip = TRUE;
}

std::wstring CChartTools::GetHoverText(int /*channel*/, int position, int /*scrollOffset*/, int windowLength,
                                       double value, void* /*context*/) {
    return radar::HoverReadout(LoadResString(IDS_CHART_HOVER), position, windowLength, m_periodMs, value);
}

bool CChartTools::OnContextMenu(HWND source, LPARAM screenPoint) {
    if (source != m_chart.GetSafeHwnd() || !m_chart.GetSafeHwnd()) return false;
    POINT at{static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
    if (screenPoint == static_cast<LPARAM>(-1)) {
        // From the keyboard: at the plot's top-left corner.
        const RECT plot = m_chart.GetPlotRect();
        at = {plot.left + 8, plot.top + 8};
        ::ClientToScreen(m_chart.GetSafeHwnd(), &at);
    }
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return true;
    ::AppendMenuW(menu.Get(), MF_STRING, ID_CHART_SAVE_PICTURE, LoadResString(IDS_CHART_MENU_SAVE_PICTURE).c_str());
    ::AppendMenuW(menu.Get(), MF_STRING, ID_CHART_COPY_DATA, LoadResString(IDS_CHART_MENU_COPY_DATA).c_str());
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.Get(), MF_STRING, ID_CHART_RESET_VIEW, LoadResString(IDS_CHART_MENU_RESET_VIEW).c_str());
    // The choice comes to the owner as WM_COMMAND, like any menu's.
    ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_owner, nullptr);
    return true;
}

bool CChartTools::OnCommand(UINT id) {
    switch (id) {
    case ID_CHART_SAVE_PICTURE: SavePicture(); return true;
    case ID_CHART_COPY_DATA: CopyData(); return true;
    case ID_CHART_RESET_VIEW: m_chart.ResetView(); return true;
    default: return false;
    }
}

void CChartTools::ShowFailure(const std::wstring& text) {
    const std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
    ShowErrorBox(m_owner, text, caption);
}

void CChartTools::SavePicture() {
    // The picture as it is when asked for, not as it is after the dialog.
    const int width = m_chart.GetClientWidth(), height = m_chart.GetClientHeight();
    const DWORD* front = m_chart.GetFrontPixels();
    if (!front || width <= 0 || height <= 0) return ShowFailure(LoadResString(IDS_CHART_NO_PICTURE));
    std::vector<DWORD> pixels(front, front + static_cast<size_t>(width) * static_cast<size_t>(height));

    FileDialogRequest request;
    request.owner = m_owner;
    request.title = LoadResString(IDS_CHART_SAVE_TITLE);
    request.filter = LoadResString(IDS_CHART_SAVE_FILTER);
    request.defaultExtension = L"png";
    request.name = DefaultPictureName();
    const std::wstring path = AskFileToSave(request);
    if (path.empty()) return;  // cancelled
    std::wstring reason;
    if (!WritePng(pixels, width, height, path, &reason))
        ShowFailure(radar::FillPlaceholders(LoadResString(IDS_CHART_SAVE_FAILED), {path, reason}));
}

bool CChartTools::WritePng(const std::vector<DWORD>& pixels, int width, int height, const std::wstring& path,
                           std::wstring* reason) {
    const std::wstring part = path + L".part";  // an unknown extension: the PNG encoder all the same
    {
        UniqueKernelHandle probe(
            ::CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) {
            *reason = SystemMessage(::GetLastError());
            return false;
        }
    }
    std::vector<DWORD> copy(pixels);  // the image reads the bits in place
    UniqueImage image(Gdiplus_LoadBitmapFromImageBits(copy.data(), width, height, width * 4, PixelFormat32bppRGB));
    const bool saved = image && Gdiplus_BitmapOK(image.Get()) && Gdiplus_SaveBitmapToFileW(image.Get(), part.c_str());
    if (!saved) {
        const int status = image ? Gdiplus_BitmapLastError(image.Get()) : Gdiplus::OutOfMemory;
        *reason = radar::FillPlaceholders(LoadResString(IDS_CHART_ENCODE_FAILED), {std::to_wstring(status)});
        image.Reset();
        ::DeleteFileW(part.c_str());
        return false;
    }
    image.Reset();
    if (!::MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *reason = SystemMessage(::GetLastError());
        ::DeleteFileW(part.c_str());
        return false;
    }
    return true;
}

void CChartTools::CopyData() {
    const std::wstring csv = radar::SamplesCsv(m_chart.GetShownSamples(0), m_periodMs);
    const size_t bytes = (csv.size() + 1) * sizeof(wchar_t);
    UniqueGlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block)
        return ShowFailure(
            radar::FillPlaceholders(LoadResString(IDS_CHART_COPY_FAILED), {SystemMessage(ERROR_NOT_ENOUGH_MEMORY)}));
    if (void* data = ::GlobalLock(block.Get())) {
        std::memcpy(data, csv.c_str(), bytes);
        ::GlobalUnlock(block.Get());
    }
    if (!::OpenClipboard(m_owner)) {
        return ShowFailure(
            radar::FillPlaceholders(LoadResString(IDS_CHART_COPY_FAILED), {SystemMessage(::GetLastError())}));
    }
    ::EmptyClipboard();
    if (::SetClipboardData(CF_UNICODETEXT, block.Get())) {
        block.Release();  // the clipboard owns it now
        ::CloseClipboard();
        return;
    }
    const DWORD error = ::GetLastError();
    ::CloseClipboard();
    ShowFailure(radar::FillPlaceholders(LoadResString(IDS_CHART_COPY_FAILED), {SystemMessage(error)}));
}

void CChartTools::RunStarted() {
    m_running = true;
    m_portAway = false;
    m_reportsAtTick = 0;
    m_tickMs = ::GetTickCount64();
    m_rate = 0;
    m_paintsAtTick = -1;
    ShowHealth(true);
    ::SetTimer(m_owner, kHealthTimer, kHealthIntervalMs, nullptr);
}

void CChartTools::RunStopped() {
    if (!m_running) return;
    m_running = false;
    ::KillTimer(m_owner, kHealthTimer);
    m_paintsAtTick = -1;  // told at once: nothing else paints while stopped
    ShowHealth(false);
}

void CChartTools::ForgetRun() {
    RunStopped();
    m_chart.SetCornerText(std::wstring());
    if (!m_chart.GetCornerTextShown().empty()) m_chart.Invalidate(FALSE);
}

void CChartTools::OnHealthTimer() {
    if (!m_running) return;
    const ULONGLONG now = ::GetTickCount64();
    const uint64_t reports = m_acquisition.Health().Figures().reports;
    m_rate = radar::ReportsPerSecond(m_reportsAtTick, reports, now - m_tickMs);
    m_reportsAtTick = reports;
    m_tickMs = now;
    ShowHealth(true);
}

void CChartTools::PortSeen(bool away) {
    if (away && !m_portAway && m_running) m_acquisition.Health().OnPortLost();
    m_portAway = away;
}

void CChartTools::ShowHealth(bool running) {
    const radar::LinkHealthFigures figures = m_acquisition.Health().Figures();
    const std::wstring text = radar::HealthLine(
        LoadResString(running ? IDS_CHART_HEALTH_RUNNING : IDS_CHART_HEALTH_STOPPED), m_rate, figures);
    m_chart.SetCornerText(text);
    // Reports coming in paint the chart anyway, and the line rides that
    // paint. When nothing painted it since the last look (stopped, the module
    // silent, the port away) and the line on screen is not the line, it asks
    // for one paint of the frame: at most one a second, the background kept.
    const int64_t paints = m_chart.GetPaintCount();
    const bool idle = paints == m_paintsAtTick || m_paintsAtTick < 0;
    if (idle && text != m_chart.GetCornerTextShown()) m_chart.Invalidate(FALSE);
    m_paintsAtTick = paints;
}
