#include "guiex/parameters_base.h"

#include <algorithm>

CParametersBase* CParametersBase::GetInstance()
{
    static CParametersBase instance;
    return &instance;
}

void CParametersBase::SetPercentage(int percentage)
{
    m_nPercentage.store(std::max(100, percentage), std::memory_order_relaxed);
}

int CParametersBase::Scale(int v) const
{
    return static_cast<int>(static_cast<long long>(v) * GetPercentage() / 100);
}
