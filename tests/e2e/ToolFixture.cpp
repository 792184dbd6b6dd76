#include "ToolFixture.h"

#include "RunChecks.h"
#include "SimFixture.h"

namespace e2e {

using testsupport::ProgramFolder;
using testsupport::RemoveTree;

::testing::AssertionResult WriteSimScript(const char* name, const std::string& text, std::string& path) {
    std::string simBinary, sessionDir, problem;
    if (!devtest::SessionPaths(simBinary, sessionDir, problem)) return ::testing::AssertionFailure() << problem;
    path = sessionDir + "/" + name;
    if (!devtest::WriteWholeFile(path, text)) return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionSuccess();
}

void ToolTest::SetUp() {
    static int run = 0;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_folder =
        std::wstring(temp) + m_folderStem + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++run);
    m_top = m_folder;
    RemoveTree(m_top);
    ASSERT_TRUE(::CreateDirectoryW(m_folder.c_str(), nullptr));
    while (m_folder.size() < m_folderLength) {
        const size_t room = m_folderLength - m_folder.size() - 1;  // less the separator
        m_folder += L"\\" + std::wstring(room > 100 ? 100 : room, L'p');
        if (m_folder.back() == L'\\') m_folder.back() = L'p';  // a room of 0 (the last step was one short)
        ASSERT_TRUE(::CreateDirectoryW(m_folder.c_str(), nullptr)) << "folder level " << m_folder.size();
    }
    // The tool runs from a copy of the folder users get (the build's dist/).
    std::wstring from = ProgramFolder() + L"\\..\\dist\\Tavo_Ladu330_Pk27Tool";
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
    for (void* block : m_dropBlocks) ::VirtualFreeEx(m_toolMemory.Handle(), block, 0, MEM_RELEASE);
    m_dropBlocks.clear();
    m_toolMemory = tooldriver::Process();
    if (m_tool.IsRunning()) {
        DWORD ignored = 0;
        tooldriver::WaitForExitOrKill(m_tool, 0, &ignored);
    }
    m_tool = tooldriver::Process();
    RemoveTree(m_top);
}

void ToolTest::StartTool() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring error;
    const std::wstring exe = Path(L"Tavo_Ladu330_Pk27Tool.exe");
    m_tool = tooldriver::Launch(exe, L"", temp, &error);
    ASSERT_TRUE(m_tool.IsValid()) << std::string(error.begin(), error.end()) << " starting "
                                  << std::string(exe.begin(), exe.end());
    m_window = tooldriver::WaitForWindow(m_tool.Pid(), kMainClass, kWait);
    if (m_window == nullptr) {
        std::string boxes;
        for (const tooldriver::MessageBoxInfo& box : tooldriver::FindMessageBoxes(m_tool.Pid()))
            boxes += " [" + std::string(box.text.begin(), box.text.end()) + "]";
        FAIL() << "the main window did not appear" << (m_tool.IsRunning() ? "" : " (the tool ended)") << boxes;
    }
}

void ToolTest::Drop(const std::vector<std::wstring>& paths) {
    if (!m_toolMemory.IsValid()) {
        HANDLE process = ::OpenProcess(
            PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, m_tool.Pid());
        ASSERT_NE(nullptr, process);
        m_toolMemory = tooldriver::Process(process, m_tool.Pid());
    }
    void* block = tooldriver::DropFiles(m_toolMemory.Handle(), m_window, paths);
    ASSERT_NE(nullptr, block);
    m_dropBlocks.push_back(block);
    ASSERT_TRUE(HandledWhatWasPosted(m_window));
}

DWORD ToolTest::CloseTool() {
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(tooldriver::CloseWindow(m_window));
    EXPECT_TRUE(tooldriver::WaitForExitOrKill(m_tool, kWait, &exitCode)) << "the tool did not end";
    return exitCode;
}

}  // namespace e2e
