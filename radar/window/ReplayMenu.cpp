#include "window/ReplayMenu.h"

#include <string>

#include "framework/ResourceStrings.h"
#include "resource.h"

namespace radar {
namespace {

constexpr struct {
    UINT command;
    double speed;
} kSpeeds[] = {{IDM_REPLAY_SPEED_1, 1.0}, {IDM_REPLAY_SPEED_5, 5.0}, {IDM_REPLAY_SPEED_20, 20.0}};

}  // namespace

void CReplayMenu::Attach(HWND window) {
    m_menu = ::GetSystemMenu(window, FALSE);
    if (!m_menu) return;
    ::AppendMenuW(m_menu, MF_SEPARATOR, 0, nullptr);
    const struct {
        UINT command, text;
    } entries[] = {{IDM_OPEN_RECORDING, IDS_MENU_OPEN_RECORDING},
                   {IDM_REPLAY_SPEED_1, IDS_MENU_SPEED_1},
                   {IDM_REPLAY_SPEED_5, IDS_MENU_SPEED_5},
                   {IDM_REPLAY_SPEED_20, IDS_MENU_SPEED_20},
                   {IDM_BACK_TO_LIVE, IDS_MENU_BACK_TO_LIVE}};
    for (const auto& entry : entries)
        ::AppendMenuW(m_menu, MF_STRING, entry.command, LoadResString(entry.text).c_str());
    ShowSpeed(1.0);
    ShowReplaying(false);
}

void CReplayMenu::ShowSpeed(double speed) {
    if (!m_menu) return;
    for (const auto& entry : kSpeeds) {
        if (entry.speed == speed) {
            ::CheckMenuRadioItem(m_menu, IDM_REPLAY_SPEED_1, IDM_REPLAY_SPEED_20, entry.command, MF_BYCOMMAND);
            return;
        }
    }
    for (const auto& entry : kSpeeds) ::CheckMenuItem(m_menu, entry.command, MF_BYCOMMAND | MF_UNCHECKED);
}

void CReplayMenu::ShowReplaying(bool replaying) {
    if (m_menu) ::EnableMenuItem(m_menu, IDM_BACK_TO_LIVE, MF_BYCOMMAND | (replaying ? MF_ENABLED : MF_GRAYED));
}

double CReplayMenu::SpeedOf(UINT command) {
    for (const auto& entry : kSpeeds)
        if (entry.command == command) return entry.speed;
    return 0;
}

bool CReplayMenu::IsReplayCommand(UINT command) {
    return command == IDM_OPEN_RECORDING || command == IDM_BACK_TO_LIVE || SpeedOf(command) > 0;
}

UINT CReplayMenu::State(UINT command) const {
    return m_menu ? ::GetMenuState(m_menu, command, MF_BYCOMMAND) : 0xFFFFFFFFu;
}

}  // namespace radar
