// The owner template of handles/UniqueHandle.h without the system's headers:
// UniqueHandle<Traits>, the book-keeping bases and the C stream owner, for
// code that also builds on the host.
#pragma once

#include <atomic>
#include <cstdio>
#include <type_traits>
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
    static void Adopted(T) {
        ++g_liveScopedGdiObjects;
    }
    template <class T>
    static void Disowned(T) {
        --g_liveScopedGdiObjects;
    }
};

// Most kinds: null is "none" and anything else a handle; the kind adds Close.
template <class T, class Counting = UncountedHandle>
struct NullIsEmpty : Counting {
    using Type = T;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
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
    // For functions that return a handle through a pointer argument. Not for
    // counted kinds: what is written there would never be counted.
    Type* Receive() {
        static_assert(!std::is_base_of_v<CountedGdiHandle, Traits>, "a counted handle cannot be received");
        Reset();
        return &m_h;
    }

private:
    Type m_h = Traits::Empty();
};

// C streams (fopen/_wfopen); fclose flushes what is still buffered.
struct FileStreamTraits : NullIsEmpty<std::FILE*> {
    static void Close(std::FILE* h) { std::fclose(h); }
};

using UniqueFileStream = UniqueHandle<FileStreamTraits>;
