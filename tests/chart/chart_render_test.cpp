// What the chart shows: the picture before a file is loaded, over a parent
// background, and after a page has been prepared by the real worker.
#include "chart_fixture.h"

#include "guiex/guiex_dc.h"

namespace {

// "#rrggbb" of palette entry c.
std::string PaletteColour(int c)
{
    const COLORREF p = CMemoryTransferManage::kPalette[c];
    return QColor(GetRValue(p), GetGValue(p), GetBValue(p)).name().toStdString();
}

std::string DotCentre(const QImage& image, const RECT& dot)
{
    return Pixel(image, (dot.left + dot.right) / 2, (dot.top + dot.bottom) / 2);
}

TEST_F(ChartTest, BeforeAnyFileGridLegendAndPlaceholderLabels)
{
    ASSERT_EQ(chart->GetChannelNames().size(), 16u);
    EXPECT_EQ(chart->GetChannelNames()[0], "通道01");
    EXPECT_EQ(chart->GetChannelNames()[15], "通道16");
    ASSERT_EQ(chart->GetLegendDotRects().size(), 16u);
    EXPECT_EQ(chart->GetLegendHitRects().size(), 16u);
    EXPECT_EQ(chart->GetVisibilityFlags().m_nSize.load(), 16);
    EXPECT_EQ(manager->GetPlotWidth(), 1050);  // the layers were lent

    const QImage image = Grab();
    const struct {
        const char* name;
        int x, y;
        const char* colour;
    } pixels[] = {
        {"frame, left edge", 22, 300, "#aaaaaa"},
        {"frame, right edge", 1071, 300, "#aaaaaa"},
        {"frame, top edge", 500, 70, "#aaaaaa"},
        {"solid vertical line i = 5", 172, 101, "#aaaaaa"},
        {"dotted vertical line i = 1, drawn", 52, 72, "#aaaaaa"},
        {"dotted vertical line i = 1, gap", 52, 73, "#ffffff"},
        {"solid horizontal line j = 5", 101, 370, "#aaaaaa"},
        {"dotted horizontal line j = 1, drawn", 24, 490, "#aaaaaa"},
        {"dotted horizontal line j = 1, gap", 25, 490, "#ffffff"},
        {"no line at the right edge's grid position", 1072, 300, "#ffffff"},
        {"lightened plot over white", 100, 105, "#ffffff"},
    };
    for (const auto& p : pixels)
        EXPECT_EQ(Pixel(image, p.x, p.y), p.colour) << p.name;
    EXPECT_TRUE(Near(image, 500, 512, "#efefef")) << "track: grey at alpha 48, got " << Pixel(image, 500, 512);

    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(DotCentre(image, chart->GetLegendDotRects()[static_cast<size_t>(i)]), PaletteColour(i)) << "dot " << i;
    // Two rows of eight.
    EXPECT_EQ(chart->GetLegendDotRects()[7].top, chart->GetLegendDotRects()[0].top);
    EXPECT_GT(chart->GetLegendDotRects()[8].top, chart->GetLegendDotRects()[7].top);

    EXPECT_EQ(InkIn(image, chart->GetValueBand()), 0) << "no value labels yet";
    EXPECT_GT(InkIn(image, chart->GetTimeBand()), 500) << "36 placeholder labels";
}

TEST_F(ChartTest, ParentBackgroundShowsThroughAtTheChartsPlace)
{
    // Grey, with a darker stripe exactly where the chart's top ten rows go.
    COM_GUI_EX::CGUIEXDC background(nullptr, 1200, 700);
    background.FillSolid(0x808080);
    const RECT stripe{0, 47, 1200, 57};
    background.FillSolidRect(&stripe, 0x404040);
    CreateChart(&background, RECT{0, 47, 1200, 647});

    const QImage image = Grab();
    EXPECT_EQ(Pixel(image, 1150, 5), "#404040") << "copied from the chart's top in the parent";
    EXPECT_EQ(Pixel(image, 1150, 30), "#808080");
    EXPECT_EQ(Pixel(image, 1150, 300), "#808080") << "value band before any page";
    // White at alpha 144 over grey 128: 128 + 127 x 144 / 255.
    EXPECT_TRUE(Near(image, 100, 105, "#c8c8c8")) << Pixel(image, 100, 105);
}

TEST_F(ChartTest, PreparedPageShowsCurvesValueLabelsAndThumb)
{
    const QImage before = Grab();
    LoadAsMainWindow(dir.Write("three.csv", RecorderCsv(600, 3, ThreeLevels, 0)));
    ASSERT_EQ(host.total, 600);
    ASSERT_EQ(host.pageCount, 526);  // step 2

    const QImage image = Grab();
    const RECT& plot = chart->GetPlotArea();
    const struct {
        int channel, row;
    } curves[] = {{0, 135}, {1, 255}, {2, 45}};
    for (const auto& c : curves) {
        for (int x : {plot.left + 11, plot.left + 401, plot.left + 1001})
            EXPECT_TRUE(Near(image, x, plot.top + c.row, PaletteColour(c.channel).c_str(), 8))
                << "channel " << c.channel << " at x " << x << ": " << Pixel(image, x, plot.top + c.row);
    }

    // One row of three legend items; the rest of the legend is empty.
    ASSERT_EQ(chart->GetLegendDotRects().size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(DotCentre(image, chart->GetLegendDotRects()[static_cast<size_t>(i)]), PaletteColour(i));
    EXPECT_EQ(chart->GetVisibilityFlags().m_nSize.load(), 3);
    EXPECT_EQ(Pixel(image, 430, 35), "#ffffff") << "where a fourth dot would be";

    EXPECT_GT(InkIn(image, chart->GetValueBand()), 200) << "16 value labels";
    EXPECT_NE(before.copy(ToQRect(chart->GetTimeBand())), image.copy(ToQRect(chart->GetTimeBand())))
        << "the page's time labels replace the placeholders";

    // 74 + 526 = 600 samples: thumb 1050 x 526 / 600 wide, 1050 x 74 / 600 from the left.
    EXPECT_EQ(chart->GetScrollThumb().left, 151);
    EXPECT_EQ(chart->GetScrollThumb().right, 1071);
    EXPECT_NE(Pixel(image, 600, 515), Pixel(image, 100, 515)) << "thumb drawn over the track";

    // Later background passes. The settings dialog: the time-axis layer keeps the
    // page's labels, the thumb has no width until it is placed again.
    const QRect timeBand = ToQRect(chart->GetTimeBand());
    chart->SetTimeLabelFormat(3);
    EXPECT_EQ(image.copy(timeBand), Grab().copy(timeBand));
    EXPECT_EQ(chart->GetScrollThumb().right, chart->GetScrollThumb().left);
    // More than 16 channels: 16 legend items and flags, every name kept.
    const std::vector<QString> names(20, "C");
    chart->SetChannelNames(&names);
    EXPECT_EQ(chart->GetChannelNames().size(), 20u);
    EXPECT_EQ(chart->GetLegendDotRects().size(), 16u);
    EXPECT_EQ(chart->GetLegendHitRects().size(), 16u);
    EXPECT_EQ(chart->GetVisibilityFlags().m_nSize.load(), 16);
}

TEST_F(ChartTest, WithoutParentNothingIsCreatedOrLent)
{
    {
        const RECT rect{0, 0, 1200, 600};
        CCurveWnd orphan(0, &rect, 256, nullptr, nullptr);
        EXPECT_TRUE(orphan.GetChannelNames().empty());
        EXPECT_TRUE(orphan.GetLegendDotRects().empty());
    }
    // Destroying the orphan took nothing back from the manager.
    EXPECT_EQ(manager->GetPlotWidth(), 1050);
}

}  // namespace
