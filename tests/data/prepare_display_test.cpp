// Preparing a page: axis range, normalised display series, time-axis label texts.
#include "data/transfer_messages.h"
#include "data_fixture.h"

namespace {

double Ramp(int row, int)
{
    return row;
}

TEST_F(DataManagerTest, AutomaticAndManualAxis)
{
    const struct {
        const char* name;
        std::string csv;
        int rangeMode, manualMax, manualMin;
        double axisMin, axisMax;
    } cases[] = {
        {"3.2 to 27.9", "T,A\nL,3.2\nL,27.9\n", 0, 0, 0, -10, 30},
        {"-3.5 to 20", "T,A\nL,-3.5\nL,20\n", 0, 0, 0, -10, 30},
        {"-15.2 to -3", "T,A\nL,-15.2\nL,-3\n", 0, 0, 0, -20, 10},
        {"manual", "T,A\nL,-15.2\nL,-3\n", 1, 100, 0, 0, 100},
        {"manual upside down", "T,A\nL,1\n", 1, 0, 100, 100, 0},
    };
    for (const auto& c : cases) {
        Settings(0, 1, 0, c.rangeMode, c.manualMax, c.manualMin);
        Load(dir.Write("axis.csv", c.csv));
        Prepare();
        double axisMin, axisMax;
        manager->GetAxisRange(&axisMin, &axisMax);
        EXPECT_EQ(axisMin, c.axisMin) << c.name;
        EXPECT_EQ(axisMax, c.axisMax) << c.name;
    }
}

TEST_F(DataManagerTest, DisplaySeriesIsNormalisedAndClamped)
{
    Settings(0, 1, 0, 1, 100, 0);
    Load(dir.Write("clamp.csv", "T,A\nL,150\nL,-5\nL,25\nL,100\n"));
    Prepare();
    int step;
    const std::vector<CSampleArray>& series = *manager->GetDisplaySeries(&step);
    EXPECT_EQ(series, (std::vector<CSampleArray>{{1.0, 0.0, 0.25, 1.0}}));
    EXPECT_EQ(step, 30);

    // A span of zero never divides: every value is at or beyond one end.
    Settings(0, 1, 0, 1, 5, 5);
    Load(dir.Path("clamp.csv"));
    Prepare();
    EXPECT_EQ(*manager->GetDisplaySeries(&step), (std::vector<CSampleArray>{{1.0, 0.0, 1.0, 1.0}}));
}

TEST_F(DataManagerTest, ColumnsFollowTheTimeOrder)
{
    Settings(1, 1);
    Load(dir.Write("order.csv", RecorderCsv(1000, 1, Ramp)));
    Prepare();
    int step;
    const CSampleArray& series = manager->GetDisplaySeries(&step)->at(0);
    ASSERT_EQ(series.size(), 701u);
    double axisMin, axisMax;
    manager->GetAxisRange(&axisMin, &axisMax);
    // Descending order: column 0 shows the page's last sample, 700.
    EXPECT_DOUBLE_EQ(series[0], (700 - axisMin) / (axisMax - axisMin));
    EXPECT_DOUBLE_EQ(series[700], (0 - axisMin) / (axisMax - axisMin));
}

TEST_F(DataManagerTest, TimeLabelsEveryThirtyPixelsDuringTheFirstShownChannel)
{
    Settings(0, 1, 3);
    Load(dir.Write("labels.csv", RecorderCsv(1000, 2, Ramp)));
    Prepare();
    std::vector<std::string> labels;
    manager->GetAxisLabels(&labels);
    // Page first 299, step 1: columns 0, 30, ... 690 show samples 299, 329, ... 989.
    ASSERT_EQ(labels.size(), 24u);
    EXPECT_EQ(labels[0], "12:04:59");
    EXPECT_EQ(labels[23], "12:16:29");

    // Hidden channel 0: the labels come with channel 1 and channel 0's series is empty.
    flags.m_nSize = 2;
    flags.m_nFlag[0] = 0;
    flags.m_nFlag[1] = 1;
    Prepare();
    manager->GetAxisLabels(&labels);
    EXPECT_EQ(labels.size(), 24u);
    int step;
    EXPECT_TRUE(manager->GetDisplaySeries(&step)->at(0).empty());
    EXPECT_EQ(manager->GetDisplaySeries(&step)->at(1).size(), 701u);

    // Every channel hidden: no label, one empty array per channel.
    flags.m_nFlag[1] = 0;
    Prepare();
    manager->GetAxisLabels(&labels);
    EXPECT_TRUE(labels.empty());
    EXPECT_EQ(*manager->GetDisplaySeries(&step), (std::vector<CSampleArray>{{}, {}}));
    flags.m_nSize = 0;
}

TEST_F(DataManagerTest, PagesBeyondTheDataDrawNothing)
{
    Settings(0, 1);
    Load(dir.Write("short.csv", "T,A,B\nL0,1,1\nL1,2\nL2,3\n"));
    // Page first 1 of three samples: channel A has samples 1 and 2, channel B none.
    const int first = 1, step = 30;
    manager->SetPage(&first, &step);
    Prepare();
    int usedStep;
    const std::vector<CSampleArray>& series = *manager->GetDisplaySeries(&usedStep);
    EXPECT_EQ(series[0].size(), 2u);
    EXPECT_TRUE(series[1].empty());
    std::vector<std::string> labels;
    manager->GetAxisLabels(&labels);
    EXPECT_EQ(labels, (std::vector<std::string>{"L1", "L2"}));
}

TEST(FormatTimeLabel, FormatsOrShowsTheRawLabel)
{
    const struct {
        const char* label;
        int format;
        const char* text;
    } cases[] = {
        {"2024/05/06 13:07:09", 0, "2024/05/06 13:07:09"}, {"2024/05/06 13:07:09", 1, "24/05/06 13:07"},
        {"2024/05/06 13:07:09", 2, "05/06 13:07"},         {"2024/05/06 13:07:09", 3, "13:07:09"},
        {"2024/05/06 13:07:09", 9, "2024/05/06 13:07:09"}, {"2024/05/06", 3, "00:00:00"},
        {"2024-05-06 13:07:09", 1, "2024-05-06 13:07:09"}, {"2024/05", 1, "2024/05"},
        {"2024/05/06 13:07:09 1", 1, "2024/05/06 13:07:09 1"}, {"1899/05/06", 1, "1899/05/06"},
        {"", 1, ""},
    };
    for (const auto& c : cases) {
        std::string text;
        CMemoryTransferManage::FormatTimeLabel(c.label, c.format, &text);
        EXPECT_EQ(text, c.text) << c.label << " format " << c.format;
    }
}

}  // namespace
