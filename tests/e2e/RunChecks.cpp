#include "RunChecks.h"

#include <regex>
#include <sstream>

#include "ToolDriver.h"
#include "ToolFixture.h"
#include "resource.h"

namespace e2e {

using namespace tooldriver;

long PingWindow(HWND window, DWORD timeoutMs) {
    const ULONGLONG start = ::GetTickCount64();
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored)) return -1;
    return static_cast<long>(::GetTickCount64() - start);
}

long SlowestPingDuring(HWND window, DWORD durationMs) {
    long slowest = 0;
    const ULONGLONG end = ::GetTickCount64() + durationMs;
    do {
        const long ms = PingWindow(window);
        if (ms < 0) return -1;
        slowest = ms > slowest ? ms : slowest;
        ::Sleep(50);  // pacing of the probes, not a wait for a condition
    } while (::GetTickCount64() < end);
    return slowest;
}

std::string BytesSent(const std::string& simLog) {
    std::istringstream lines(simLog);
    std::string line, bytes;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string time, tag, hex;
        fields >> time >> tag;
        if (tag != "TX") continue;
        std::string block;
        while (fields >> hex && hex.size() == 2 && isxdigit(static_cast<unsigned char>(hex[0])))
            block += static_cast<char>(std::stoi(hex, nullptr, 16));
        // "(N dropped)": the last N bytes of the block never reached the line.
        size_t dropped = 0;
        if (hex.size() > 1 && hex[0] == '(') dropped = std::stoul(hex.substr(1));
        bytes += block.substr(0, block.size() - (dropped < block.size() ? dropped : block.size()));
    }
    return bytes;
}

std::vector<long> FramesIn(const std::string& data) {
    std::vector<long> frames;
    for (size_t pos = 0; pos + 7 <= data.size();) {
        auto b = [&](size_t i) { return static_cast<unsigned char>(data[pos + i]); };
        if (b(0) == 0xAA && b(1) == 0xAA && b(5) == 0x55 && b(6) == 0x55) {
            frames.push_back(static_cast<long>(b(2)) << 16 | (b(3) | b(4) << 8));
            pos += 7;
        } else {
            ++pos;
        }
    }
    return frames;
}

std::vector<long> FramesLogged(const std::string& log) {
    std::vector<long> frames;
    std::regex line("State=(\\d+), M_D=(\\d{3,})\\r\\n");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
        frames.push_back(std::stol((*it)[1]) << 16 | std::stol((*it)[2]));
    return frames;
}

std::string FirstIncompleteLine(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) return text.substr(start);
        if (end == start || text[end - 1] != '\r') return text.substr(start, end - start + 1);
        start = end + 1;
    }
    return std::string();
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* extension) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*" + extension).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

bool SelectPort(HWND window, int number) {
    Click(Control(window, IDC_BTN_REFRESH));
    HWND combo = Control(window, IDC_COMBO_PORT);
    const std::vector<std::wstring> items = ComboItems(combo);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == L"COM" + std::to_wstring(number)) return SelectComboItem(combo, static_cast<int>(i));
    return false;
}

bool Reconnect(HWND window, DWORD pid, int port, const std::wstring& version) {
    const std::wstring shown = L"固件版本:" + version;
    auto versionShown = [&] { return GetControlText(window, IDC_STATIC_VERSION) == shown; };
    if (!SelectPort(window, port)) return false;
    // A tool that still holds the old connection ends it with this click;
    // one whose device library already noticed the loss connects at once.
    for (int click = 0; click < 3; ++click) {
        Click(Control(window, IDC_BTN_CONNECT), 3000);
        if (!WaitUntil([&] { return versionShown() || GetControlText(window, IDC_BTN_CONNECT) == L"连接设备" ||
                                    !FindMessageBoxes(pid).empty(); },
                       kWait))
            return false;
        for (const MessageBoxInfo& box : FindMessageBoxes(pid)) DismissMessageBox(box.hwnd);
        if (WaitUntil(versionShown, 1000)) return true;
    }
    return false;
}

}  // namespace e2e
