// The replay entries of the main window's system menu: open a recording, the
// replay speed (1x, 5x, 20x, radio-checked) and back to live (enabled only
// while a recording is open). Shows state; the window carries out the commands.
#pragma once

#include <windows.h>

namespace radar {

class CReplayMenu {
public:
    // Appends a separator and the entries to window's system menu.
    void Attach(HWND window);
    // The speed's entry checked; none when the speed is none of the entries'.
    void ShowSpeed(double speed);
    void ShowReplaying(bool replaying);

    // The speed a command stands for; 0 when it is no speed entry.
    static double SpeedOf(UINT command);
    // Whether a WM_SYSCOMMAND command is one of these entries.
    static bool IsReplayCommand(UINT command);
    // GetMenuState of an entry (MF_CHECKED, MF_GRAYED, ...), 0xFFFFFFFF when
    // it is not in the menu: a test's view of the menu from outside, where
    // the system menu cannot be read.
    UINT State(UINT command) const;

private:
    HMENU m_menu = nullptr;  // the window's system menu, owned by the window
};

}  // namespace radar
