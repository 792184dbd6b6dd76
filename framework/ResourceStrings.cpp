#include "ResourceStrings.h"

#include <vector>

namespace {

// Written once at start-up on the user-interface thread, read afterwards.
LANGID gPreferred = 0;
LANGID gFallback = 0;
bool gLanguageChosen = false;
HMODULE gModule = nullptr;

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
    return TRUE;
}

std::vector<LANGID> LanguagesOf(HMODULE module, LPCWSTR type, LPCWSTR name) {
    std::vector<LANGID> languages;
    ::EnumResourceLanguagesW(module, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

HRSRC FindInLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language) {
    return ::FindResourceExW(module, type, name, language);
}

// The id's entry inside a string block of 16 counted strings; empty when the
// entry has length 0 (the block exists but not this string).
std::wstring ReadStringFromBlock(HMODULE module, HRSRC block, UINT id) {
    if (!block) return {};
    HGLOBAL loaded = ::LoadResource(module, block);
    const auto* p = static_cast<const WCHAR*>(::LockResource(loaded));
    if (!p) return {};
    const DWORD sizeInChars = ::SizeofResource(module, block) / sizeof(WCHAR);
    const WCHAR* end = p + sizeInChars;
    for (UINT i = 0; i < (id & 15); ++i) {
        if (p >= end) return {};
        p += 1 + *p;
    }
    if (p >= end) return {};
    const UINT length = *p;
    if (p + 1 + length > end) return {};
    return std::wstring(p + 1, length);
}

LPCWSTR StringBlockName(UINT id) { return MAKEINTRESOURCEW((id >> 4) + 1); }

}  // namespace

void SetResourceLanguage(LANGID preferred, LANGID fallback) {
    gPreferred = preferred;
    gFallback = fallback;
    gLanguageChosen = true;
}

LANGID GetPreferredResourceLanguage() { return gLanguageChosen ? gPreferred : ::GetThreadUILanguage(); }
LANGID GetFallbackResourceLanguage() { return gFallback; }

void SetResourceModule(HMODULE module) { gModule = module; }
HMODULE GetResourceModule() { return gModule ? gModule : ::GetModuleHandleW(nullptr); }

std::wstring LoadResStringInLanguage(UINT id, LANGID language) {
    HMODULE module = GetResourceModule();
    return ReadStringFromBlock(module, FindInLanguage(module, RT_STRING, StringBlockName(id), language), id);
}

std::wstring LoadResString(UINT id) {
    HMODULE module = GetResourceModule();
    LPCWSTR block = StringBlockName(id);
    // A block may exist in a language without holding this id (its entry is
    // empty), so the fallback is per string, not per block.
    for (LANGID language : {GetPreferredResourceLanguage(), GetFallbackResourceLanguage()}) {
        if (language == 0) continue;
        std::wstring text = ReadStringFromBlock(module, FindInLanguage(module, RT_STRING, block, language), id);
        if (!text.empty()) return text;
    }
    for (LANGID language : LanguagesOf(module, RT_STRING, block)) {
        std::wstring text = ReadStringFromBlock(module, FindInLanguage(module, RT_STRING, block, language), id);
        if (!text.empty()) return text;
    }
    return {};
}

HRSRC FindResourceInChosenLanguage(LPCWSTR type, LPCWSTR name) {
    HMODULE module = GetResourceModule();
    for (LANGID language : {GetPreferredResourceLanguage(), GetFallbackResourceLanguage()}) {
        if (language == 0) continue;
        if (HRSRC found = FindInLanguage(module, type, name, language)) return found;
    }
    for (LANGID language : LanguagesOf(module, type, name)) {
        if (HRSRC found = FindInLanguage(module, type, name, language)) return found;
    }
    return nullptr;
}
