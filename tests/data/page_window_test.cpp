// The page window after a load, SetPage, and the fit-all compression.
#include "data/transfer_messages.h"
#include "data_fixture.h"

namespace {

double Ramp(int row, int)
{
    return row;
}

TEST_F(DataManagerTest, PageWindowAfterLoad)
{
    const struct {
        int samples, timeOrder;
        int first, count, step;
    } cases[] = {
        {100, 0, 29, 71, 10},    {350, 0, 0, 350, 2},   {700, 0, 349, 351, 2}, {701, 0, 0, 701, 1},
        {1000, 0, 299, 701, 1},  {1000, 1, 0, 701, 1},  {1, 0, 0, 1, 30},      {24, 1, 0, 24, 30},
        {234, 0, 0, 234, 3},
    };
    for (const auto& c : cases) {
        Settings(c.timeOrder, 1);
        Load(dir.Write("page.csv", RecorderCsv(c.samples, 2, Ramp)));
        const Page page = PageWindow();
        EXPECT_EQ(page.first, c.first) << c.samples << " samples, order " << c.timeOrder;
        EXPECT_EQ(page.count, c.count) << c.samples << " samples, order " << c.timeOrder;
        EXPECT_EQ(page.step, c.step) << c.samples << " samples, order " << c.timeOrder;
    }
}

TEST_F(DataManagerTest, ChannelsWithoutRowsAreNotLoaded)
{
    // Not loaded: the manager keeps its empty dataset and page.
    const Page before = PageWindow();
    EXPECT_EQ(Load(dir.Write("header.csv", "Time,A,B\n")), LOAD_NO_DATA);
    EXPECT_EQ(manager->GetChannelCount(), 0);
    const Page page = PageWindow();
    EXPECT_EQ(page.count, before.count);
    EXPECT_EQ(page.first, before.first);
    Prepare();
    int step;
    EXPECT_TRUE(manager->GetDisplaySeries(&step)->empty());
}

TEST_F(DataManagerTest, SetPageCountsColumnsOfThePlot)
{
    const int first = 0, five = 5, thirty = 30;
    EXPECT_EQ(manager->SetPage(&first, &five), 141);
    EXPECT_EQ(manager->SetPage(&first, &thirty), 24);
    EXPECT_EQ(PageWindow().step, 30);
}

TEST(ChooseStep, FromColumnsPerSample)
{
    const struct {
        int samples, step;
    } cases[] = {{700, 2}, {350, 2}, {234, 3}, {233, 5}, {140, 5}, {139, 10}, {70, 10}, {69, 15}, {47, 15},
                 {46, 30}, {1, 30}, {0, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(CMemoryTransferManage::ChooseStep(c.samples, 700), c.step) << c.samples << " samples";
}

std::string TenRows(const std::string& values)
{
    std::string csv = "Time,A,B\n";
    size_t at = 0;
    for (int i = 0; i < 10; ++i) {
        const size_t comma = values.find(';', at);
        csv += "2024/05/06 12:00:0" + std::to_string(i) + "," + values.substr(at, comma - at) + "\n";
        at = comma + 1;
    }
    return csv;
}

// Ten samples into a page of four columns (plot width 3): groups {0,1} {2,3} {4,5,6} {7,8} {9},
// labelled by their middle (later) sample.
TEST_F(DataManagerTest, FitAllCompressesIntoOnePage)
{
    AttachPlot(3);
    Settings(0, 1);
    const std::string path = dir.Write("ten.csv", TenRows("1,0;2,0;3,0;4,0;5,0;6,0;7,0;8,0;9,0;10,0"));
    Load(path);
    TimeValue first, last;
    manager->GetTimeRange(&first, &last);
    QueryLoad(first, last, true);
    std::vector<std::string> labels;
    for (size_t i = 0; i < Labels().size(); ++i)
        labels.push_back(Labels().GetAt(i).substr(17));
    EXPECT_EQ(labels, (std::vector<std::string>{"01", "03", "05", "08", "09"}));
    // Groups are averaged, except {7,8}: sample 9 reaches the file's maximum and, being
    // tested before it starts the next group, marks the group still open.
    EXPECT_EQ(Samples()[0], (CSampleArray{1.5, 3.5, 6, 10, 10}));
    EXPECT_EQ(Samples()[1], (CSampleArray{0, 0, 0, 0, 0}));

    // Sample 4 is the file's maximum: the group being closed when it is read takes it.
    Load(dir.Write("peak.csv", TenRows("5,-1;5,9;5,9;5,9;100,9;5,9;5,9;5,9;5,9;5,9")));
    QueryLoad(first, last, true);
    ASSERT_EQ(Samples()[0].size(), 5u);
    EXPECT_EQ(Samples()[0][1], 100);
    EXPECT_DOUBLE_EQ(Samples()[0][2], 110.0 / 3);
    EXPECT_EQ(PageWindow().count, 4);
}

TEST_F(DataManagerTest, FitAllWithRaggedChannelsAndNoLabels)
{
    AttachPlot(3);
    Settings(0, 0);  // no time-label column: every row is kept, there are no labels
    std::string csv = "A,B\n";
    for (int i = 0; i < 10; ++i)
        csv += std::to_string(i) + (i < 3 ? "," + std::to_string(i * 10) : "") + "\n";
    Load(dir.Write("ragged.csv", csv));
    QueryLoad(0, kLastTimeValue, true);
    EXPECT_EQ(Samples()[0].size(), 5u);
    // B's missing readings take part in the groups as gaps, as NaN does.
    ASSERT_EQ(Samples()[1].size(), 5u);
    EXPECT_EQ(Samples()[1][0], 0);
    EXPECT_TRUE(std::isnan(Samples()[1][1]) && std::isnan(Samples()[1][4]));
    EXPECT_TRUE(Labels().empty());
}

}  // namespace
