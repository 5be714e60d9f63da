// The import as a function: the same bytes give the same dataset and opening page
// whether they come from a file or from memory, read ahead on a thread or in turn; a
// stop asked for at a yield ends it early.
#include "data/data_fixture.h"
#include "data/import/csv_import.h"
#include "data/transfer_messages.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

void ExpectSameDataset(const CImportResult& a, const CImportResult& b)
{
    EXPECT_EQ(a.result, b.result);
    EXPECT_EQ(a.lines, b.lines);
    EXPECT_EQ(a.dataset.names, b.dataset.names);
    EXPECT_EQ(a.dataset.encoding, b.dataset.encoding);
    ASSERT_EQ(a.dataset.labels.size(), b.dataset.labels.size());
    for (size_t i = 0; i < a.dataset.labels.size(); ++i)
        ASSERT_EQ(a.dataset.labels[i], b.dataset.labels[i]) << "label " << i;
    ASSERT_EQ(a.dataset.samples.size(), b.dataset.samples.size());
    for (size_t c = 0; c < a.dataset.samples.size(); ++c) {
        const CSampleArray& x = a.dataset.samples[c];
        const CSampleArray& y = b.dataset.samples[c];
        ASSERT_EQ(x.size(), y.size()) << "channel " << c;
        EXPECT_TRUE(x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0) << "channel " << c;
    }
    EXPECT_EQ(a.dataset.dataMin, b.dataset.dataMin);
    EXPECT_EQ(a.dataset.dataMax, b.dataset.dataMax);
    EXPECT_EQ(a.dataset.dataRead, b.dataset.dataRead);
    EXPECT_EQ(a.dataset.first, b.dataset.first);
    EXPECT_EQ(a.dataset.last, b.dataset.last);
    EXPECT_EQ(a.page.first, b.page.first);
    EXPECT_EQ(a.page.count, b.page.count);
    EXPECT_EQ(a.page.step, b.page.step);
}

double Ragged(int row, int channel)
{
    return row % 7 == 3 && channel == 1 ? std::nan("") : row * 0.5 - channel * 3.25;
}

TEST(ImportDataset, SameDatasetFromAFileAndFromMemory)
{
    // Several blocks of lines, a GB18030 name, short rows and a query that fits all into one page.
    std::string csv = RecorderCsv(3 * 2048 + 100, 3, Ragged);
    csv.insert(csv.find('\n'), ",\xCE\xC2\xB6\xC8");
    for (int r = 0; r < 50; ++r)
        csv += "2024/05/06 14:00:00,1\n";
    TempDir dir;
    const std::string path = dir.Write("rows.csv", csv);
    for (bool query : {false, true}) {
        CImportSettings settings;
        settings.timeColumn = 0;
        settings.query = query;
        settings.queryStart = 0;
        settings.queryEnd = 4102444800;
        settings.fitAll = query;
        settings.plotWidth = 700;
        settings.timeOrder = 0;
        CImportControl ahead, inTurn;
        inTurn.readAhead = false;
        const CImportResult fromFile = ImportDataset(CByteSource::File(path.c_str()), settings, ahead);
        ASSERT_EQ(fromFile.result, LOAD_FINISHED);
        EXPECT_EQ(fromFile.dataset.encoding, TextEncoding::Gb18030);
        ASSERT_EQ(fromFile.dataset.ChannelCount(), 4);
        ExpectSameDataset(fromFile, ImportDataset(CByteSource::Memory(csv.data(), csv.size()), settings, inTurn));
        ExpectSameDataset(fromFile, ImportDataset(CByteSource::File(path.c_str()), settings, inTurn));
    }
}

TEST(ImportDataset, StopAtAYieldEndsTheImport)
{
    const std::string csv = RecorderCsv(10 * 2048, 2, Ragged);
    for (bool readAhead : {false, true}) {
        int yields = 0;
        CImportControl control;
        control.readAhead = readAhead;
        control.yield = [&yields] { ++yields; };
        control.stopped = [&yields] { return yields == 2; };
        CImportSettings settings;
        settings.timeColumn = 0;
        const CImportResult imported = ImportDataset(CByteSource::Memory(csv.data(), csv.size()), settings, control);
        // In turn the stop is seen at the third yield; read ahead, perhaps while waiting for a block before it.
        EXPECT_EQ(yields, 2);
        if (!readAhead) {
            EXPECT_EQ(imported.lines, 3u * 2048);
        }
        EXPECT_GE(imported.lines, 2u * 2048);
        EXPECT_LE(imported.lines, 3u * 2048);
        ASSERT_EQ(imported.dataset.ChannelCount(), 2);
        EXPECT_EQ(imported.dataset.samples[0].size(), imported.lines - 1);  // every row read, the header aside
        EXPECT_EQ(imported.page.count, 0);  // a stopped import opens no page
    }
}

}  // namespace
