// Drives a running Windows program from outside, the way a user would, for
// end-to-end tests: start it, find its windows, read and operate controls,
// handle its message boxes, close it and collect its exit code.
// Every wait polls with short pauses up to a time-out; nothing relies on a
// fixed delay. Calls into the program use time-outs so a program that opens
// a modal box (or hangs) never blocks the driver.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tooldriver {

// An owned process handle (closed on destruction; the process keeps running).
class Process {
public:
    Process() = default;
    Process(HANDLE handle, DWORD pid) : m_handle(handle), m_pid(pid) {}
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Opens an existing process for waiting and killing.
    static Process Open(DWORD pid);

    HANDLE Handle() const { return m_handle; }
    DWORD Pid() const { return m_pid; }
    bool IsValid() const { return m_handle != nullptr; }
    bool IsRunning() const;

private:
    HANDLE m_handle = nullptr;
    DWORD m_pid = 0;
};

// Starts exe with the given argument text in workDir (empty: the exe's own
// folder). Returns an invalid Process and fills error on failure.
Process Launch(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workDir,
               std::wstring* error = nullptr);

// Polls condition every few milliseconds until it holds or timeoutMs passes.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs, DWORD pollMs = 20) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(pollMs);
    }
}

// Top-level windows of a process, optionally of one class (empty: any).
std::vector<HWND> TopLevelWindows(DWORD pid, const std::wstring& className = L"", bool visibleOnly = true);
// Waits for a visible top-level window of the class in the process.
HWND WaitForWindow(DWORD pid, const std::wstring& className, DWORD timeoutMs);

std::wstring ClassName(HWND hwnd);
// WM_GETTEXT, with a time-out. Empty when the window does not answer.
std::wstring GetText(HWND hwnd, DWORD timeoutMs = 5000);
HWND Control(HWND dialog, int id);
std::wstring GetControlText(HWND dialog, int id, DWORD timeoutMs = 5000);

struct ControlState {
    bool exists = false;
    bool enabled = false;
    bool visible = false;
    int check = 0;  // BM_GETCHECK: 0 unchecked, 1 checked, 2 indeterminate
};
ControlState GetState(HWND control, DWORD timeoutMs = 5000);

std::vector<std::wstring> ComboItems(HWND combo, DWORD timeoutMs = 5000);
int ComboSelection(HWND combo, DWORD timeoutMs = 5000);  // CB_ERR (-1) when none

// Clicks a button (BM_CLICK). Returns once the program has handled the click
// or after waitMs, whichever comes first: a click that opens a modal box
// returns after waitMs with the box open. False only if the button is gone.
bool Click(HWND button, DWORD waitMs = 500);
// Selects item index and tells the parent (WM_COMMAND/CBN_SELCHANGE), as a
// user's choice would.
bool SelectComboItem(HWND combo, int index, DWORD timeoutMs = 5000);
// Sets an edit's text (the edit itself notifies its parent with EN_CHANGE).
bool SetEditText(HWND edit, const std::wstring& text, DWORD timeoutMs = 5000);

enum class BoxIcon { None, Information, Warning, Error, Question, Unknown };
const wchar_t* BoxIconName(BoxIcon icon);

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
    BoxIcon icon = BoxIcon::None;
    std::vector<std::wstring> buttons;
};
// Visible message boxes of the process: dialogs ("#32770") whose children are
// only buttons and statics, one of them the message text (id 0xFFFF).
std::vector<MessageBoxInfo> FindMessageBoxes(DWORD pid);
// Waits for a message box of the process; its hwnd is null on time-out.
MessageBoxInfo WaitForMessageBox(DWORD pid, DWORD timeoutMs);
// Presses OK, or the only button, or Cancel; then waits for the box to go.
bool DismissMessageBox(HWND box, DWORD timeoutMs = 5000);

// A visible file dialog of the process (the system's open or save dialog);
// null on time-out.
HWND WaitForFileDialog(DWORD pid, DWORD timeoutMs);

// Files dropped on window as Explorer drops them: one DROPFILES block of wide
// paths written into process (opened with VM operation and write rights),
// posted as WM_DROPFILES. Returns the block in the process (the window's
// DragFinish does not free memory of another process: the caller may free it
// with VirtualFreeEx once it is handled), null on failure.
void* DropFiles(HANDLE process, HWND window, const std::vector<std::wstring>& paths);
// The edit of a file dialog's name box; null when dialog is no file dialog.
HWND FileDialogNameEdit(HWND dialog);
// Types path into the dialog's name box and presses its OK button; true once
// the dialog has gone (a question it asks stays open: the dialog stays too).
bool ChooseFile(HWND dialog, const std::wstring& path, DWORD timeoutMs);

// Posts WM_CLOSE.
bool CloseWindow(HWND hwnd);
// Waits for the process to end; false on time-out (exitCode untouched).
bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD* exitCode);
// Waits, and kills the process when it did not end in time. Returns true
// when it ended by itself.
bool WaitForExitOrKill(const Process& process, DWORD timeoutMs, DWORD* exitCode);

}  // namespace tooldriver
