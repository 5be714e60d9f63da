#include "common/decimal.h"

#include <climits>
#include <gtest/gtest.h>
#include <utility>

TEST(DecimalToInt, AtoiRulesWithoutOverflow)
{
    const std::pair<const char*, int> cases[] = {
        {"abc", 0}, {" -12x", -12}, {"", 0}, {"\t+7", 7}, {"12 34", 12}, {"- 5", 0}, {"\n\v\f\r 3", 3},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(DecimalToInt(text), value) << '"' << text << '"';
    EXPECT_EQ(DecimalToInt(nullptr), 0);
}
