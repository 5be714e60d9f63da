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

}  // namespace
