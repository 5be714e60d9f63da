#include "data/import/line_reader.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Pieces(const std::string& bytes)
{
    TempDir dir;
    CLineReader reader;
    EXPECT_TRUE(reader.Open(CByteSource::File(dir.Write("lines.csv", bytes).c_str())));
    std::vector<std::string> pieces;
    const char* begin;
    const char* end;
    while (reader.Next(begin, end))
        pieces.emplace_back(begin, end);
    EXPECT_EQ(reader.Consumed(), bytes.size());
    return pieces;
}

TEST(LineReader, CutsLinesAsTextModeFgetsWould)
{
    const std::string x1278(1278, 'x'), x1279(1279, 'x'), x1280(1280, 'x'), x3000(3000, 'x');
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> pieces;
    } cases[] = {
        {"short lines", "a,b\nc\n", {"a,b\n", "c\n"}},
        {"last line without newline", "a\nb", {"a\n", "b"}},
        {"blank lines", "\n\n", {"\n", "\n"}},
        {"1278 characters and the line feed fit", x1278 + "\n", {x1278 + "\n"}},
        {"1278 characters and CRLF fit", x1278 + "\r\n", {x1278 + "\r\n"}},
        {"1279 characters leave the line feed over", x1279 + "\n", {x1279, "\n"}},
        {"1279 characters leave CRLF over", x1279 + "\r\n", {x1279, "\r\n"}},
        {"1280 characters", x1280 + "\n", {x1279, "x\n"}},
        {"3000 characters", x3000 + "\n", {x1279, x1279, std::string(442, 'x') + "\n"}},
        {"lone carriage return stays", "a\rb\n", {"a\rb\n"}},
        {"byte-order mark dropped", "\xEF\xBB\xBFTime,A\n", {"Time,A\n"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Pieces(c.bytes), c.pieces) << c.name;
}

TEST(LineReader, LinesAcrossBlockBoundaries)
{
    // 5 MiB of lines of varying length: every piece must come back whole and in order.
    std::string bytes;
    std::vector<std::string> expected;
    for (int i = 0; bytes.size() < (5u << 20); ++i) {
        std::string line = std::to_string(i) + "," + std::string(static_cast<size_t>(i % 97), 'v') + "\n";
        bytes += line;
        expected.push_back(line);
    }
    EXPECT_EQ(Pieces(bytes), expected);
}

TEST(LineReader, MissingFileDoesNotOpen)
{
    CLineReader reader;
    EXPECT_FALSE(reader.Open(CByteSource::File("/nonexistent/dir/file.csv")));
    const char* begin;
    const char* end;
    EXPECT_FALSE(reader.Next(begin, end));
}

}  // namespace
