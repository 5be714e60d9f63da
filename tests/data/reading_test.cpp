#include "data/import/reading.h"
#include "data/import/row_conversion.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <cstring>
#include <gtest/gtest.h>
#include <locale.h>
#include <limits>
#include <vector>

namespace {

double Read(const char* text)
{
    return ParseReading(text, text + std::strlen(text));
}

// Equal, or both not a number.
bool Same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

TEST(ParseReading, FollowsAtofOnEveryFormAndMissesWithoutANumber)
{
    const double missing = NAN;
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"21.5", 21.5},       {" 3.25", 3.25},     {"\t-7", -7.0},      {"+1.5", 1.5},     {"abc", missing},
        {"", missing},        {"12abc", 12.0},     {"1e3", 1000.0},     {"1e", 1.0},       {"1e+", 1.0},
        {".5", 0.5},          {"-.5", -0.5},       {".", missing},      {"-", missing},    {"+-5", missing},
        {"0x10", 16.0},       {"-0x1p3", -8.0},    {"0x", 0.0},         {"1.5.2", 1.5},    {"----", missing},
        {"007", 7.0},         {"1e-400", 0.0},     {"2.5E2x", 250.0},   {"0.1", 0.1},      {"1 2", 1.0},
        {"OVER", missing},    {"ERR", missing},    {" ", missing},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Same(Read(c.text), c.expected)) << "input \"" << c.text << "\" read " << Read(c.text);
    // A decimal comma: the comma is the mark, a point ends the number.
    const struct {
        const char* text;
        double expected;
    } commas[] = {{"21,5", 21.5}, {"-0,25", -0.25}, {"1,5e2", 150.0}, {"1.234,5", 1.0}, {",", missing}, {"12345678,9", 12345678.9}};
    for (const auto& c : commas) {
        double fast = -1.0;
        const char* end = c.text + std::strlen(c.text);
        const bool short_ = ParseShortReading(c.text, end, end, &fast, ',');
        EXPECT_TRUE(Same(ParseReading(c.text, end, ','), c.expected)) << c.text;
        EXPECT_TRUE(!short_ || fast == c.expected) << c.text;
    }
}

TEST(ParseReading, InfinitiesAndNotANumber)
{
    EXPECT_EQ(Read("inf"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Read("-Infinity"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Read("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Read("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(Read("nan")));
    EXPECT_TRUE(std::isnan(Read(" NaN(123)")));
}

TEST(ParseReading, MatchesStrtodBitForBit)
{
    const char* texts[] = {"0.30000000000000004", "123456789012345678901234567890", "2.2250738585072011e-308",
                           "4.9e-324", "1.7976931348623157e308", "9007199254740993", "-0.0"};
    for (const char* text : texts) {
        const double expected = std::strtod(text, nullptr);
        const double got = Read(text);
        EXPECT_EQ(std::memcmp(&expected, &got, sizeof(double)), 0) << text;
    }
}

TEST(ParseReading, IgnoresTheProcessLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    EXPECT_EQ(Read("0x1.8p1"), 3.0);
    EXPECT_EQ(Read("2.5"), 2.5);
    EXPECT_EQ(Read("2,5"), 2.0);
    std::setlocale(LC_NUMERIC, previous.c_str());
}

}  // namespace

namespace {

// Random fields over the characters that readings are made of, within a line that
// goes on after them: the fast path and the full reader together agree bit for bit
// with strtod in the "C" locale.
TEST(ParseShortReading, AgreesWithStrtodOnRandomFields)
{
    const char alphabet[] = "0123456789012345678901234567890123456789..--++eExX a";
    const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    uint64_t state = 12345;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>(state >> 33);
    };
    for (int i = 0; i < 300000; ++i) {
        char line[40] = {};
        const int length = 1 + static_cast<int>(next() % 12);
        for (int k = 0; k < length; ++k)
            line[k] = alphabet[next() % (sizeof alphabet - 1)];
        char* stop = nullptr;
        const double number = strtod_l(line, &stop, cLocale);
        const double expected = stop == line ? NAN : number;  // no number: a missing reading
        // The line either ends with the field, goes on with more fields, or the reader's
        // buffer holds anything after it.
        const int tail = static_cast<int>(next() % 3) * 5;
        std::memcpy(line + length, ",7.5\n", static_cast<size_t>(tail % 10));
        if (tail == 10) {
            for (int k = length; k < static_cast<int>(sizeof line); ++k)
                line[k] = alphabet[next() % (sizeof alphabet - 1)];
        }
        const char* limit = tail == 10 ? line + sizeof line : line + length + tail;
        double got = -12345.0;
        if (!ParseShortReading(line, line + length, limit, &got))
            got = ParseReading(line, line + length);
        ASSERT_TRUE(std::memcmp(&got, &expected, sizeof got) == 0 || (std::isnan(got) && std::isnan(expected)))
            << "\"" << std::string(line, static_cast<size_t>(length)) << "\" read " << got << ", not " << expected;
    }
    freelocale(cLocale);
}

}  // namespace

namespace {

// Rows of random fields, each reading compared with strtod in the "C" locale: the row
// conversion agrees with it bit for bit, whether the bytes after the row may be read
// or the buffer ends with it.
TEST(ConvertRowFields, AgreesWithStrtodOnRandomRows)
{
    const char alphabet[] = "0123456789012345678901234567890123456789..--++eExX a";
    const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    uint64_t state = 777;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>(state >> 33);
    };
    for (int row = 0; row < 30000; ++row) {
        const int count = 1 + static_cast<int>(next() % 18);
        std::string line;
        std::vector<std::string> fields;
        std::vector<double> expected;
        std::vector<int> columns;
        for (int i = 0; i < count; ++i) {
            std::string field;
            const int length = 1 + static_cast<int>(next() % 11);
            for (int k = 0; k < length; ++k)
                field += alphabet[next() % (sizeof alphabet - 1)];
            line += field + ",";
            fields.push_back(field);
            char* stop = nullptr;
            const double value = strtod_l(field.c_str(), &stop, cLocale);
            expected.push_back(stop == field.c_str() ? NAN : value);
            columns.push_back(i);
        }
        columns.push_back(count);  // a field the row lacks
        expected.push_back(NAN);
        const bool tight = next() % 2 == 0;  // the buffer ends right after the last field
        std::vector<char> buffer(line.begin(), line.end() - (tight ? 1 : 0));
        if (!tight)
            buffer.insert(buffer.end(), 16, '7');
        CFieldEdges edges;
        CFieldSplitter().Split(buffer.data(), buffer.data() + line.size() - 1, buffer.data() + buffer.size(), &edges);
        std::vector<double> got(columns.size(), -12345.0);
        ConvertRowFields(edges, columns.data(), count + 1, '.', got.data());
        for (size_t i = 0; i < columns.size(); ++i) {
            const std::string field = i < fields.size() ? fields[i] : "(none)";
            ASSERT_TRUE(std::memcmp(&got[i], &expected[i], sizeof(double)) == 0 || (std::isnan(got[i]) && std::isnan(expected[i])))
                << "\"" << field << "\" read " << got[i] << ", not " << expected[i];
        }
    }
    freelocale(cLocale);
}

}  // namespace
