// One owner type for every handle kind the tool and its two libraries hold.
//
// UniqueHandle<Traits> is move-only and closes what it holds when it goes or
// is reset. A traits struct names the handle type, its empty value, what
// counts as a real handle and how to close one; the aliases at the end are
// the kinds in use. Declare owners in the order they must be released in
// reverse: members go last-declared first.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <utility>

// GDI objects and created DCs held by owners right now, process wide. A leak
// check that works where GetGuiResources does not (Wine answers 0); objects
// made outside these owners are not counted. The main window answers its
// registered message "Tavo_Ladu330_Pk27Tool.LiveGdiObjects" with it.
inline std::atomic<long> g_liveScopedGdiObjects{0};

// Traits without book-keeping; a kind that counts its live objects overrides
// Adopted/Disowned.
struct UncountedHandle {
    template <class T>
    static void Adopted(T) {}
    template <class T>
    static void Disowned(T) {}
};

struct CountedGdiHandle {
    template <class T>
    static void Adopted(T) { ++g_liveScopedGdiObjects; }
    template <class T>
    static void Disowned(T) { --g_liveScopedGdiObjects; }
};

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type h) { Reset(h); }
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept { Reset(other.Release()); }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const { return m_h; }
    bool IsValid() const { return Traits::IsValid(m_h); }
    explicit operator bool() const { return IsValid(); }

    // Hands the handle over without closing it; the owner is empty after.
    Type Release() {
        if (IsValid()) Traits::Disowned(m_h);
        return std::exchange(m_h, Traits::Empty());
    }
    // Closes what is held (if anything) and takes h.
    void Reset(Type h = Traits::Empty()) {
        Type old = std::exchange(m_h, h);
        if (Traits::IsValid(h)) Traits::Adopted(h);
        if (Traits::IsValid(old)) {
            Traits::Close(old);
            Traits::Disowned(old);
        }
    }
    // For functions that return a handle through a pointer argument.
    Type* Receive() {
        Reset();
        return &m_h;
    }

private:
    Type m_h = Traits::Empty();
};

// Kernel objects closed with CloseHandle: files, threads, events, processes,
// serial ports. Null and INVALID_HANDLE_VALUE both mean "none".
struct KernelHandleTraits : UncountedHandle {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};

// HFONT, HPEN, HBRUSH, HBITMAP, HRGN: DeleteObject, counted.
template <class T>
struct GdiObjectTraits : CountedGdiHandle {
    using Type = T;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};

// DCs from CreateCompatibleDC / CreateDCW: DeleteDC, counted.
struct CreatedDCTraits : CountedGdiHandle {
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};

struct RegistryKeyTraits : UncountedHandle {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};

struct GlobalMemoryTraits : UncountedHandle {
    using Type = HGLOBAL;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::GlobalFree(h); }
};

// C streams (fopen/_wfopen); fclose flushes what is still buffered.
struct FileStreamTraits : UncountedHandle {
    using Type = std::FILE*;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { std::fclose(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueCreatedDC = UniqueHandle<CreatedDCTraits>;
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using UniqueFileStream = UniqueHandle<FileStreamTraits>;
