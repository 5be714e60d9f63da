#pragma once

#include "common/critical_section.h"

namespace COMMON_EX {

// A doubly linked list of element pointers. The list never creates or deletes the
// elements; owners delete them before they clear or destroy the list.
//
// Every change (AddTail, RemoveAll, releasing spare nodes) runs under the list's
// own lock. Reading does not: owners walk the nodes from GetHead() along pNext
// and read pElement directly.
//
// RemoveAll keeps up to kMaxSpareNodes released nodes on a spare list instead of
// freeing them all. AddTail always allocates a fresh node; the spare nodes are
// only freed, at the latest when the list is destroyed.
template <class T>
class CMNEXList {
public:
    struct Node {
        Node* pPrev;
        Node* pNext;
        T* pElement;
    };

    static constexpr int kMaxSpareNodes = 10;

    CMNEXList()
        : m_pHead(nullptr), m_pTail(nullptr), m_nCount(0),
          m_pSpareHead(nullptr), m_pSpareTail(nullptr), m_nSpareCount(0),
          m_pLock(new CCMNEXCriticalSection)
    {
    }

    virtual ~CMNEXList()
    {
        RemoveAll();
        m_pLock->Lock();
        while (m_pSpareHead != nullptr) {
            Node* pNext = m_pSpareHead->pNext;
            delete m_pSpareHead;
            m_pSpareHead = pNext;
        }
        m_pSpareTail = nullptr;
        m_nSpareCount = 0;
        m_pLock->Unlock();
        delete m_pLock;
    }

    CMNEXList(const CMNEXList&) = delete;
    CMNEXList& operator=(const CMNEXList&) = delete;

    // Links the element after the last node. The node is allocated before the
    // lock is taken, so an allocation failure leaves the list unchanged.
    void AddTail(T* pElement)
    {
        Node* pNode = new Node{nullptr, nullptr, pElement};
        m_pLock->Lock();
        if (m_pTail == nullptr) {
            m_pHead = pNode;
        } else {
            pNode->pPrev = m_pTail;
            m_pTail->pNext = pNode;
        }
        m_pTail = pNode;
        ++m_nCount;
        m_pLock->Unlock();
    }

    // Empties the list. The nodes are moved, from the tail toward the head, to the
    // front of the spare list; whenever that holds more than kMaxSpareNodes the
    // oldest spare is freed. A long list therefore leaves behind the spare nodes
    // that were nearest its head, the first of them at the spare head.
    void RemoveAll()
    {
        m_pLock->Lock();
        Node* pNode = m_pTail;
        while (pNode != nullptr) {
            Node* pPrev = pNode->pPrev;
            pNode->pPrev = nullptr;
            pNode->pNext = m_pSpareHead;
            if (m_pSpareHead != nullptr)
                m_pSpareHead->pPrev = pNode;
            else
                m_pSpareTail = pNode;
            m_pSpareHead = pNode;
            ++m_nSpareCount;
            if (m_nSpareCount > kMaxSpareNodes)
                FreeSpareTail();
            pNode = pPrev;
        }
        m_pHead = nullptr;
        m_pTail = nullptr;
        m_nCount = 0;
        m_pLock->Unlock();
    }

    Node* GetHead() const { return m_pHead; }
    Node* GetTail() const { return m_pTail; }
    int GetCount() const { return m_nCount; }

    // The spare list, newest first (linked by pPrev/pNext like the list itself).
    const Node* GetSpareHead() const { return m_pSpareHead; }
    const Node* GetSpareTail() const { return m_pSpareTail; }
    int GetSpareCount() const { return m_nSpareCount; }

private:
    // Called with the lock held and at least one spare node present.
    void FreeSpareTail()
    {
        Node* pOldest = m_pSpareTail;
        m_pSpareTail = pOldest->pPrev;
        if (m_pSpareTail != nullptr)
            m_pSpareTail->pNext = nullptr;
        else
            m_pSpareHead = nullptr;
        delete pOldest;
        --m_nSpareCount;
    }

    Node* m_pHead;
    Node* m_pTail;
    int m_nCount;
    Node* m_pSpareHead;
    Node* m_pSpareTail;
    int m_nSpareCount;
    CCMNEXCriticalSection* m_pLock;
};

}  // namespace COMMON_EX
