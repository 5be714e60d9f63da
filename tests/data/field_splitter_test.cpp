#include "data/import/field_splitter.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The fields of line, read from a buffer where the line is followed by readable bytes
// (tail) that must not matter.
std::vector<std::string> Split(const std::string& line, const std::string& tail = std::string(), char separator = ',')
{
    const std::string buffer = line + tail;
    CFieldSplitter splitter(separator);
    CFieldEdges fields;
    splitter.Split(buffer.data(), buffer.data() + line.size(), buffer.data() + buffer.size(), &fields);
    std::vector<std::string> out;
    for (int i = 0; i < fields.count; ++i)
        out.emplace_back(fields.text + fields.Begin(i), fields.text + fields.End(i));
    return out;
}

bool EndsLine(char c)
{
    return c == '\0' || c == '\r' || c == '\n';
}

// Fields by position, one character at a time: quoted fields as RFC 4180 has them,
// empty fields at the end dropped.
std::vector<std::string> Reference(const std::string& line)
{
    std::vector<std::string> out;
    size_t p = 0;
    for (bool more = true; more;) {
        std::string field;
        if (p < line.size() && line[p] == '"') {
            for (++p; p < line.size() && line[p] != '\0'; ++p) {
                if (line[p] == '"' && (p + 1 == line.size() || line[p + 1] != '"')) {
                    ++p;
                    break;
                }
                p += line[p] == '"';
                field += line[p];
            }
        }
        for (; p < line.size() && line[p] != ',' && !EndsLine(line[p]); ++p)
            field += line[p];
        out.push_back(field);
        more = p < line.size() && !EndsLine(line[p]);
        ++p;
    }
    while (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

TEST(SplitFields, CountsFieldsByPosition)
{
    const struct {
        std::string line;
        std::vector<std::string> fields;
    } cases[] = {
        {"Time,T1,T2,RH\r\n", {"Time", "T1", "T2", "RH"}},
        {"1.5,,2.5\n", {"1.5", "", "2.5"}},
        {",,a,,\r\n", {"", "", "a"}},
        {",,,\r\n", {}},
        {"", {}},
        {"\n", {}},
        {"\"1,5\",\"say \"\"hi\"\"\"\n", {"1,5", "say \"hi\""}},
        {"\"a\nb\",c\n", {"a\nb", "c"}},
        {"5\" pipe,x", {"5\" pipe", "x"}},
        {std::string("a,b\0c,d", 7), {"a", "b"}},
        {"0123456789abcdef,0123456789abcdef", {"0123456789abcdef", "0123456789abcdef"}},
        {std::string(1279, 'x') + "\r\n", {std::string(1279, 'x')}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Split(c.line), c.fields) << c.line;
    EXPECT_EQ(Split("21,5;\"x;y\";;3\n", "", ';'), (std::vector<std::string>{"21,5", "x;y", "", "3"}));
}

TEST(SplitFields, AgreesWithTheReferenceOnRandomLines)
{
    const char alphabet[] = "ab,,\r\n\0 .\"";
    uint64_t state = 99;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        std::string line(static_cast<size_t>((state >> 33) % 200), ' ');
        // Quotes (the alphabet's last letter) in one line of four, so most lines take
        // the unquoted path.
        const size_t letters = sizeof alphabet - (i % 4 == 0 ? 1 : 2);
        for (char& c : line) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            c = alphabet[(state >> 33) % letters];
        }
        // The bytes after a line in the reader's buffer: the next line, or anything.
        const std::string tail = line.substr(line.size() / 2) + std::string(64, 'x');
        ASSERT_EQ(Split(line), Reference(line)) << "line #" << i;
        ASSERT_EQ(Split(line, tail), Reference(line)) << "line #" << i << " followed by more";
    }
    // The densest line a piece can be: every byte a separator but the last.
    const std::string dense = std::string(kLineBuffer - 1, ',') + "1";
    EXPECT_EQ(Split(dense).size(), static_cast<size_t>(kLineBuffer));
}

}  // namespace
