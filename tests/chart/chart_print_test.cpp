// The printed sheet: its grid arithmetic on the size of a 600 dpi A4 sheet, legend
// dots and rings, the value-label cut-off, the time-label limit, curve spacing and
// clamping, the margins, and taking the page from the real worker only when idle.
#include "chart/chart_print.h"
#include "chart_fixture.h"

#include "data/visibility_flags.h"
#include "guiex/guiex_dc.h"

#include <QImage>
#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr double kMetresPerInch = 0.0254;
const char* const kGrid = "#333333";
const char* const kWhite = "#ffffff";

std::string PaletteColour(int c)
{
    const COLORREF p = CMemoryTransferManage::kPalette[c];
    return QColor(GetRValue(p), GetGValue(p), GetBValue(p)).name().toStdString();
}

// A device of the given resolution for surfaces to take theirs from.
QImage Reference(int dpi)
{
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(qRound(dpi / kMetresPerInch));
    image.setDotsPerMeterY(qRound(dpi / kMetresPerInch));
    return image;
}

// The chart's legend and a page to print, and the sheet they are printed on.
struct Sheet {
    std::vector<QString> names;
    CVisibilityFlags flags;
    CPrintPage page;
    int screenCell = 30;
    int cellWidth = 0;
    int cellHeight = 0;

    explicit Sheet(int channels = 0)
    {
        for (int c = 0; c < channels; ++c)
            names.push_back(QString("CH%1").arg(c + 1));
        flags.m_nSize = std::min(channels, CVisibilityFlags::kMaxChannels);
        for (int c = 0; c < CVisibilityFlags::kMaxChannels; ++c)
            flags.m_nFlag[c] = 1;
    }

    // The whole chart on a white width x height surface of the resolution, as the
    // print job draws it.
    QImage Print(int width, int height, int dpi = 150)
    {
        const QImage reference = Reference(dpi);
        COM_GUI_EX::CGUIEXDC surface(&reference, width, height);
        surface.SetPageUnit(1, 2);
        surface.FillSolid(0xFFFFFF);
        CChartPrint chart(names, flags, page, screenCell);
        const RECT area{0, 0, width, height};
        chart.PrintChart(&surface, &area);
        cellWidth = chart.GetCellWidth();
        cellHeight = chart.GetCellHeight();
        return surface.GetMemDC() ? *surface.GetMemDC() : QImage();
    }
};

// The grid of a sheet whose cells are cw x ch with centring offsets ox, oy.
struct Grid {
    int cw, ch, ox, oy;
    int Left() const { return ox + cw; }
    RECT Legend() const { return RECT{Left(), oy, Left() + 35 * cw, oy + 2 * ch}; }
    RECT Plot() const { return RECT{Left(), oy + 2 * ch, Left() + 35 * cw, oy + 17 * ch}; }
    RECT ValueAxis() const { return RECT{Plot().right, Plot().top - ch, Plot().right + 2 * cw, Plot().bottom}; }
    RECT TimeAxis() const { return RECT{Left(), Plot().bottom, Left() + 37 * cw, oy + 21 * ch}; }
};

// 1560 x 840 cells of 40 pixels, plus 5 and 3 spare pixels: offsets 2 and 1.
constexpr int kSmallWidth = 39 * 40 + 5;
constexpr int kSmallHeight = 21 * 40 + 3;
const Grid kSmall{40, 40, 2, 1};

int CountNear(const QImage& image, const RECT& area, const std::string& colour, int tolerance = 60)
{
    int count = 0;
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, image.height()); ++y) {
        for (int x = std::max(area.left, 0); x < std::min(area.right, image.width()); ++x) {
            if (Near(image, x, y, colour.c_str(), tolerance))
                ++count;
        }
    }
    return count;
}

// A flat series of count samples at v.
CSampleArray Flat(int count, double v)
{
    return CSampleArray(static_cast<size_t>(count), v);
}

TEST(ChartPrint, ExampleSheetOf600DpiA4Landscape)
{
    Sheet sheet(3);
    sheet.flags.m_nFlag[1] = 0;  // CH2 hidden
    const QImage image = sheet.Print(6308, 4182, 600);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(sheet.cellWidth, 161);
    EXPECT_EQ(sheet.cellHeight, 199);
    const Grid grid{161, 199, 14, 1};
    const RECT plot = grid.Plot();
    ASSERT_EQ(plot.left, 175);
    ASSERT_EQ(plot.top, 399);
    ASSERT_EQ(plot.right, 5810);
    ASSERT_EQ(plot.bottom, 3384);

    const struct {
        const char* name;
        int x, y;
        const char* colour;
    } pixels[] = {
        {"frame, left edge", 175, 2000, kGrid},
        {"frame, right edge", 5809, 2000, kGrid},
        {"frame, top edge", 3000, 399, kGrid},
        {"frame, bottom edge", 3000, 3383, kGrid},
        {"outside the frame, left", 174, 2000, kWhite},
        {"outside the frame, right", 5810, 2000, kWhite},
        {"solid vertical line i = 5", 175 + 5 * 161, 401, kGrid},
        {"dotted vertical line i = 1, drawn", 175 + 161, 401, kGrid},
        {"dotted vertical line i = 1, gap", 175 + 161, 402, kWhite},
        {"dotted vertical line i = 34", 175 + 34 * 161, 405, kGrid},
        {"solid horizontal line j = 5", 3001, 3384 - 5 * 199, kGrid},
        {"dotted horizontal line j = 1, drawn", 177, 3384 - 199, kGrid},
        {"dotted horizontal line j = 1, gap", 178, 3384 - 199, kWhite},
        {"no line j = 15 under the frame's top", 177, 400, kWhite},
    };
    for (const auto& p : pixels)
        EXPECT_EQ(Pixel(image, p.x, p.y), p.colour) << p.name;

    // Legend: columns of 5635 / 8 = 704, dots of 161 / 2 = 80, gap (398 - 80) / 2 = 159.
    const int dot = 80;
    for (int i = 0; i < 3; ++i) {
        const int left = 175 + i * 704 + dot;
        const int top = 1 + 159;
        const std::string colour = PaletteColour(i);
        const bool hidden = i == 1;
        EXPECT_EQ(Near(image, left + dot / 2, top + dot / 2, colour.c_str(), 2), !hidden) << "dot centre " << i;
        if (hidden) {
            EXPECT_TRUE(Near(image, left, top + dot / 2, colour.c_str(), 80)) << "ring " << i;
        }
        EXPECT_EQ(Pixel(image, left - 2, top + dot / 2), kWhite) << "left of dot " << i;
        // The name, in the channel's colour, right of the dot.
        EXPECT_GT(CountNear(image, RECT{left + dot, top - 80, left + 704 - dot, top + dot + 80}, colour), 100)
            << "name " << i;
    }
    // Column 0 and the area below the time labels stay empty.
    EXPECT_EQ(InkIn(image, RECT{0, 0, 175, 4182}), 0);
    EXPECT_EQ(InkIn(image, RECT{0, 1 + 21 * 199, 6308, 4182}), 0);
}

// An area too small for one pixel per cell prints nothing (and does not hang).
TEST(ChartPrint, AreaSmallerThanTheGridPrintsNothing)
{
    const struct {
        int width, height;
    } cases[] = {{38, 500}, {500, 20}, {1, 1}};
    for (const auto& c : cases) {
        Sheet sheet(2);
        sheet.page.axisMax = 100;
        sheet.page.timeLabels = {"a", "b"};
        sheet.page.series = {Flat(10, 0.5)};
        const QImage image = sheet.Print(c.width, c.height);
        EXPECT_EQ(InkIn(image, RECT{0, 0, c.width, c.height}), 0) << c.width << " x " << c.height;
    }
}

TEST(ChartPrint, ValueLabelsNeedARangeOfAtLeastOneHundredth)
{
    const struct {
        double minimum, maximum;
        bool labels;
    } cases[] = {
        {0.0, 0.0, false}, {0.0, 0.009, false}, {10.0, 10.0099, false}, {5.0, -5.0, false},
        {0.0, 0.01, true}, {-50.0, 50.0, true},  {30.0, 60.0, true},
    };
    for (const auto& c : cases) {
        Sheet sheet(1);
        sheet.page.axisMin = c.minimum;
        sheet.page.axisMax = c.maximum;
        sheet.page.step = 30;
        sheet.page.series = {Flat(36, 0.5)};
        const QImage image = sheet.Print(kSmallWidth, kSmallHeight);
        const RECT values = kSmall.ValueAxis();
        // (the curve's end reaches one pixel into the band)
        const RECT labels{values.left + 1, values.top, values.right, values.bottom};
        EXPECT_EQ(InkIn(image, labels) > 0, c.labels) << c.minimum << " .. " << c.maximum;
        // The curve is printed either way.
        EXPECT_GT(CountNear(image, kSmall.Plot(), PaletteColour(0)), 100) << c.minimum << " .. " << c.maximum;
        if (!c.labels)
            continue;
        // Under each label a 2-pixel tick on its grid line, white on the left to the
        // label colour on the right.
        for (int i : {1, 15}) {
            const int line = kSmall.Plot().top + i * 40;
            EXPECT_TRUE(Near(image, values.right - 1, line - 1, "#002255", 12)) << "tick " << i;
            EXPECT_TRUE(Near(image, values.left, line - 2, kWhite, 12)) << "tick " << i;
            EXPECT_EQ(Pixel(image, values.right - 1, line - 3), kWhite) << "above tick " << i;
        }
    }
}

// The 37th time label and later ones are left out.
TEST(ChartPrint, AtMostThirtySixTimeLabels)
{
    const auto print = [](int count) {
        Sheet sheet;
        for (int i = 0; i < count; ++i)
            sheet.page.timeLabels.push_back(QString("L%1").arg(i));
        return sheet.Print(kSmallWidth, kSmallHeight);
    };
    const QImage limit = print(36);
    const struct {
        int count;
        bool sameAs36;
    } cases[] = {{35, false}, {37, true}, {100, true}};
    for (const auto& c : cases)
        EXPECT_EQ(print(c.count) == limit, c.sameAs36) << c.count << " labels";
}

// The legend shows the first 16 of more channels.
TEST(ChartPrint, LegendOfSixteenChannelsAtMost)
{
    Sheet twenty(20);
    Sheet sixteen(16);
    EXPECT_TRUE(twenty.Print(kSmallWidth, kSmallHeight) == sixteen.Print(kSmallWidth, kSmallHeight));
    EXPECT_FALSE(Sheet(15).Print(kSmallWidth, kSmallHeight) == sixteen.Print(kSmallWidth, kSmallHeight));
}

// Samples are c_w x step / s30 apart, so each sits where it sits on screen relative to
// the grid; values are clamped to the plot; nothing runs past the plot's right edge.
TEST(ChartPrint, CurveSpacingAndClamping)
{
    const RECT plot = kSmall.Plot();  // 1400 x 600
    const struct {
        const char* name;
        int step, screenCell, count;
        double value;
        int lastX;  // plot x of the last sample drawn
        int row;    // plot y of the curve
    } cases[] = {
        {"step 30, one cell per sample, one past the edge", 30, 30, 37, 0.5, 1400, 300},
        {"step 15, half a cell", 15, 30, 36, 0.25, 700, 450},
        {"step 1 at 150 % scaling", 1, 45, 100, 0.75, 88, 150},  // 99 x 40 / 45 = 88
        {"above the range", 10, 30, 20, 7.0, 253, 0},             // 19 x 40 x 10 / 30 = 253.3
        {"below the range", 10, 30, 20, -3.0, 253, 600},
    };
    for (const auto& c : cases) {
        Sheet sheet;  // no legend: nothing else in the curve's colour
        sheet.screenCell = c.screenCell;
        sheet.page.step = c.step;
        sheet.page.series = {Flat(c.count, c.value)};
        const QImage image = sheet.Print(kSmallWidth, kSmallHeight);
        const std::string colour = PaletteColour(0);
        const int y = plot.top + c.row;
        EXPECT_TRUE(Near(image, plot.left + 1, y, colour.c_str(), 60)) << c.name;
        EXPECT_TRUE(Near(image, plot.left + c.lastX - 2, y, colour.c_str(), 60)) << c.name;
        EXPECT_FALSE(Near(image, plot.left + c.lastX + 2, y, colour.c_str(), 60)) << c.name;
        // Nothing of the curve outside the plot, give or take its width.
        EXPECT_EQ(CountNear(image, RECT{0, 0, kSmallWidth, plot.top - 2}, colour), 0) << c.name;
        EXPECT_EQ(CountNear(image, RECT{plot.right + 2, 0, kSmallWidth, kSmallHeight}, colour), 0) << c.name;
    }
}

// A value that is not a number is a gap, as on screen: no segment to or from it, and
// a sample between two gaps draws nothing.
TEST(ChartPrint, NotANumberIsAGap)
{
    const RECT plot = kSmall.Plot();  // samples 40 pixels apart
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Sheet sheet;
    sheet.page.step = 30;
    sheet.page.series = {{0.5, 0.5, nan, 0.5, 0.5, nan, nan, 0.5, nan}};
    const QImage image = sheet.Print(kSmallWidth, kSmallHeight);
    const std::string colour = PaletteColour(0);
    const auto ink = [&](int x0, int x1) {
        return CountNear(image, RECT{plot.left + x0, plot.top, plot.left + x1, plot.bottom + 2}, colour);
    };
    EXPECT_GT(ink(2, 38), 30) << "samples 0 and 1 joined";
    EXPECT_EQ(ink(43, 117), 0) << "nothing to or from sample 2";
    EXPECT_GT(ink(122, 158), 30) << "samples 3 and 4 joined";
    EXPECT_EQ(ink(163, 1400), 0) << "nothing to or from samples 5, 6 and 8; sample 7 alone";
}

TEST(ChartPrint, MarginsOfFifteenAndEighteenMillimetres)
{
    const struct {
        const char* name;
        int width, height, widthMm, heightMm;
        int side, top, bottom;
    } cases[] = {
        {"A4 landscape, 600 dpi", 7016, 4961, 297, 210, 354, 354, 425},
        {"A4 portrait, 600 dpi", 4961, 7016, 210, 297, 354, 354, 425},
        {"Letter portrait, 300 dpi", 2550, 3300, 216, 279, 177, 177, 212},
        {"A3 landscape, 1200 dpi", 19843, 14031, 420, 297, 708, 708, 850},
        {"no size in millimetres", 1000, 1000, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const CPrintMargins m = ComputePrintMargins(c.width, c.height, c.widthMm, c.heightMm);
        EXPECT_EQ(m.side, c.side) << c.name;
        EXPECT_EQ(m.top, c.top) << c.name;
        EXPECT_EQ(m.bottom, c.bottom) << c.name;
    }
}

using ChartPrintPage = ChartTest;

// The page is taken only while the worker is idle, and then it is the last prepared one.
TEST_F(ChartPrintPage, TakenOnlyBetweenPreparations)
{
    LoadAsMainWindow(dir.Write("three.csv", RecorderCsv(200, 3, ThreeLevels, 0)));
    CPrintPage page;
    page.step = -7;
    manager->RequestPrepare();
    // The worker wakes for a request at once, so whether this preparation is still
    // pending here is a race; whichever way it falls, a page not taken stays untouched.
    if (!TakePrintPage(*manager, 0, &page)) {
        EXPECT_EQ(page.step, -7);
    }
    ASSERT_TRUE(TakePrintPage(*manager, 30000, &page));
    EXPECT_TRUE(manager->WaitIdle(0));

    int step = 0;
    const std::vector<CSampleArray>* series = manager->GetDisplaySeries(&step);
    EXPECT_EQ(page.step, step);
    EXPECT_EQ(page.series, *series);
    ASSERT_EQ(page.series.size(), 3u);
    EXPECT_FALSE(page.series[0].empty());
    EXPECT_EQ(page.axisMin, 30.0);
    EXPECT_EQ(page.axisMax, 60.0);
    std::vector<QString> labels;
    manager->GetAxisLabels(&labels);
    EXPECT_EQ(page.timeLabels, labels);
    EXPECT_FALSE(labels.empty());
    Pump();
}

}  // namespace
