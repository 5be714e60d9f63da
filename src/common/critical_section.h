#pragma once

namespace COMMON_EX {

// A lock the same thread may take again while it holds it. The mutex lives on the
// heap and is owned by the object, so the header pulls in no threading headers.
class CCMNEXCriticalSection {
public:
    CCMNEXCriticalSection();
    virtual ~CCMNEXCriticalSection();

    CCMNEXCriticalSection(const CCMNEXCriticalSection&) = delete;
    CCMNEXCriticalSection& operator=(const CCMNEXCriticalSection&) = delete;

    virtual void Lock();
    virtual void Unlock();

private:
    void* m_pMutex;  // std::recursive_mutex*
};

}  // namespace COMMON_EX
