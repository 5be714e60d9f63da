#pragma once

// Display scaling: every pixel length of the layouts passes through S(v).
// The percentage is set once at start-up from the desktop's resolution (never below
// 100), lowered where the main window would not fit the screen, and read from any
// thread.
#include <QSize>
#include <atomic>

class CParametersBase {
public:
    static CParametersBase* GetInstance();

    // trunc(max(1, dpi / 96) × 100): 96 dpi is 100 %, 144 dpi is 150 %.
    static int PercentageForDpi(int dpi);
    // The largest percentage from `percentage` down to 100 at which a window of
    // `window` unscaled pixels, with `frame` pixels of decoration that the percentage
    // does not scale, fits into `area`; 100 when none does.
    static int FitPercentage(int percentage, const QSize& window, const QSize& frame, const QSize& area);
    // Sets the percentage from the primary screen's horizontal resolution.
    void ComputeFromDesktop();
    // Stores the percentage, raised to 100 when lower.
    void SetPercentage(int percentage);
    int GetPercentage() const { return m_nPercentage.load(std::memory_order_relaxed); }

    // v × percentage / 100 in integer arithmetic, truncating toward zero.
    int Scale(int v) const;

private:
    std::atomic<int> m_nPercentage{100};
};

// The scaled value of v pixels.
inline int S(int v)
{
    return CParametersBase::GetInstance()->Scale(v);
}
