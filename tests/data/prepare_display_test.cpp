// Preparing a page: axis range, normalised display series, time-axis label texts.
#include "data/transfer_messages.h"
#include "data_fixture.h"
#include "support/local_time.h"

#include <cmath>

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
    std::vector<QString> labels;
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
    // Page first 1 of three samples: both channels have samples 1 and 2, B's missing.
    const int first = 1, step = 30;
    manager->SetPage(&first, &step);
    Prepare();
    int usedStep;
    const std::vector<CSampleArray>& series = *manager->GetDisplaySeries(&usedStep);
    EXPECT_EQ(series[0].size(), 2u);
    EXPECT_EQ(series[1].size(), 2u);
    std::vector<QString> labels;
    manager->GetAxisLabels(&labels);
    EXPECT_EQ(labels, (std::vector<QString>{"L1", "L2"}));
}

// Formats 1 to 3 show the time the import reads from the label, in whatever form and
// in the file's own reading; a label it does not read is split year first, else raw.
TEST(FormatTimeLabel, FormatsOrShowsTheRawLabel)
{
    const LocalTimeZone zone("Asia/Shanghai");
    const std::string pm = "\xE4\xB8\x8B\xE5\x8D\x88";  // 下午
    constexpr CLabelReading M{}, D{DayMonthOrder::DayFirst, false}, U{DayMonthOrder::MonthFirst, true};
    const struct {
        std::string label;
        CLabelReading reading;
        int format;
        const char* text;
    } cases[] = {
        {"2024/05/06 13:07:09", M, 0, "2024/05/06 13:07:09"}, {"2024/05/06 13:07:09", M, 1, "24/05/06 13:07"},
        {"2024/05/06 13:07:09", M, 2, "05/06 13:07"},         {"2024/05/06 13:07:09", M, 3, "13:07:09"},
        {"2024/05/06 13:07:09", M, 9, "2024/05/06 13:07:09"}, {"2024/05/06", M, 3, "00:00:00"},
        {"2024-05-06 11:27:00", M, 1, "24/05/06 11:27"},      {"2024/5/6 3:04 PM", M, 3, "15:04:00"},
        {"2024/5/6 " + pm + " 3:04", M, 3, "15:04:00"},       {"2024-05-06T05:07:09Z", M, 2, "05/06 13:07"},
        {"06/05/2024 13:07", M, 1, "24/06/05 13:07"},         {"06/05/2024 13:07", D, 1, "24/05/06 13:07"},
        {"19.04.19 11:04:11", D, 1, "19/04/19 11:04"},        {"1714972029", U, 3, "13:07:09"},
        {"2024/05/06 13:07:09", U, 3, "13:07:09"},            {"2024/05/06 13 07", M, 3, "13:07:00"},
        {"2024/05/06 13:07:09 1", M, 1, "2024/05/06 13:07:09 1"}, {"1899/05/06", M, 1, "1899/05/06"},
        {"2024/05", M, 1, "2024/05"},                         {"", M, 1, ""},
    };
    for (const auto& c : cases) {
        std::string text;
        CMemoryTransferManage::FormatTimeLabel(c.label.c_str(), c.format, c.reading, &text);
        EXPECT_EQ(text, c.text) << c.label << " format " << c.format;
    }
}

}  // namespace

namespace {

TEST(MakeValueLabels, FifteenStepsFromTheTop)
{
    EXPECT_EQ(CMemoryTransferManage::MakeValueLabels(-10, 30),
              (std::vector<std::string>{"30.0", "27.3", "24.7", "22.0", "19.3", "16.7", "14.0", "11.3", "8.7", "6.0",
                                        "3.3", "0.7", "-2.0", "-4.7", "-7.3", "-10.0"}));
    EXPECT_EQ(CMemoryTransferManage::MakeValueLabels(0, 0), std::vector<std::string>(16, "0.0"));
}

// The repeated subtraction ends a hair below a zero minimum (0 .. 3 ends at
// -3.9e-16); no label, on screen or on paper, reads "-0.0".
TEST(MakeValueLabels, NeverANegativeZero)
{
    EXPECT_EQ(CMemoryTransferManage::MakeValueLabels(0, 3).back(), "0.0");
    for (int low = -30; low <= 0; ++low) {
        for (int high = low + 1; high <= 40; ++high) {
            for (const std::string& label : CMemoryTransferManage::MakeValueLabels(low, high))
                ASSERT_NE(label, "-0.0") << low << " .. " << high;
        }
    }
}

// Pixels of the composed page: what the worker drew, copied into the chart's layers.
class PreparedPageTest : public DataManagerTest {
protected:
    // Loads rows of the given readings (one value per channel per row) and prepares the page.
    void PreparePage(const std::vector<std::vector<double>>& rows)
    {
        std::string csv = "Time";
        for (size_t c = 0; c < rows[0].size(); ++c)
            csv += ",C" + std::to_string(c);
        csv += "\n";
        for (size_t r = 0; r < rows.size(); ++r) {
            csv += "2024/05/06 12:00:" + std::string(r < 10 ? "0" : "") + std::to_string(r);
            for (double v : rows[r])
                csv += "," + std::to_string(v);
            csv += "\n";
        }
        Load(dir.Write("page.csv", csv));
        Prepare();
        manager->CopyWorkSurfaces(PlotLayer(), ValueLayer(), TimeLayer());
    }

    static QColor Pixel(COM_GUI_EX::CGUIEXDC* layer, int x, int y) { return layer->GetMemDC()->pixelColor(x, y); }

    // Pixels of the colour (within a tolerance) in the rectangle [x0, x1) × [y0, y1).
    static int CountColour(COM_GUI_EX::CGUIEXDC* layer, QColor colour, int x0, int y0, int x1, int y1)
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const QColor p = Pixel(layer, x, y);
                n += std::abs(p.red() - colour.red()) < 40 && std::abs(p.green() - colour.green()) < 40 &&
                     std::abs(p.blue() - colour.blue()) < 40;
            }
        return n;
    }
};

const QColor kBlue(0, 0, 255);  // channel 0
const QColor kRed(255, 0, 0);   // channel 1

TEST_F(PreparedPageTest, CurvesSitWhereTheAxisPutsThem)
{
    // Manual axis 0 to 100 on a 700 × 450 plot: 25 lies at row trunc(0.75 × 450 + 0.5) = 338,
    // 150 is clamped to the top row, -5 to the bottom edge.
    Settings(0, 1, 0, 1, 100, 0);
    PreparePage({{25, 150}, {25, 150}, {25, 150}, {25, 150}});
    // Four samples: step 30, the curves run from x 0 to 90.
    EXPECT_GT(CountColour(PlotLayer(), kBlue, 5, 338, 85, 339), 70);
    EXPECT_EQ(CountColour(PlotLayer(), kBlue, 0, 0, 700, 336), 0);
    EXPECT_EQ(CountColour(PlotLayer(), kBlue, 0, 341, 700, 450), 0);
    EXPECT_GT(CountColour(PlotLayer(), kRed, 5, 0, 85, 1), 70);
    EXPECT_EQ(CountColour(PlotLayer(), kBlue, 95, 0, 700, 450), 0);  // nothing past the last sample
}

// A reading that is not a number is a gap: the series holds it as NaN and no segment
// runs to or from it; infinite readings lie on the edges as usual.
TEST_F(PreparedPageTest, NanReadingsAreGaps)
{
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    // Channel 0 (blue) at 25 with a gap at x 60; channel 1 (red) not a number at all.
    // Six samples: step 30.
    for (int rangeMode : {1, 0}) {
        Settings(0, 1, 0, rangeMode, 100, 0);
        PreparePage({{nan, nan}, {25, nan}, {nan, nan}, {25, nan}, {25, nan}, {inf, nan}});
        int step;
        const std::vector<CSampleArray>& series = *manager->GetDisplaySeries(&step);
        ASSERT_EQ(series.size(), 2u);
        ASSERT_EQ(series[0].size(), 6u);
        ASSERT_EQ(series[1].size(), 6u);
        for (size_t i : {0u, 2u})
            EXPECT_TRUE(std::isnan(series[0][i])) << i;
        EXPECT_EQ(series[0][5], 1.0);
        for (double v : series[1])
            EXPECT_TRUE(std::isnan(v));
        EXPECT_EQ(CountColour(PlotLayer(), kRed, 0, 0, 700, 450), 0);
        EXPECT_EQ(CountColour(PlotLayer(), kBlue, 0, 0, 29, 450), 0) << "nothing to or from sample 0";
        EXPECT_EQ(CountColour(PlotLayer(), kBlue, 32, 0, 89, 450), 0) << "nothing to or from sample 2";
        EXPECT_GT(CountColour(PlotLayer(), kBlue, 92, 0, 118, 450), 20) << "samples 3 and 4 joined";
        EXPECT_GT(CountColour(PlotLayer(), kBlue, 125, 0, 149, 450), 10) << "up to the top at sample 5";
    }
}

TEST_F(PreparedPageTest, HiddenChannelsDrawNothingAndLabelsMoveOn)
{
    Settings(0, 1, 3);
    flags.m_nSize = 2;
    flags.m_nFlag[0] = 0;
    flags.m_nFlag[1] = 1;
    PreparePage({{10, 20}, {11, 21}, {12, 22}});
    EXPECT_EQ(CountColour(PlotLayer(), kBlue, 0, 0, 700, 450), 0);
    EXPECT_GT(CountColour(PlotLayer(), kRed, 0, 0, 700, 450), 20);
    // Labels at x 0, 30 and 60 (plus the offset), rotated down to the right.
    const QColor ink(0, 34, 85);
    EXPECT_GT(CountColour(TimeLayer(), ink, 22, 0, 110, 120), 20);
    flags.m_nSize = 0;
}

TEST_F(PreparedPageTest, ValueAxisHasSixteenTicks)
{
    Settings(0, 1);
    PreparePage({{3.2}, {27.9}});
    const int width = ValueLayer()->GetSize().width();
    for (int k = 0; k < 16; ++k) {
        const int row = (k + 1) * 30 - 1;
        if (row >= ValueLayer()->GetSize().height())
            break;
        // The tick runs from the label colour on the left to white on the right.
        EXPECT_LT(Pixel(ValueLayer(), 10, row).blue(), 130) << "tick " << k;
        EXPECT_GT(Pixel(ValueLayer(), width - 12, row).blue(), 200) << "tick " << k;
        // Every cell holds the ink of its label.
        EXPECT_GT(CountColour(ValueLayer(), QColor(0, 34, 85), 10, k * 30, width - 10, row), 5) << "label " << k;
    }
}

TEST_F(PreparedPageTest, NothingIsCopiedWhileNoChannelIsLoaded)
{
    Load(dir.Path("missing.csv"));
    Prepare();
    PlotLayer()->FillSolid(0x00FF00);
    manager->CopyWorkSurfaces(PlotLayer(), ValueLayer(), TimeLayer());
    EXPECT_EQ(Pixel(PlotLayer(), 5, 5), QColor(0, 255, 0));
}

}  // namespace
