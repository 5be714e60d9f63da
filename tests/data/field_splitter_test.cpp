#include "data/import/field_splitter.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The fields of line, read from a buffer where the line is followed by readable bytes
// (tail) that must not matter.
std::vector<std::string> Split(const std::string& line, const std::string& tail = std::string())
{
    const std::string buffer = line + tail;
    CFieldEdges fields;
    SplitFields(buffer.data(), buffer.data() + line.size(), buffer.data() + buffer.size(), &fields);
    std::vector<std::string> out;
    for (int i = 0; i < fields.count; ++i)
        out.emplace_back(buffer.data() + fields.Begin(i), buffer.data() + fields.End(i));
    return out;
}

// What strtok with ",\r\n" gives on the line as a C string.
std::vector<std::string> Reference(const std::string& line)
{
    std::vector<std::string> out;
    std::string field;
    for (char c : line) {
        if (c == '\0')
            break;
        if (c == ',' || c == '\r' || c == '\n') {
            if (!field.empty())
                out.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty())
        out.push_back(field);
    return out;
}

TEST(SplitFields, SeparatorRunsCountAsOne)
{
    const struct {
        std::string line;
        std::vector<std::string> fields;
    } cases[] = {
        {"Time,T1,T2,RH\r\n", {"Time", "T1", "T2", "RH"}},
        {"1.5,,2.5\n", {"1.5", "2.5"}},
        {",,a,,\r\n", {"a"}},
        {"", {}},
        {"\n", {}},
        {"\"1,5\"", {"\"1", "5\""}},
        {std::string("a,b\0c,d", 7), {"a", "b"}},
        {"0123456789abcdef,0123456789abcdef", {"0123456789abcdef", "0123456789abcdef"}},
        {std::string(1279, 'x') + "\r\n", {std::string(1279, 'x')}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Split(c.line), c.fields) << c.line;
}

TEST(SplitFields, AgreesWithStrtokOnRandomLines)
{
    const char alphabet[] = "ab,,\r\n\0 .";
    uint64_t state = 99;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        std::string line(static_cast<size_t>((state >> 33) % 200), ' ');
        for (char& c : line) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            c = alphabet[(state >> 33) % (sizeof alphabet - 1)];
        }
        // The bytes after a line in the reader's buffer: the next line, or anything.
        const std::string tail = line.substr(line.size() / 2) + std::string(64, 'x');
        ASSERT_EQ(Split(line), Reference(line)) << "line #" << i;
        ASSERT_EQ(Split(line, tail), Reference(line)) << "line #" << i << " followed by more";
    }
    // The densest line a piece can be: every other byte a separator.
    std::string dense;
    while (dense.size() < static_cast<size_t>(kMaxLineBytes))
        dense += "1,";
    EXPECT_EQ(Split(dense).size(), static_cast<size_t>(kMaxFields));
}

}  // namespace
