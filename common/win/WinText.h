// Text conversions between the system's ANSI code page and UTF-16.
#pragma once

#include <string>

namespace tavo_common {

// Both return an empty string for null input.
std::wstring WideFromAnsi(const char* text);
std::string AnsiFromWide(const std::wstring& text);

}  // namespace tavo_common
