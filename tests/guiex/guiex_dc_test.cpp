#include "guiex/guiex_dc.h"
#include "guiex/image_resources.h"

#include <QFile>
#include <QFontDatabase>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <thread>
#include <vector>

using namespace COM_GUI_EX;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRedPixel = 0xFFFF0000;
constexpr COLORREF kRed = RGB(255, 0, 0);

// A white surface with pixel counting.
struct Surface {
    explicit Surface(int w = 100, int h = 100, const QPaintDevice* ref = nullptr) : dc(ref, w, h)
    {
        dc.FillSolid(RGB(255, 255, 255));
    }
    QRgb At(int x, int y) const { return dc.GetMemDC()->pixel(x, y); }
    int Count(const std::function<bool(QRgb)>& is) const
    {
        int n = 0;
        for (int y = 0; y < dc.GetSize().height(); ++y)
            for (int x = 0; x < dc.GetSize().width(); ++x)
                n += is(At(x, y)) ? 1 : 0;
        return n;
    }
    int Changed() const { return Count([](QRgb p) { return p != kWhite; }); }
    QRect Ink() const  // bounding box of the pixels that are no longer white
    {
        QRect box;
        for (int y = 0; y < dc.GetSize().height(); ++y)
            for (int x = 0; x < dc.GetSize().width(); ++x)
                box |= At(x, y) != kWhite ? QRect(x, y, 1, 1) : QRect();
        return box;
    }
    CGUIEXDC dc;
};

}  // namespace

TEST(GuiexDc, FillsCoverExactlyTheirPixelRectangles)
{
    struct Case { const char* name; RECT rect; int alphaFilled; int solidFilled; };
    const Case cases[] = {
        {"10x10", {10, 20, 20, 30}, 81, 100}, {"1 wide", {10, 20, 11, 30}, 0, 10},
        {"1 high", {10, 20, 20, 21}, 0, 10},  {"over the corner", {-5, -5, 5, 5}, 16, 25},
        {"inverted", {20, 20, 10, 10}, 0, 0},
    };
    for (const Case& c : cases) {
        Surface alpha, solid;
        alpha.dc.FillAlphaRect(&c.rect, kRed, 255);
        solid.dc.FillSolidRect(&c.rect, kRed);
        EXPECT_EQ(alpha.Changed(), c.alphaFilled) << c.name;
        EXPECT_EQ(solid.Changed(), c.solidFilled) << c.name;
        if (c.alphaFilled > 0) {
            EXPECT_EQ(alpha.Ink().bottomRight(), QPoint(c.rect.right - 2, c.rect.bottom - 2)) << c.name;
            EXPECT_EQ(solid.Ink().bottomRight(), QPoint(c.rect.right - 1, c.rect.bottom - 1)) << c.name;
        }
    }
    Surface s;
    const RECT rc{0, 0, 10, 10};
    s.dc.FillAlphaRect(&rc, RGB(0, 0, 0), 144);  // blends over white
    EXPECT_NEAR(qRed(s.At(3, 3)), 255 - 144, 1);
    s.dc.FillSolid(RGB(0x12, 0x34, 0x56));  // COLORREF is 0x00BBGGRR
    EXPECT_EQ(s.At(0, 0), qRgb(0x12, 0x34, 0x56));
}

TEST(GuiexDc, DrawLineLeavesOutTheEndPointInEveryDirection)
{
    struct Case { const char* name; int x1, y1, x2, y2, pixels; };
    const Case cases[] = {
        {"down", 5, 2, 5, 12, 10},         {"up", 5, 12, 5, 2, 10},          {"right", 2, 7, 12, 7, 10},
        {"left", 12, 7, 2, 7, 10},         {"diagonal", 2, 3, 12, 8, 10},    {"reverse", 12, 8, 2, 3, 10},
        {"steep", 30, 10, 33, 40, 30},     {"point", 4, 4, 4, 4, 0},         {"far off", -9000, 50, 9000, 50, 100},
    };
    for (const Case& c : cases) {
        Surface s;
        s.dc.DrawLine(c.x1, c.y1, c.x2, c.y2, kRed, 1, PS_SOLID);
        EXPECT_EQ(s.Changed(), c.pixels) << c.name;
        if (c.pixels > 0 && c.x1 >= 0) {
            EXPECT_EQ(s.At(c.x1, c.y1), kRedPixel) << c.name << ": start";
            EXPECT_EQ(s.At(c.x2, c.y2), kWhite) << c.name << ": end";
        }
    }
    Surface s;
    s.dc.DrawLine(5, 2, 5, 12, kRed, 1, PS_SOLID);
    EXPECT_EQ(s.Ink(), QRect(5, 2, 1, 10));

    const RECT below{0, 0, 100, 10};  // the gaps of a dotted line show this
    s.dc.FillSolidRect(&below, RGB(0, 0, 255));
    s.dc.DrawLine(0, 5, 40, 5, kRed, 1, PS_DOT);
    int drawn = 0, gaps = 0;
    for (int x = 0; x < 41; ++x) {
        drawn += s.At(x, 5) == kRedPixel ? 1 : 0;
        gaps += s.At(x, 5) == qRgb(0, 0, 255) ? 1 : 0;
    }
    EXPECT_EQ(s.At(0, 5), kRedPixel);
    EXPECT_GE(gaps, 11);
    EXPECT_EQ(drawn + gaps, 41);

    // Dots are three pixels on, three off, counted from the start point along the
    // line, upwards as well as to the right.
    s.dc.DrawLine(60, 40, 60, 0, kRed, 1, PS_DOT);
    for (int k = 0; k < 40; ++k) {
        EXPECT_EQ(s.At(k, 5) == kRedPixel, k % 6 < 3) << "x " << k;
        EXPECT_EQ(s.At(60, 40 - k) == kRedPixel, k % 6 < 3) << "y " << 40 - k;
    }
}

TEST(GuiexDc, FrameRectOutlinesTheInclusivePixels)
{
    struct Case { int width; QRect ink; int pixels; };
    for (const Case& c : {Case{1, QRect(10, 10, 10, 5), 26}, Case{3, QRect(9, 9, 12, 7), 78}}) {
        Surface s;
        const RECT rc{10, 10, 20, 15};
        s.dc.DrawFrameRect(&rc, kRed, c.width);
        EXPECT_EQ(s.Ink(), c.ink) << "width " << c.width;
        EXPECT_EQ(s.Changed(), c.pixels) << "width " << c.width;
    }
}

TEST(GuiexDc, SmoothPrimitivesCentreOnPixelCentres)
{
    Surface line;
    line.dc.DrawSmoothLine(10, 20, 60, 20, kRed, 1);
    for (int x = 20; x < 50; ++x)
        EXPECT_TRUE(line.At(x, 20) == kRedPixel && line.At(x, 19) == kWhite && line.At(x, 21) == kWhite) << x;

    Surface poly;
    const QPoint points[] = {{10, 10}, {50, 10}, {50, 50}};
    poly.dc.DrawSmoothPolyline(points, 3, kRed, 2);
    EXPECT_TRUE(poly.At(30, 10) != kWhite && poly.At(50, 30) != kWhite);

    Surface filled, ring;
    filled.dc.FillEllipse(10, 10, 20, 20, kRed);
    ring.dc.DrawEllipse(10, 10, 20, 20, kRed);
    for (const Surface* s : {&filled, &ring}) {  // symmetric about pixel (20, 20)
        EXPECT_EQ(s->Ink().left() + s->Ink().right(), 40);
        EXPECT_EQ(s->Ink().top() + s->Ink().bottom(), 40);
    }
    EXPECT_EQ(filled.At(20, 20), kRedPixel);
    EXPECT_EQ(ring.At(20, 20), kWhite);
}

// One-pixel curves: the ink of a line between pixel centres shares two pixels across
// it, stays on the surface when the line runs off it, and matches the painter's stroke
// in where it lies.
TEST(GuiexDc, ThinCurvesShareTheirInkAndClipAtTheEdges)
{
    const struct {
        const char* name;
        QPoint from, to;
    } cases[] = {
        {"steep down", {10, 5}, {14, 90}},   {"steep up", {30, 90}, {26, 5}},
        {"flat", {5, 40}, {95, 47}},         {"diagonal", {5, 5}, {95, 95}},
        {"off the top", {40, -500}, {45, 50}}, {"off every edge", {-300, 400}, {400, -300}},
    };
    for (const auto& c : cases) {
        Surface thin, thick;
        const QPoint points[] = {c.from, c.to};
        thin.dc.DrawSmoothPolyline(points, 2, kRed, 1);
        thick.dc.DrawSmoothPolyline(points, 2, kRed, 2);  // drawn by the painter
        EXPECT_GT(thin.Changed(), 20) << c.name;
        // Every thin pixel lies inside the thicker stroke's ink box, grown by one pixel.
        const QRect box = thick.Ink().adjusted(-1, -1, 1, 1);
        EXPECT_TRUE(box.contains(thin.Ink())) << c.name;
    }
    // A steep line puts at most two inked pixels in each row it crosses.
    Surface steep;
    const QPoint points[] = {{20, 0}, {27, 99}};
    steep.dc.DrawSmoothPolyline(points, 2, kRed, 1);
    for (int y = 1; y < 99; ++y) {
        int inked = 0;
        for (int x = 0; x < 100; ++x)
            inked += steep.At(x, y) != kWhite;
        EXPECT_GE(inked, 1) << "row " << y;
        EXPECT_LE(inked, 2) << "row " << y;
    }
}

// End points anywhere in int draw the part of the line that crosses the surface,
// without overflowing on the way.
TEST(GuiexDc, ThinCurvesTakeEndPointsAnywhereInInt)
{
    const struct {
        QPoint from, to;
        QPoint inked;
    } cases[] = {
        {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {50, 50}},
        {{INT_MIN, 50}, {INT_MAX, 50}, {50, 50}},
        {{50, INT_MAX}, {50, INT_MIN}, {50, 50}},
        {{INT_MAX, 20}, {INT_MIN, 20}, {70, 20}},
    };
    for (const auto& c : cases) {
        Surface s;
        const QPoint points[] = {c.from, c.to};
        s.dc.DrawSmoothPolyline(points, 2, kRed, 1);
        EXPECT_NE(s.At(c.inked.x(), c.inked.y()), kWhite) << c.inked.x() << "," << c.inked.y();
    }
}

// A batch of crossing, overlapping curves, each over the ones before it, comes out
// the same on a surface that ends at the curves' lowest row and on a taller one: the
// clipping at an edge leaves every other pixel of the picture as it is.
TEST(GuiexDc, CurvesDrawTheSamePixelsOnAnyHeight)
{
    std::vector<std::vector<QPoint>> curves(6);
    uint32_t state = 7;
    for (std::vector<QPoint>& curve : curves) {
        for (int x = 0; x < 200; x += 1 + static_cast<int>(state % 3)) {
            state = state * 1103515245u + 12345u;
            curve.emplace_back(x, static_cast<int>(state >> 16) % 63);
        }
    }
    const COLORREF colors[] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255), RGB(200, 100, 0), RGB(0, 0, 0),
                               RGB(120, 0, 200)};
    std::vector<CGUIEXPolyline> batch;
    for (size_t i = 0; i < curves.size(); ++i)
        batch.push_back({curves[i].data(), static_cast<int>(curves[i].size()), colors[i]});

    Surface whole(200, 63), taller(200, 100);
    whole.dc.DrawSmoothPolylines(batch, 1);
    taller.dc.DrawSmoothPolylines(batch, 1);
    for (int y = 0; y < 63; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(whole.At(x, y), taller.At(x, y)) << "pixel " << x << "," << y;
    EXPECT_EQ(taller.Ink().bottom(), 62);
}

// A steep line and the same line mirrored across the diagonal (a flat one) step along
// their long axis alike, so over mirrored backgrounds their pictures must mirror each
// other exactly: steps of steep lines blend their two pixels together, flat lines one
// by one.
TEST(GuiexDc, SteepLinesBlendLikeFlatOnes)
{
    Surface steep(120, 120), flat(120, 120);
    uint32_t state = 11;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 120; ++x) {
            state = state * 1103515245u + 12345u;
            const QRgb background = 0xFF000000u | (state >> 8);
            steep.dc.GetMemDC()->setPixel(x, y, background);
            flat.dc.GetMemDC()->setPixel(y, x, background);
        }
    }
    std::vector<QPoint> steepPoints, flatPoints;
    for (int i = 0; i < 40; ++i) {
        state = state * 1103515245u + 12345u;
        const int x = -5 + static_cast<int>(state >> 16) % 130;
        steepPoints.emplace_back(x, i % 2 == 0 ? -10 : 130);  // steep, some running off an edge
        flatPoints.emplace_back(steepPoints.back().y(), x);
    }
    steep.dc.DrawSmoothPolyline(steepPoints.data(), static_cast<int>(steepPoints.size()), RGB(30, 160, 220), 1);
    flat.dc.DrawSmoothPolyline(flatPoints.data(), static_cast<int>(flatPoints.size()), RGB(30, 160, 220), 1);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(steep.At(x, y), flat.At(y, x)) << "pixel " << x << "," << y;
}

TEST(GuiexDc, GradientsRunOverTheWidenedBrush)
{
    // Sampled at pixel centres, the horizontal brush (one pixel wider on each side)
    // puts the 10 columns at 1/12 .. 10/12 of the way; vertically the rows run from 0 to 1.
    Surface h, v;
    const RECT rc{10, 10, 20, 20};
    h.dc.FillGradientH(&rc, kRed, RGB(0, 0, 255), 255);
    v.dc.FillGradientV(&rc, kRed, RGB(0, 0, 255), 255);
    EXPECT_EQ(h.Ink(), QRect(10, 10, 10, 10));
    EXPECT_EQ(v.Ink(), QRect(10, 10, 10, 10));
    EXPECT_NEAR(qRed(h.At(10, 15)), 255 * 11 / 12, 3);
    EXPECT_NEAR(qBlue(h.At(19, 15)), 255 * 10 / 12, 3);
    EXPECT_NEAR(qRed(v.At(15, 10)), 255, 3);
    EXPECT_NEAR(qBlue(v.At(15, 19)), 255, 3);
    for (int i = 11; i < 20; ++i)
        EXPECT_TRUE(qRed(h.At(i, 15)) < qRed(h.At(i - 1, 15)) && qRed(v.At(15, i)) < qRed(v.At(15, i - 1))) << i;
}

// The scroll thumb's fill: the top row is the first colour, the bottom row the last,
// wherever the rectangle lies and however high it is.
TEST(GuiexDc, VerticalGradientStartsAndEndsOnItsRows)
{
    const QRgb top = qRgb(0xCC, 0xCC, 0xCC);
    const QRgb bottom = qRgb(0xA1, 0xC3, 0xEC);  // COLORREF 0xECC3A1
    for (const RECT rc : {RECT{22, 510, 1072, 520}, RECT{33, 765, 1608, 780}, RECT{0, 0, 50, 2}}) {
        Surface s(rc.right + 5, rc.bottom + 5);
        s.dc.FillGradientV(&rc, 0xCCCCCC, 0xECC3A1, 255);
        EXPECT_EQ(s.At(rc.left + 7, rc.top), top) << "top of " << rc.top;
        EXPECT_EQ(s.At(rc.left + 7, rc.bottom - 1), bottom) << "bottom of " << rc.top;
        for (int y = rc.top + 1; y < rc.bottom; ++y)
            EXPECT_LT(qRed(s.At(rc.left + 7, y)), qRed(s.At(rc.left + 7, y - 1))) << "row " << y;
    }
}

class GuiexDcText : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFontDatabase::hasFamily("DejaVu Sans"))
            GTEST_SKIP() << "DejaVu Sans is not installed";
    }
};

TEST_F(GuiexDcText, AlignsTheInkInTheBoxAndWrapsUnlessTold)
{
    struct Case { unsigned align; int h; int v; };  // 0 left/top, 1 centre, 2 right/bottom
    const Case cases[] = {{5, 0, 0}, {1, 0, 1}, {8, 1, 2}, {2 | 4, 2, 0}, {0, 1, 1}, {10, 2, 2}};
    const RECT box{100, 60, 300, 140};
    for (const Case& c : cases) {
        Surface s(400, 200);
        s.dc.SetFont("DejaVu Sans", 12, 1);
        s.dc.DrawTextInRect("Hamburg", &box, c.align, 0);
        const QRect ink = s.Ink();
        const int gapX[] = {ink.left() - box.left, 200 - ink.center().x(), box.right - 1 - ink.right()};
        const int gapY[] = {ink.top() - box.top, 100 - ink.center().y(), box.bottom - 1 - ink.bottom()};
        EXPECT_LE(std::abs(gapX[c.h]), 2) << "align " << c.align;
        EXPECT_LE(std::abs(gapY[c.v]), 4) << "align " << c.align;
    }
    const RECT narrow{10, 10, 90, 30};
    Surface wrap(300, 200), once(300, 200), elided(300, 200);
    wrap.dc.DrawTextInRect("one two three four five", &narrow, 5, 0);
    once.dc.DrawTextInRect("one two three four five", &narrow, 5, 1);
    elided.dc.DrawTextInRect("one two three four five", &narrow, 5, COM_GUI_EX::CGUIEXDC::kElideBelow);
    EXPECT_LE(elided.Ink().bottom(), narrow.bottom + 2);
    EXPECT_LE(elided.Ink().right(), narrow.right);
    EXPECT_LE(wrap.Ink().right(), narrow.right);
    EXPECT_GT(wrap.Ink().bottom(), narrow.bottom + 10);  // unclipped
    EXPECT_GT(wrap.Ink().height(), 2 * once.Ink().height());
    EXPECT_GT(once.Ink().right(), narrow.right + 40);
}

TEST_F(GuiexDcText, RotatedTextTurnsClockwiseAboutTheOrigin)
{
    struct Case { float angle; bool right; bool down; };
    for (const Case& c : {Case{0, true, true}, Case{45, true, true}, Case{90, false, true}, Case{180, false, false}}) {
        Surface s(300, 300);
        s.dc.DrawRotatedText("2024/01/01 12:00", 150, 150, c.angle);
        const QRect ink = s.Ink();
        EXPECT_EQ(ink.center().x() > 150, c.right) << c.angle;
        EXPECT_EQ(ink.center().y() > 150, c.down) << c.angle;
        if (c.angle == 45) {  // runs down and to the right from the origin
            EXPECT_TRUE(ink.top() >= 149 && ink.right() > 210 && ink.bottom() > 210) << ink.top();
        }
    }
}

TEST_F(GuiexDcText, TextUsesTheBrushTheReferenceResolutionAndAnyThread)
{
    QImage printer(1, 1, QImage::Format_RGB32);
    printer.setDotsPerMeterX(11811);  // 300 dpi
    printer.setDotsPerMeterY(11811);
    Surface screen(200, 100), hires(600, 300, &printer), worker(200, 100), none;
    EXPECT_EQ(screen.dc.GetMemDC()->logicalDpiX(), 96);
    EXPECT_EQ(hires.dc.GetMemDC()->logicalDpiY(), 300);
    const RECT box{0, 0, 200, 100};
    auto draw = [&box](Surface* s, bool rotated) {
        s->dc.SetFont("DejaVu Sans", 24, 1);
        s->dc.SetBrushColor(kRed);
        s->dc.DrawTextInRect("H", &box, 5, 0);
        if (rotated)
            s->dc.DrawRotatedText("H", 100, 10, 30);
    };
    draw(&screen, false);
    draw(&hires, false);
    EXPECT_GT(screen.Count([](QRgb p) { return p == kRedPixel; }), 20);
    EXPECT_NEAR(double(hires.Ink().height()) / screen.Ink().height(), 300.0 / 96, 0.2);
    screen.dc.DrawRotatedText("H", 100, 10, 30);
    std::thread(draw, &worker, true).join();
    EXPECT_EQ(*worker.dc.GetMemDC(), *screen.dc.GetMemDC());

    none.dc.SetFont("DejaVu Sans", 0);  // no font: text draws nothing
    none.dc.DrawTextInRect("H", &box, 5, 0);
    none.dc.DrawRotatedText("H", 10, 10, 0);
    EXPECT_EQ(none.Changed(), 0);
}

TEST(GuiexDc, SetFontKeepsSizeAndStyleAndFallsBackToSansSerif)
{
    Surface s;
    EXPECT_TRUE(s.dc.GetFont().pointSize() == 10 && !s.dc.GetFont().bold());
    QFont sans;
    sans.setStyleHint(QFont::SansSerif);
    for (int style : {0, 1, 2, 4, 8, 15}) {
        s.dc.SetFont("No Such Family 7", 13, style);
        const QFont& f = s.dc.GetFont();
        EXPECT_EQ(f.family(), sans.defaultFamily()) << style;
        EXPECT_EQ(f.pointSize(), 13) << style;
        EXPECT_EQ(f.bold() + 2 * f.italic() + 4 * f.underline() + 8 * f.strikeOut(), style);
    }
    const QStringList installed = QFontDatabase::families();
    ASSERT_FALSE(installed.isEmpty());
    s.dc.SetFont(installed.last().toUtf8().constData(), 9);
    EXPECT_EQ(s.dc.GetFont().family(), installed.last());
}

TEST(GuiexDc, CopiesMoveTheirOwnSizeIncludingAlpha)
{
    QImage large(40, 30, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            large.setPixel(x, y, qRgb(x * 5, y * 5, 7));
    QImage small(5, 5, QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::transparent);  // replaces, does not blend
    Surface fromLarge(20, 10), fromSmall(20, 10);
    fromLarge.dc.CopyFromDC(&large);
    fromSmall.dc.CopyFromDC(&small);
    EXPECT_EQ(*fromLarge.dc.GetMemDC(), large.copy(0, 0, 20, 10));
    EXPECT_EQ(fromSmall.Count([](QRgb p) { return p == 0; }), 25);
    EXPECT_EQ(fromSmall.Ink(), QRect(0, 0, 5, 5));  // the rest is kept

    QImage target(30, 30, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::blue);
    fromSmall.dc.CopyToDC(&target);
    EXPECT_TRUE(target.pixel(0, 0) == 0 && target.pixel(19, 9) == kWhite);
    EXPECT_TRUE(target.pixel(20, 9) == qRgb(0, 0, 255) && target.pixel(19, 10) == qRgb(0, 0, 255));
}

TEST(GuiexDc, PageUnitScalesOnlyWhenSwitchedOn)
{
    struct Case { int enabled, unit, filled; };  // fills 1 x 1 unit at 96 dpi
    for (const Case& c : {Case{0, 4, 1}, Case{1, 2, 1}, Case{1, 4, 96 * 96}, Case{1, 6, 4 * 4}}) {
        Surface s(200, 200);
        s.dc.SetPageUnit(c.enabled, c.unit);
        const RECT rc{0, 0, 2, 2};
        s.dc.FillAlphaRect(&rc, kRed, 255);
        EXPECT_EQ(s.Changed(), c.filled) << c.enabled << "/" << c.unit;
    }
}

TEST(GuiexDc, SurfaceWithoutPixelsIgnoresEveryCall)
{
    CGUIEXDC missing(nullptr, 9999u, RT_PNG), empty(nullptr, 0, 10);
    EXPECT_EQ(missing.GetSize(), QSize(0, 0));
    QImage target(10, 10, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::blue);
    const RECT rc{0, 0, 5, 5};
    const QPoint points[] = {{0, 0}, {4, 4}};
    for (CGUIEXDC* dc : {&missing, &empty}) {
        EXPECT_EQ(dc->GetMemDC(), nullptr);
        dc->FillSolid(kRed);
        dc->FillSolidRect(&rc, kRed);
        dc->FillAlphaRect(&rc, kRed, 100);
        dc->FillGradientH(&rc, kRed, kRed, 100);
        dc->FillGradientV(&rc, kRed, kRed, 100);
        dc->DrawLine(0, 0, 4, 4, kRed, 1, PS_DOT);
        dc->DrawFrameRect(&rc, kRed, 1);
        dc->DrawSmoothLine(0, 0, 4, 4, kRed, 1);
        dc->DrawSmoothPolyline(points, 2, kRed, 1);
        dc->DrawEllipse(0, 0, 4, 4, kRed);
        dc->FillEllipse(0, 0, 4, 4, kRed);
        dc->DrawTextInRect("x", &rc, 0, 0);
        dc->DrawRotatedText("x", 0, 0, 45);
        dc->CopyFromDC(&target);
        dc->CopyToDC(&target);
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(GuiexDc, ImageSurfaceHoldsTheImage)
{
    if (!QFile::exists(":/png/200.png"))
        GTEST_SKIP() << "image resources are not built in";
    CGUIEXDC dc(nullptr, 200u, RT_PNG);
    ASSERT_NE(dc.GetMemDC(), nullptr);
    EXPECT_EQ(*dc.GetMemDC(), QImage(":/png/200.png").convertToFormat(QImage::Format_ARGB32_Premultiplied));
}
