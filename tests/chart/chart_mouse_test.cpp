// The chart's mouse: cursor line and its read-out messages, pointer shapes, legend
// clicks, thumb drags and track clicks, and the page commits they post.
#include "chart_fixture.h"

#include <QCursor>
#include <QTest>
#include <QWindow>

namespace {

constexpr int kTrackY = 515;  // inside the scroll track (510 .. 519)

using Posted = std::vector<uintptr_t>;

TEST_F(ChartTest, NoCursorLineAndNoMessageBeforeAFileIsLoaded)
{
    Move(500, 200);
    Move(600, 300);
    Move(22, 200);
    Pump();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(chart->IsCursorVisible(), 0);
    EXPECT_EQ(Pixel(Grab(), 600, 300), "#ffffff");

    // The legend still toggles its dots, and asks for a page.
    const RECT dot = chart->GetLegendDotRects()[1];
    const RECT hit = chart->GetLegendHitRects()[1];
    Move(hit.right - 3, hit.top + 1);
    EXPECT_EQ(chart->cursor().shape(), Qt::PointingHandCursor);
    Press(hit.right - 3, hit.top + 1);
    Release(hit.right - 3, hit.top + 1);
    EXPECT_EQ(chart->GetVisibilityFlags().m_nFlag[1].load(), 0u);
    EXPECT_EQ(Pixel(Grab(), (dot.left + dot.right) / 2, (dot.top + dot.bottom) / 2), "#a1c3ec");
    WaitForTransfer(TRANSFER_PREPARED);
}

TEST_F(ChartTest, CursorLineReportsItsColumn)
{
    LoadAsMainWindow(dir.Write("page.csv", RecorderCsv(600, 3, ThreeLevels, 0)));
    ASSERT_EQ(chart->GetScrollThumb().left, 151);  // the thumb covers 151 .. 1070 of the track

    const struct {
        const char* name;
        int x, y;
        Posted posted;
        Qt::CursorShape shape;
        int visible;
    } steps[] = {
        {"plot's left edge", 22, 200, {0}, Qt::ArrowCursor, 1},
        {"same column, another row", 22, 300, {}, Qt::ArrowCursor, 1},
        {"last column of the plot", 1071, 200, {1049}, Qt::ArrowCursor, 1},
        {"right of the plot", 1072, 200, {}, Qt::ArrowCursor, 0},
        {"back into the plot", 500, 200, {478}, Qt::ArrowCursor, 1},
        {"legend item", 40, 40, {}, Qt::PointingHandCursor, 0},
        {"plot again, same column as before the legend", 500, 250, {478}, Qt::ArrowCursor, 1},
        {"track beside the thumb", 100, kTrackY, {78}, Qt::ArrowCursor, 1},
        {"on the thumb", 600, kTrackY, {}, Qt::SizeHorCursor, 0},
        {"under the plot", 500, 560, {}, Qt::ArrowCursor, 0},
    };
    for (const auto& s : steps) {
        Move(s.x, s.y);
        EXPECT_EQ(Take(WM_CURVE_CURSOR), s.posted) << s.name;
        EXPECT_EQ(chart->cursor().shape(), s.shape) << s.name;
        EXPECT_EQ(chart->IsCursorVisible(), s.visible) << s.name;
    }

    // The line is one pixel wide, black at alpha 144 over the plot.
    Move(700, 200);
    const QImage image = Grab();
    EXPECT_TRUE(Near(image, 700, 300, "#6f6f6f")) << Pixel(image, 700, 300);
    EXPECT_EQ(Pixel(image, 701, 300), "#ffffff");
}

TEST_F(ChartTest, ThumbDragsAndTrackClicks)
{
    const struct {
        const char* name;
        int rows, timeOrder;
        int left, right;  // the thumb UpdateThumb placed
        int from, to;     // button down, button up
        Posted posted;
        int first;
    } cases[] = {
        {"drag 100 pixels left", 5000, 0, 851, 1071, 961, 861, {0}, 3471},  // 729 x 5000 / 1050
        // The page is recomputed from the thumb: not the 3949 the load chose.
        {"press and release without moving", 5000, 0, 851, 1071, 900, 900, {0}, 3947},
        {"drag past the track's end", 5000, 0, 851, 1071, 900, 1300, {0}, 5000 - 1051},
        {"track click left of the thumb", 5000, 0, 851, 1071, 300, 300, {0}, 1323},  // thumb to 300 .. 520
        {"descending: mirrored, dragging left pages forward", 5000, 1, 852, 1072, 962, 862, {0}, 476},
        // Widened to 30 pixels: the commit divides by 1050 - 30, the end maps to the last page.
        {"30-pixel thumb", 40000, 0, 1044, 1074, 1050, 1050, {0}, 40000 - 1051},
        {"whole file on one page", 20, 0, 22, 1072, 600, 500, {}, 0},
    };
    for (const auto& c : cases) {
        ApplyTimeOrder(c.timeOrder);
        LoadAsMainWindow(dir.Write("rows.csv", RecorderCsv(c.rows, 1, ThreeLevels, 0)));
        EXPECT_EQ(chart->GetScrollThumb().left, c.left) << c.name;
        EXPECT_EQ(chart->GetScrollThumb().right, c.right) << c.name;

        Move(c.from, kTrackY);
        Take(WM_CURVE_CURSOR);
        Press(c.from, kTrackY);
        if (c.to != c.from) {
            Move((c.from + c.to) / 2, kTrackY);
            Move(c.to, kTrackY);
        }
        Pump();
        // A drag posts nothing, not even the cursor, until the button is up; a track
        // click commits at once.
        if (c.from >= c.left && c.from < c.right) {
            EXPECT_TRUE(host.messages.empty()) << c.name;
        }
        Release(c.to, kTrackY);
        EXPECT_EQ(Take(WM_CURVE_PAGE), c.posted) << c.name;
        EXPECT_EQ(host.first, c.first) << c.name;
        QCursor::setPos(QPoint(5000, 5000));  // the next case's first move is a real move
    }
}

TEST_F(ChartTest, PageStateBeyond32BitProducts)
{
    // As the main window would hold it for a file of three million rows.
    host.total = 3000000;
    host.pageCount = 1051;
    host.first = 2500000;
    chart->UpdateThumb();
    EXPECT_EQ(chart->GetScrollThumb().left, 897);  // 22 + 1050 x 2 500 000 / 3 000 000
    EXPECT_EQ(chart->GetScrollThumb().right, 927);

    Move(910, kTrackY);
    Press(910, kTrackY);
    Release(910, kTrackY);
    EXPECT_EQ(Take(WM_CURVE_PAGE), Posted{0});
    EXPECT_EQ(host.first, 2573529);  // 875 x 3 000 000 / 1020
}

TEST_F(ChartTest, LegendClickHidesAndShowsACurve)
{
    LoadAsMainWindow(dir.Write("page.csv", RecorderCsv(600, 3, ThreeLevels, 0)));
    const RECT& plot = chart->GetPlotArea();
    const int curveRow = plot.top + 255;  // channel 1
    const RECT hit = chart->GetLegendHitRects()[1];
    const RECT dot = chart->GetLegendDotRects()[1];
    const int cx = (dot.left + dot.right) / 2;
    const int cy = (dot.top + dot.bottom) / 2;
    // A column between two samples (step 2): the pen covers it fully.
    const int curveX = plot.left + 479;
    ASSERT_TRUE(Near(Grab(), curveX, curveRow, "#ff0000", 8));

    Move(hit.left + 40, hit.top + 2);
    Press(hit.left + 40, hit.top + 2);
    Release(hit.left + 40, hit.top + 2);
    EXPECT_EQ(chart->GetVisibilityFlags().m_nFlag[1].load(), 0u);
    QImage image = Grab();
    EXPECT_EQ(Pixel(image, cx, cy), "#a1c3ec") << "pale dot";
    EXPECT_TRUE(Near(image, dot.left, cy, "#ff0000", 100)) << "ringed in the channel's colour: " << Pixel(image, dot.left, cy);
    // The chart asked for the page; the main window refreshes when it arrives.
    WaitForTransfer(TRANSFER_PREPARED);
    chart->RefreshLayers();
    EXPECT_EQ(Pixel(Grab(), curveX, curveRow), "#ffffff") << "curve gone";

    Press(hit.left + 40, hit.top + 2);
    Release(hit.left + 40, hit.top + 2);
    WaitForTransfer(TRANSFER_PREPARED);
    chart->RefreshLayers();
    EXPECT_TRUE(Near(Grab(), curveX, curveRow, "#ff0000", 8)) << "curve back";

    // A new file shows every channel again.
    Press(hit.left + 40, hit.top + 2);
    Release(hit.left + 40, hit.top + 2);
    WaitForTransfer(TRANSFER_PREPARED);
    LoadAsMainWindow(dir.Path("page.csv"));
    EXPECT_EQ(chart->GetVisibilityFlags().m_nFlag[1].load(), 1u);
}

// Double clicks through the platform window, which delivers the second press as a
// double-click event: every click toggles the channel once.
TEST_F(ChartTest, EveryClickOfADoubleClickTogglesTheChannel)
{
    const RECT hit = chart->GetLegendHitRects()[2];
    const QPoint item(hit.left + 40, hit.top + 2);
    const QPoint at = chart->mapTo(&host, item);
    QWindow* window = host.windowHandle();
    ASSERT_NE(window, nullptr);
    Move(item.x(), item.y());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
    Pump();
    EXPECT_EQ(chart->GetVisibilityFlags().m_nFlag[2].load(), 0u);
    for (int i = 0; i < 2; ++i) {
        QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, at);
        Pump();
        EXPECT_EQ(chart->GetVisibilityFlags().m_nFlag[2].load(), 0u) << "two clicks, two toggles";
    }
}

TEST_F(ChartTest, DestroyedChartLeavesNothingLentToTheManager)
{
    LoadAsMainWindow(dir.Write("page.csv", RecorderCsv(600, 3, ThreeLevels, 0)));
    const RECT hit = chart->GetLegendHitRects()[0];
    Move(hit.left + 40, hit.top + 2);
    Press(hit.left + 40, hit.top + 2);
    Release(hit.left + 40, hit.top + 2);
    WaitForTransfer(TRANSFER_PREPARED);

    delete chart;
    chart = nullptr;
    EXPECT_EQ(manager->GetPlotWidth(), 0);
    // A preparation after the chart is gone must not read its flags or layers.
    manager->RequestPrepare();
    WaitForTransfer(TRANSFER_PREPARED);
    int step = 0;
    const std::vector<CSampleArray>& series = *manager->GetDisplaySeries(&step);
    ASSERT_EQ(series.size(), 3u);
    EXPECT_FALSE(series[0].empty()) << "no flags: every channel counts as shown";
}

}  // namespace
