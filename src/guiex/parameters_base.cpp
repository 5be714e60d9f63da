#include "guiex/parameters_base.h"

#include "guiex/guiex_dc.h"

#include <algorithm>

CParametersBase* CParametersBase::GetInstance()
{
    static CParametersBase instance;
    return &instance;
}

int CParametersBase::PercentageForDpi(int dpi)
{
    return static_cast<int>(std::max(1.0, dpi / 96.0) * 100);
}

int CParametersBase::FitPercentage(int percentage, const QSize& window, const QSize& frame, const QSize& area)
{
    const auto scaled = [](int v, int p) { return static_cast<long long>(v) * p / 100; };
    int p = std::max(100, percentage);
    while (p > 100 && (scaled(window.width(), p) + frame.width() > area.width() ||
                       scaled(window.height(), p) + frame.height() > area.height()))
        --p;
    return p;
}

void CParametersBase::ComputeFromDesktop()
{
    int x = 96;
    int y = 96;
    COM_GUI_EX::CGUIEXDC::GetDesktopDpi(&x, &y);
    SetPercentage(PercentageForDpi(x));
}

void CParametersBase::SetPercentage(int percentage)
{
    m_nPercentage.store(std::max(100, percentage), std::memory_order_relaxed);
}

int CParametersBase::Scale(int v) const
{
    return static_cast<int>(static_cast<long long>(v) * GetPercentage() / 100);
}
