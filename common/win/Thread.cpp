// CBaseThread over a Win32 thread.
#include "Tavo_Common.h"
#include "WinText.h"
#include "handles/UniqueHandle.h"

#include <mutex>
#include <new>
#include <string>

struct CBaseThread::Impl {
    std::mutex mutex;  // guards the fields below between starting and stopping threads
    UniqueKernelHandle thread;
    DWORD threadId = 0;
    IThreadFuncInterface* body = nullptr;
    uint64_t userData = 0;
};

namespace {

DWORD WINAPI ThreadMain(LPVOID parameter) {
    auto* body = static_cast<IThreadFuncInterface*>(parameter);
    try {
        return static_cast<DWORD>(body->ThreadFunc());
    } catch (...) {
        return static_cast<DWORD>(-1);  // nothing may leave a thread body
    }
}

// SetThreadDescription exists from Windows 10 1607 on; look it up so the DLL
// still loads on systems without it.
void NameThread(HANDLE thread, const char* name) {
    if (name == nullptr || *name == '\0') return;
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const SetDescription setDescription = [] {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        return kernel ? reinterpret_cast<SetDescription>(GetProcAddress(kernel, "SetThreadDescription")) : nullptr;
    }();
    if (setDescription != nullptr) setDescription(thread, tavo_common::WideFromAnsi(name).c_str());
}

bool StillRunning(HANDLE thread) { return thread != nullptr && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; }

}  // namespace

CBaseThread::CBaseThread() : m_pImpl(new (std::nothrow) Impl) {}

CBaseThread::~CBaseThread() {
    StopThread();
    delete m_pImpl;
}

int CBaseThread::StartThread(const char* name, IThreadFuncInterface* body, uint64_t userData, int priority,
                             int stackSize, int flags) {
    if (m_pImpl == nullptr || body == nullptr || stackSize < 0) return 0;
    try {
        std::lock_guard<std::mutex> lock(m_pImpl->mutex);
        if (StillRunning(m_pImpl->thread.Get())) return 0;
        m_pImpl->thread.Reset();
        m_pImpl->body = body;
        m_pImpl->userData = userData;
        DWORD id = 0;
        // Suspended, so the name and priority are in place before the body runs.
        HANDLE h = CreateThread(nullptr, static_cast<SIZE_T>(stackSize), ThreadMain, body,
                                CREATE_SUSPENDED | (stackSize > 0 ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0), &id);
        if (h == nullptr) return 0;
        m_pImpl->thread.Reset(h);
        m_pImpl->threadId = id;
        NameThread(h, name);
        if (priority != 0) SetThreadPriority(h, priority);
        ResumeThread(h);
        return 1;
    } catch (...) {
        return 0;
    }
}

void CBaseThread::StopThread() {
    if (m_pImpl == nullptr) return;
    HANDLE h = nullptr;
    UniqueKernelHandle waitOn;  // our own copy: a concurrent restart may close h
    {
        std::lock_guard<std::mutex> lock(m_pImpl->mutex);
        h = m_pImpl->thread.Get();
        // The body stopping its own thread would wait for itself forever.
        if (h == nullptr || m_pImpl->threadId == GetCurrentThreadId()) return;
        HANDLE dup = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, SYNCHRONIZE, FALSE, 0)) return;
        waitOn.Reset(dup);
    }
    WaitForSingleObject(waitOn.Get(), INFINITE);
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    if (m_pImpl->thread.Get() == h) {
        m_pImpl->thread.Reset();
        m_pImpl->threadId = 0;
    }
}

BOOL CBaseThread::IsRunning() const {
    if (m_pImpl == nullptr) return FALSE;
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return StillRunning(m_pImpl->thread.Get()) ? TRUE : FALSE;
}

uint64_t CBaseThread::GetUserData() const { return m_pImpl ? m_pImpl->userData : 0; }
