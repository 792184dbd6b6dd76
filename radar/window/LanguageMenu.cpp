#include "window/LanguageMenu.h"

#include <string>
#include <utility>

#include "config/ConfigHolder.h"
#include "framework/ResourceStrings.h"
#include "resource.h"

namespace radar {
namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

bool SavedIsEnglish() { return ChooseUiLanguage(GetLanguageValue(gConfigParser).c_str()).resourceLangId == kEnglish; }

}  // namespace

void CLanguageMenu::Attach(HWND window) {
    m_window = window;
    m_menu = ::GetSystemMenu(window, FALSE);
    if (!m_menu) return;
    ::AppendMenuW(m_menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(m_menu, MF_STRING, IDM_LANGUAGE_CHINESE, LoadResString(IDS_MENU_LANGUAGE_CHINESE).c_str());
    ::AppendMenuW(m_menu, MF_STRING, IDM_LANGUAGE_ENGLISH, LoadResString(IDS_MENU_LANGUAGE_ENGLISH).c_str());
    ShowSaved();
}

bool CLanguageMenu::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_SYSCOMMAND) return false;
    const UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (command != IDM_LANGUAGE_CHINESE && command != IDM_LANGUAGE_ENGLISH) return false;
    result = 0;
    Choose(command == IDM_LANGUAGE_ENGLISH);
    return true;
}

void CLanguageMenu::Choose(bool english) {
    if (english == SavedIsEnglish()) return;
    const char* value = english ? "ENG" : "CHS";
    const std::optional<std::string> previous = SetLanguageValue(gConfigParser, value);
    if (!m_save()) {
        // Not in the file: the document goes back to what the file holds, so
        // no later save writes a choice the user was told had failed.
        SetLanguageValue(gConfigParser, previous ? previous->c_str() : nullptr);
        return;
    }
    ShowSaved();
    // Said in the language chosen: the one the user reads.
    const LANGID chosen = ChooseUiLanguage(value).resourceLangId;
    ::MessageBoxW(m_window, LoadResStringInLanguage(IDS_LANGUAGE_AT_NEXT_START, chosen).c_str(),
                  LoadResStringInLanguage(IDS_CAPTION_INFO, chosen).c_str(), MB_ICONINFORMATION);
}

void CLanguageMenu::ShowSaved() {
    if (!m_menu) return;
    ::CheckMenuRadioItem(m_menu, IDM_LANGUAGE_CHINESE, IDM_LANGUAGE_ENGLISH,
                         SavedIsEnglish() ? IDM_LANGUAGE_ENGLISH : IDM_LANGUAGE_CHINESE, MF_BYCOMMAND);
}

}  // namespace radar
