#include "guiex/parameters_base.h"

#include <gtest/gtest.h>

namespace {

TEST(CParametersBase, PercentageFromResolution)
{
    const struct {
        int dpi, percentage;
    } cases[] = {{96, 100}, {72, 100}, {100, 104}, {120, 125}, {144, 150}, {192, 200}, {97, 101}};
    for (const auto& c : cases)
        EXPECT_EQ(CParametersBase::PercentageForDpi(c.dpi), c.percentage) << c.dpi << " dpi";
}

TEST(CParametersBase, ScalesEachLengthTruncatingTowardZero)
{
    CParametersBase* scaling = CParametersBase::GetInstance();
    scaling->SetPercentage(90);
    EXPECT_EQ(scaling->GetPercentage(), 100);
    scaling->SetPercentage(125);
    EXPECT_EQ(S(30), 37);
    EXPECT_EQ(35 * S(30), 1295);  // each constant is scaled on its own
    EXPECT_EQ(S(1), 1);
    EXPECT_EQ(S(-3), -3);
    scaling->SetPercentage(150);
    EXPECT_EQ(S(-3), -4);
    EXPECT_EQ(S(22), 33);
    scaling->SetPercentage(100);
}

// Lowered until the window with its frame fits the available area, never below 100.
TEST(CParametersBase, LoweredUntilTheWindowFits)
{
    const struct {
        int percentage;
        QSize frame, area;
        int fitted;
    } cases[] = {
        {150, {24, 72}, {1366, 768}, 102},   // 678 × 1.02 + 72 = 763; the height decides
        {200, {32, 96}, {1920, 1040}, 139},  // 1920 × 1080 with a panel: 678 × 1.39 + 96 = 1038
        {125, {20, 60}, {2560, 1400}, 125},  // fits as it is
        {150, {24, 72}, {800, 600}, 100},    // fits at no percentage
    };
    for (const auto& c : cases)
        EXPECT_EQ(CParametersBase::FitPercentage(c.percentage, QSize(1200, 678), c.frame, c.area), c.fitted)
            << c.percentage << " % on " << c.area.width() << "x" << c.area.height();
}

}  // namespace
