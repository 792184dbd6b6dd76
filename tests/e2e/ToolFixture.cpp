#include "ToolFixture.h"

#include <fstream>
#include <sstream>

namespace e2e {

namespace {

std::wstring ThisProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

void ToolTest::SetUp() {
    static int run = 0;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + m_folderStem + std::to_wstring(::GetCurrentProcessId()) + L"_" +
               std::to_wstring(++run);
    RemoveTree(m_folder);
    ASSERT_TRUE(::CreateDirectoryW(m_folder.c_str(), nullptr));
    // The tool runs from a copy of the folder users get (the build's dist/).
    std::wstring from = ThisProgramFolder() + L"\\..\\dist\\Tavo_Ladu330_Pk27Tool";
    for (const wchar_t* file : {L"Tavo_Ladu330_Pk27Tool.exe", L"Tavo_Common.dll", L"Tavo_DataProcess.dll"}) {
        ASSERT_TRUE(::CopyFileW((from + L"\\" + file).c_str(), Path(file).c_str(), FALSE))
            << "copying the tool's files";
    }
    ASSERT_TRUE(::CreateDirectoryW(Path(L"Image").c_str(), nullptr));
    for (const wchar_t* file : {L"HumanNobody.png", L"HumanMotion.png", L"HumanMotionLess.png"}) {
        ASSERT_TRUE(::CopyFileW((from + L"\\Image\\" + file).c_str(), Path(L"Image\\").append(file).c_str(), FALSE))
            << "copying the tool's pictures";
    }
}

void ToolTest::TearDown() {
    if (m_tool.IsRunning()) {
        DWORD ignored = 0;
        tooldriver::WaitForExitOrKill(m_tool, 0, &ignored);
    }
    m_tool = tooldriver::Process();
    RemoveTree(m_folder);
}

void ToolTest::StartTool() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring error;
    m_tool = tooldriver::Launch(Path(L"Tavo_Ladu330_Pk27Tool.exe"), L"", temp, &error);
    ASSERT_TRUE(m_tool.IsValid()) << std::string(error.begin(), error.end());
    m_window = tooldriver::WaitForWindow(m_tool.Pid(), kMainClass, kWait);
    ASSERT_NE(nullptr, m_window) << "the main window did not appear";
}

DWORD ToolTest::CloseTool() {
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(tooldriver::CloseWindow(m_window));
    EXPECT_TRUE(tooldriver::WaitForExitOrKill(m_tool, kWait, &exitCode)) << "the tool did not end";
    return exitCode;
}

}  // namespace e2e
