// The language entries of the main window's system menu: "中文" and "English",
// each in its own language, radio-checked by the language saved in the
// configuration. Choosing the other one saves it; it applies at the next
// start (the window keeps its language until then). Available in every mode.
#pragma once

#include <windows.h>

#include <functional>

namespace radar {

class CLanguageMenu {
public:
    // save: the window's usual save of the configuration; true when the file
    // was written (a failure is told by it).
    explicit CLanguageMenu(std::function<bool()> save) : m_save(std::move(save)) {}

    // Appends a separator and the entries to window's system menu.
    void Attach(HWND window);
    // WM_SYSCOMMAND with a language entry: carried out, result set, true.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void Choose(bool english);
    // The entry of the language the configuration holds checked.
    void ShowSaved();

    std::function<bool()> m_save;
    HWND m_window = nullptr;
    HMENU m_menu = nullptr;  // the window's system menu, owned by the window
};

}  // namespace radar
