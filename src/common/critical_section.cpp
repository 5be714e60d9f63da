#include "common/critical_section.h"

#include <mutex>

namespace COMMON_EX {

namespace {
std::recursive_mutex* AsMutex(void* p)
{
    return static_cast<std::recursive_mutex*>(p);
}
}  // namespace

CCMNEXCriticalSection::CCMNEXCriticalSection()
    : m_pMutex(new std::recursive_mutex)
{
}

CCMNEXCriticalSection::~CCMNEXCriticalSection()
{
    delete AsMutex(m_pMutex);
}

void CCMNEXCriticalSection::Lock()
{
    AsMutex(m_pMutex)->lock();
}

void CCMNEXCriticalSection::Unlock()
{
    AsMutex(m_pMutex)->unlock();
}

}  // namespace COMMON_EX
