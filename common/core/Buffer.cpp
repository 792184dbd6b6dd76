// CBaseBuffer, CBaseLock, CAutoBaseLock, CBaseStringA.
#include "Tavo_Common.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace {
// Larger blocks are refused: nothing in the tool keeps more than a few MiB,
// and the limit keeps every size computation far from int overflow.
constexpr int kMaxBufferBytes = 1 << 30;

bool PointsInto(const void* p, const unsigned char* block, int capacity) {
    // Compare as integers: relational comparison of unrelated pointers is unspecified.
    const auto a = reinterpret_cast<uintptr_t>(p);
    const auto b = reinterpret_cast<uintptr_t>(block);
    return block != nullptr && a >= b && a < b + static_cast<uintptr_t>(capacity);
}
}  // namespace

CBaseBuffer::CBaseBuffer() : m_pData(nullptr), m_nSize(0), m_nCapacity(0) {}

CBaseBuffer::~CBaseBuffer() { std::free(m_pData); }

int CBaseBuffer::AppendBuffer(const void* data, int size) {
    if (size < 0 || size > kMaxBufferBytes - m_nSize || (size > 0 && data == nullptr)) return 0;
    if (size == 0) return 1;
    // The source may lie inside our own storage, which a reallocation moves.
    const bool inside = PointsInto(data, m_pData, m_nCapacity);
    if (inside && static_cast<const unsigned char*>(data) + size > m_pData + m_nSize) return 0;
    const ptrdiff_t offset = inside ? static_cast<const unsigned char*>(data) - m_pData : 0;
    const int need = m_nSize + size;
    if (need > m_nCapacity) {
        int capacity = m_nCapacity < 64 ? 64 : m_nCapacity;
        while (capacity < need) capacity = capacity > kMaxBufferBytes / 2 ? kMaxBufferBytes : capacity * 2;
        auto* grown = static_cast<unsigned char*>(std::realloc(m_pData, static_cast<size_t>(capacity)));
        if (grown == nullptr) return 0;
        m_pData = grown;
        m_nCapacity = capacity;
    }
    const void* source = inside ? m_pData + offset : data;
    std::memmove(m_pData + m_nSize, source, static_cast<size_t>(size));
    m_nSize = need;
    return 1;
}

int CBaseBuffer::SetBuffer(const void* data, int size) {
    if (size < 0 || size > kMaxBufferBytes || (size > 0 && data == nullptr)) return 0;
    if (PointsInto(data, m_pData, m_nCapacity)) {
        // Keep the tail of our own content: only bytes we hold may be named.
        const auto* p = static_cast<const unsigned char*>(data);
        if (p + size > m_pData + m_nSize) return 0;
        std::memmove(m_pData, p, static_cast<size_t>(size));
        m_nSize = size;
        return 1;
    }
    m_nSize = 0;
    return AppendBuffer(data, size);
}

unsigned char* CBaseBuffer::GetBuffer() { return m_nSize > 0 ? m_pData : nullptr; }

int CBaseBuffer::GetAvailSize() const { return m_nSize; }

void CBaseBuffer::Delete() {
    std::free(m_pData);
    m_pData = nullptr;
    m_nSize = 0;
    m_nCapacity = 0;
}

// ---------------------------------------------------------------------------

CBaseLock::CBaseLock() : m_pImpl(new (std::nothrow) std::recursive_mutex) {}

CBaseLock::~CBaseLock() { delete static_cast<std::recursive_mutex*>(m_pImpl); }

void CBaseLock::Lock() {
    if (m_pImpl) static_cast<std::recursive_mutex*>(m_pImpl)->lock();
}

void CBaseLock::Unlock() {
    if (m_pImpl) static_cast<std::recursive_mutex*>(m_pImpl)->unlock();
}

CAutoBaseLock::CAutoBaseLock(CBaseLock& lock) : m_pLock(&lock) { m_pLock->Lock(); }

CAutoBaseLock::CAutoBaseLock(CBaseLock* lock) : m_pLock(lock) {
    if (m_pLock) m_pLock->Lock();
}

CAutoBaseLock::~CAutoBaseLock() {
    if (m_pLock) m_pLock->Unlock();
}

// ---------------------------------------------------------------------------

CBaseStringA::CBaseStringA() : m_pText(nullptr), m_nLength(0) {}

CBaseStringA::CBaseStringA(const char* text) : m_pText(nullptr), m_nLength(0) { Set(text, -1); }

CBaseStringA::CBaseStringA(const CBaseStringA& other) : m_pText(nullptr), m_nLength(0) {
    Set(other.m_pText, other.m_nLength);
}

CBaseStringA& CBaseStringA::operator=(const CBaseStringA& other) {
    if (this != &other) Set(other.m_pText, other.m_nLength);
    return *this;
}

CBaseStringA::~CBaseStringA() { delete[] m_pText; }

int CBaseStringA::Set(const char* text, int length) {
    if (text == nullptr) {
        delete[] m_pText;
        m_pText = nullptr;
        m_nLength = 0;
        return 1;
    }
    if (length < -1) return 0;
    size_t n = length == -1 ? std::strlen(text) : static_cast<size_t>(length);
    if (n > static_cast<size_t>(kMaxBufferBytes)) return 0;
    // Copy first: text may point into our own storage.
    char* copy = new (std::nothrow) char[n + 1];
    if (copy == nullptr) return 0;
    std::memcpy(copy, text, n);
    copy[n] = '\0';
    delete[] m_pText;
    m_pText = copy;
    m_nLength = static_cast<int>(n);
    return 1;
}

const char* CBaseStringA::GetString() const { return m_pText ? m_pText : ""; }

int CBaseStringA::GetLength() const { return m_nLength; }

BOOL CBaseStringA::IsEmpty() const { return m_nLength == 0; }

// ---------------------------------------------------------------------------

IThreadFuncInterface::~IThreadFuncInterface() = default;

int IThreadFuncInterface::ThreadFunc() { return 0; }
