// The import's read-ahead thread: lines in file order across blocks, what it leaves to
// the import, and its end when the import stops taking blocks.
#include "data/import/read_ahead.h"
#include "support/temp_dir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Line {
    CBlockLine::Kind kind;
    std::string text;
    std::vector<double> values;  // NaN as -1e300, so that vectors compare
    uint64_t fileEnd;
};

// The read-ahead thread on the file; null when the file does not open.
std::unique_ptr<CReadAhead> ReadAhead(const std::string& path, int timeColumn)
{
    CLineRules rules;
    rules.timeColumn = timeColumn;
    auto filler = std::make_unique<CBlockFiller>(rules);
    if (!filler->Reader().Open(CByteSource::File(path.c_str())))
        return nullptr;
    return std::make_unique<CReadAhead>(std::move(filler), nullptr);
}

std::vector<Line> AllLines(CReadAhead& lines, int channels)
{
    std::vector<Line> out;
    while (const CLineBlock* block = lines.Next()) {
        EXPECT_LE(block->lines.size(), static_cast<size_t>(CLineBlock::kLines));
        for (size_t i = 0; i < block->lines.size(); ++i) {
            const CBlockLine& line = block->lines[i];
            Line copy{line.kind, std::string(block->Text(line), line.textLength), {}, line.fileEnd};
            for (int c = 0; line.kind == CBlockLine::kData && c < channels; ++c)
                copy.values.push_back(std::isnan(block->Channel(c)[i]) ? -1e300 : block->Channel(c)[i]);
            out.push_back(copy);
        }
    }
    return out;
}

TEST(ReadAhead, LinesComeInFileOrderAcrossBlocks)
{
    // Lines before the header name nothing: a blank one and one holding only the label
    // column. Then rows of every shape, for several blocks.
    std::string csv = "\nTime\nTime,A,B\n";
    std::vector<Line> expected = {{CBlockLine::kBeforeHeader, "\n", {}, 1},
                                  {CBlockLine::kBeforeHeader, "Time\n", {}, 6},
                                  {CBlockLine::kHeader, "Time,A,B\n", {}, 15}};
    for (int r = 0; r < 3 * CLineBlock::kLines + 7; ++r) {
        const std::string label = "L" + std::to_string(r);
        const double a = r + 0.25, b = -r - 0.5;
        std::string row;
        Line line{CBlockLine::kData, label, {a, b}, 0};
        switch (r % 4) {
        case 0: row = label + "," + std::to_string(a) + "," + std::to_string(b) + "\n"; break;
        case 1: row = label + "," + std::to_string(a) + "\n"; line.values = {a, -1e300}; break;  // a short row
        case 2: row = label + "," + std::to_string(a) + "," + std::to_string(b) + ",99\r\n"; break;
        default: row = ",,\n"; line = Line{CBlockLine::kSkipped, "", {}, 0}; break;  // blank: no data row
        }
        csv += row;
        line.fileEnd = expected.back().fileEnd + row.size();
        expected.push_back(line);
    }
    TempDir dir;
    const std::unique_ptr<CReadAhead> lines = ReadAhead(dir.Write("rows.csv", csv), 0);
    ASSERT_NE(lines, nullptr);
    const std::vector<Line> got = AllLines(*lines, 2);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].kind, expected[i].kind) << "line " << i;
        EXPECT_EQ(got[i].text, expected[i].text) << "line " << i;
        EXPECT_EQ(got[i].values, expected[i].values) << "line " << i;
        EXPECT_EQ(got[i].fileEnd, expected[i].fileEnd) << "line " << i;
    }
    EXPECT_EQ(lines->Next(), nullptr);
}

TEST(ReadAhead, RangeOfARowKeepsTheFirstOfEqualReadings)
{
    TempDir dir;
    const std::unique_ptr<CReadAhead> lines = ReadAhead(dir.Write("zeros.csv", "T,A,B,C\nL,-0,0,nan\nL,0,-0\nL,nan\n"), 0);
    ASSERT_NE(lines, nullptr);
    const CLineBlock* block = lines->Next();
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->lines.size(), 4u);
    EXPECT_TRUE(std::signbit(block->lines[1].low) && std::signbit(block->lines[1].high));
    EXPECT_FALSE(std::signbit(block->lines[2].low) || std::signbit(block->lines[2].high));
    EXPECT_EQ(block->lines[3].low, HUGE_VAL);  // no reading that is a number
    EXPECT_EQ(block->lines[3].high, -HUGE_VAL);
}

TEST(ReadAhead, EndsWhenTheImportStopsTakingBlocks)
{
    // The read-ahead thread has filled every block and waits for a free one: destruction
    // must end it all the same.
    std::string csv = "Time,A\n";
    for (int r = 0; r < 20 * CLineBlock::kLines; ++r)
        csv += "L," + std::to_string(r) + "\n";
    TempDir dir;
    const std::string path = dir.Write("many.csv", csv);
    {
        const std::unique_ptr<CReadAhead> lines = ReadAhead(path, 0);
        ASSERT_NE(lines, nullptr);
        ASSERT_NE(lines->Next(), nullptr);
    }
    {
        const std::unique_ptr<CReadAhead> untouched = ReadAhead(path, 0);
        ASSERT_NE(untouched, nullptr);
    }
    EXPECT_EQ(ReadAhead(dir.Path("missing.csv"), 0), nullptr);
}

}  // namespace
