// The tool's own string table, read from its executable beside this test.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "resource.h"

namespace {

// The string id in exactly language (no fallback); empty when absent.
std::wstring StringIn(HMODULE module, UINT id, LANGID language) {
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    HGLOBAL loaded = block ? LoadResource(module, block) : nullptr;
    const wchar_t* entry = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!entry) return L"";
    for (UINT i = 0; i < id % 16; ++i) entry += 1 + *entry;
    return std::wstring(entry + 1, *entry);
}

TEST(ToolStrings, EachReplayProblemNamesItsSubjectInBothLanguages) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring tool(path);
    tool = tool.substr(0, tool.find_last_of(L"\\/") + 1) + L"Tavo_Ladu330_Pk27Tool.exe";
    HMODULE module = LoadLibraryExW(tool.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "cannot read " << std::string(tool.begin(), tool.end());
    for (UINT id : {IDS_REPLAY_CANNOT_OPEN, IDS_REPLAY_EMPTY, IDS_REPLAY_NOT_A_RECORDING, IDS_REPLAY_BAD_SPEED}) {
        const std::wstring chinese = StringIn(module, id, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
        const std::wstring english = StringIn(module, id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        EXPECT_NE(chinese.find(L"%s"), std::wstring::npos) << id;
        EXPECT_NE(english.find(L"%s"), std::wstring::npos) << id;
        EXPECT_NE(chinese, english) << id;
    }
    FreeLibrary(module);
}

}  // namespace
