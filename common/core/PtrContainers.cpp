// CPtrArrayCtrl and CPtrListCtrl: containers of borrowed pointers.
#include "Tavo_Common.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr int kMaxEntries = 1 << 27;  // keeps byte counts within size_t on any target
}

CPtrArrayCtrl::CPtrArrayCtrl() : m_pItems(nullptr), m_nCount(0), m_nCapacity(0) {}

CPtrArrayCtrl::~CPtrArrayCtrl() { std::free(m_pItems); }

int CPtrArrayCtrl::AddData(void* p, int index) {
    if (m_nCount >= kMaxEntries) return -1;
    if (m_nCount == m_nCapacity) {
        const int capacity = m_nCapacity < 16 ? 16 : m_nCapacity * 2;
        auto* grown = static_cast<void**>(std::realloc(m_pItems, sizeof(void*) * static_cast<size_t>(capacity)));
        if (grown == nullptr) return -1;
        m_pItems = grown;
        m_nCapacity = capacity;
    }
    if (index < 0 || index > m_nCount) index = m_nCount;
    std::memmove(m_pItems + index + 1, m_pItems + index, sizeof(void*) * static_cast<size_t>(m_nCount - index));
    m_pItems[index] = p;
    ++m_nCount;
    return index;
}

int CPtrArrayCtrl::GetCount() const { return m_nCount; }

void* CPtrArrayCtrl::GetAt(int index) const { return index >= 0 && index < m_nCount ? m_pItems[index] : nullptr; }

int CPtrArrayCtrl::RemoveAt(int index, int count) {
    if (index < 0 || index >= m_nCount || count <= 0) return 0;
    if (count > m_nCount - index) count = m_nCount - index;
    std::memmove(m_pItems + index, m_pItems + index + count,
                 sizeof(void*) * static_cast<size_t>(m_nCount - index - count));
    m_nCount -= count;
    return count;
}

void CPtrArrayCtrl::RemoveAll() { m_nCount = 0; }

// ---------------------------------------------------------------------------

struct CPtrListCtrl::Node {
    void* p;
    Node* prev;
    Node* next;
};

CPtrListCtrl::CPtrListCtrl() : m_pHead(nullptr), m_pTail(nullptr), m_nCount(0) {}

CPtrListCtrl::~CPtrListCtrl() { CPtrListCtrl::RemoveAll(); }

int CPtrListCtrl::AddData(void* p, int index) {
    if (m_nCount >= kMaxEntries) return -1;
    Node* node = new (std::nothrow) Node{p, nullptr, nullptr};
    if (node == nullptr) return -1;
    if (index < 0 || index >= m_nCount) {
        index = m_nCount;
        node->prev = m_pTail;
        if (m_pTail)
            m_pTail->next = node;
        else
            m_pHead = node;
        m_pTail = node;
    } else {
        Node* at = m_pHead;
        for (int i = 0; i < index; ++i) at = at->next;
        node->next = at;
        node->prev = at->prev;
        if (at->prev)
            at->prev->next = node;
        else
            m_pHead = node;
        at->prev = node;
    }
    ++m_nCount;
    return index;
}

int CPtrListCtrl::GetCount() const { return m_nCount; }

void* CPtrListCtrl::GetAt(int index) const {
    if (index < 0 || index >= m_nCount) return nullptr;
    const Node* at = m_pHead;
    for (int i = 0; i < index; ++i) at = at->next;
    return at->p;
}

int CPtrListCtrl::RemoveAt(int index, int count) {
    if (index < 0 || index >= m_nCount || count <= 0) return 0;
    Node* at = m_pHead;
    for (int i = 0; i < index; ++i) at = at->next;
    int removed = 0;
    while (at != nullptr && removed < count) {
        Node* next = at->next;
        if (at->prev)
            at->prev->next = next;
        else
            m_pHead = next;
        if (next)
            next->prev = at->prev;
        else
            m_pTail = at->prev;
        delete at;
        at = next;
        ++removed;
    }
    m_nCount -= removed;
    return removed;
}

void CPtrListCtrl::RemoveAll() {
    Node* at = m_pHead;
    while (at) {
        Node* next = at->next;
        delete at;
        at = next;
    }
    m_pHead = m_pTail = nullptr;
    m_nCount = 0;
}
