// The import's reading thread: lines in file order across blocks, what it leaves to
// the worker, and its end when the worker stops taking blocks.
#include "data/parsed_lines.h"
#include "support/temp_dir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Line {
    int readings;
    std::string text;
    std::vector<double> values;
    uint64_t fileEnd;
};

std::vector<Line> AllLines(CParsedLines& lines)
{
    std::vector<Line> out;
    while (const CParsedBlock* block = lines.Next()) {
        EXPECT_LE(block->lines.size(), static_cast<size_t>(CParsedBlock::kLines));
        for (size_t i = 0; i < block->lines.size(); ++i) {
            const CParsedLine& line = block->lines[i];
            Line copy{line.readings, std::string(block->Text(line), line.textLength), {}, line.fileEnd};
            for (int c = 0; c < line.readings; ++c)
                copy.values.push_back(block->Channel(c)[i]);
            out.push_back(copy);
        }
    }
    return out;
}

TEST(ParsedLines, LinesComeInFileOrderAcrossBlocks)
{
    // Lines before the header name nothing: a blank one and one holding only the label
    // column. Then rows of every shape, for several blocks.
    std::string csv = "\nTime\nTime,A,B\n";
    std::vector<Line> expected = {{CParsedLine::kHeader, "\n", {}, 1},
                                  {CParsedLine::kHeader, "Time\n", {}, 6},
                                  {CParsedLine::kHeader, "Time,A,B\n", {}, 15}};
    for (int r = 0; r < 3 * CParsedBlock::kLines + 7; ++r) {
        const std::string label = "L" + std::to_string(r);
        const double a = r + 0.25, b = -r - 0.5;
        std::string row;
        Line line{2, label, {a, b}, 0};
        switch (r % 4) {
        case 0: row = label + "," + std::to_string(a) + "," + std::to_string(b) + "\n"; break;
        case 1: row = label + "," + std::to_string(a) + "\n"; line.values = {a}; line.readings = 1; break;
        case 2: row = label + "," + std::to_string(a) + "," + std::to_string(b) + ",99\r\n"; break;
        default: row = ",,\n"; line = Line{0, "", {}, 0}; break;  // no field at all: no label either
        }
        csv += row;
        line.fileEnd = expected.back().fileEnd + row.size();
        expected.push_back(line);
    }
    TempDir dir;
    CParsedLines lines(dir.Write("rows.csv", csv).c_str(), 0);
    ASSERT_TRUE(lines.Opened());
    const std::vector<Line> got = AllLines(lines);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].readings, expected[i].readings) << "line " << i;
        EXPECT_EQ(got[i].text, expected[i].text) << "line " << i;
        EXPECT_EQ(got[i].values, expected[i].values) << "line " << i;
        EXPECT_EQ(got[i].fileEnd, expected[i].fileEnd) << "line " << i;
    }
    EXPECT_EQ(lines.Next(), nullptr);
}

TEST(ParsedLines, RangeOfARowKeepsTheFirstOfEqualReadings)
{
    TempDir dir;
    CParsedLines lines(dir.Write("zeros.csv", "T,A,B,C\nL,-0,0,nan\nL,0,-0\nL,nan\n").c_str(), 0);
    const CParsedBlock* block = lines.Next();
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->lines.size(), 4u);
    EXPECT_TRUE(std::signbit(block->lines[1].low) && std::signbit(block->lines[1].high));
    EXPECT_FALSE(std::signbit(block->lines[2].low) || std::signbit(block->lines[2].high));
    EXPECT_EQ(block->lines[3].low, HUGE_VAL);  // no reading that is a number
    EXPECT_EQ(block->lines[3].high, -HUGE_VAL);
}

TEST(ParsedLines, EndsWhenTheWorkerStopsTakingBlocks)
{
    // The reading thread has filled every block and waits for a free one: destruction
    // must end it all the same.
    std::string csv = "Time,A\n";
    for (int r = 0; r < 20 * CParsedBlock::kLines; ++r)
        csv += "L," + std::to_string(r) + "\n";
    TempDir dir;
    const std::string path = dir.Write("many.csv", csv);
    {
        CParsedLines lines(path.c_str(), 0);
        ASSERT_NE(lines.Next(), nullptr);
    }
    {
        CParsedLines untouched(path.c_str(), 0);
    }
    CParsedLines missing(dir.Path("missing.csv").c_str(), 0);
    EXPECT_FALSE(missing.Opened());
    EXPECT_EQ(missing.Next(), nullptr);
}

}  // namespace
