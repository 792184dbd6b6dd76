// String and resource lookup in a language chosen by the program. The system's
// own choice cannot be relied upon (some platforms ignore the process's
// preferred UI languages), so lookups name the language explicitly:
// preferred, then fallback, then whatever language the module holds.
#pragma once
#include <windows.h>
#include <string>

// Languages for every later lookup. 0 as fallback means "no fallback".
void SetResourceLanguage(LANGID preferred, LANGID fallback);
LANGID GetPreferredResourceLanguage();
LANGID GetFallbackResourceLanguage();

// Module whose resources are searched; defaults to the executable.
void SetResourceModule(HMODULE module);
HMODULE GetResourceModule();

// The string with this id; an empty string when no language holds it.
std::wstring LoadResString(UINT id);
// The string in exactly this language (no fallback); empty when absent.
std::wstring LoadResStringInLanguage(UINT id, LANGID language);

// Finds a resource of any type by the same language rules.
HRSRC FindResourceInChosenLanguage(LPCWSTR type, LPCWSTR name);
