// The chart's geometry: the areas for a client size at several display scales, the
// legend items, and the thumb arithmetic including sample counts whose products with
// the track width do not fit in 32 bits.
#include "chart/chart_layout.h"
#include "chart/chart_thumb.h"
#include "guiex/parameters_base.h"

#include <gtest/gtest.h>

#include <ostream>

static std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

static bool operator==(const RECT& a, const RECT& b)
{
    return SameRect(a, b);
}

namespace {

class ScaleGuard {
public:
    explicit ScaleGuard(int percentage) { CParametersBase::GetInstance()->SetPercentage(percentage); }
    ~ScaleGuard() { CParametersBase::GetInstance()->SetPercentage(100); }
};

TEST(ChartLayout, AreasFollowTheScaledCells)
{
    const struct {
        int percentage, width, height;
        RECT plot, legend, valueBand, timeBand, track;
    } cases[] = {
        {100, 1200, 600, {22, 70, 1072, 520}, {22, 0, 1072, 70}, {1072, 40, 1200, 521}, {0, 521, 1200, 600},
         {22, 510, 1072, 520}},
        // 35 times the scaled 30 (37), not the scaled 1050 (1312).
        {125, 1500, 750, {27, 95, 1322, 650}, {27, 0, 1322, 95}, {1322, 58, 1500, 651}, {0, 651, 1500, 750},
         {27, 638, 1322, 650}},
        {150, 1800, 900, {33, 105, 1608, 780}, {33, 0, 1608, 105}, {1608, 60, 1800, 781}, {0, 781, 1800, 900},
         {33, 765, 1608, 780}},
    };
    for (const auto& c : cases) {
        ScaleGuard scale(c.percentage);
        const CChartLayout layout = ComputeChartLayout(c.width, c.height);
        EXPECT_EQ(layout.plot, c.plot) << c.percentage << "%";
        EXPECT_EQ(layout.legend, c.legend) << c.percentage << "%";
        EXPECT_EQ(layout.valueBand, c.valueBand) << c.percentage << "%";
        EXPECT_EQ(layout.timeBand, c.timeBand) << c.percentage << "%";
        EXPECT_EQ(layout.track, c.track) << c.percentage << "%";
    }
}

TEST(ChartLayout, LegendItemsInOneOrTwoRows)
{
    const RECT legend{22, 0, 1072, 70};
    const struct {
        const char* name;
        int count, index;
        RECT dot, box, hit;
    } cases[] = {
        {"16 items, first", 16, 0, {34, 15, 46, 27}, {48, 15, 164, 27}, {34, 11, 164, 31}},
        {"16 items, second row second column", 16, 9, {164, 42, 176, 54}, {178, 42, 294, 54}, {164, 38, 294, 58}},
        {"9 items: two rows", 9, 8, {34, 42, 46, 54}, {48, 42, 164, 54}, {34, 38, 164, 58}},
        {"8 items: one row, centred", 8, 7, {944, 29, 956, 41}, {958, 29, 1074, 41}, {944, 25, 1074, 45}},
        {"1 item", 1, 0, {34, 29, 46, 41}, {48, 29, 164, 41}, {34, 25, 164, 45}},
    };
    for (const auto& c : cases) {
        const CLegendItem item = ComputeLegendItem(legend, c.index, c.count);
        EXPECT_EQ(item.dot, c.dot) << c.name;
        EXPECT_EQ(item.name, c.box) << c.name;
        EXPECT_EQ(item.hit, c.hit) << c.name;
    }
}

const RECT kTrack{22, 510, 1072, 520};       // 1050 pixels at 100 %
const RECT kScaledTrack{33, 765, 1608, 780};  // 1575 pixels at 150 %

TEST(ChartThumb, Placement)
{
    const struct {
        const char* name;
        RECT track;
        int timeOrder, first, total, pageCount;
        int left, right, atMinimum;
    } cases[] = {
        {"page inside the file", kTrack, 0, 2000, 5000, 1051, 442, 662, 0},
        {"last page", kTrack, 0, 3949, 5000, 1051, 851, 1071, 0},
        {"whole file on one page", kTrack, 0, 0, 20, 20, 22, 1072, 0},
        {"page larger than the file", kTrack, 0, 5, 20, 30, 22, 1072, 0},
        {"descending, first page at the right", kTrack, 1, 0, 5000, 1051, 852, 1072, 0},
        {"descending, page inside", kTrack, 1, 2000, 5000, 1051, 432, 652, 0},
        {"30-pixel thumb", kTrack, 0, 38949, 40000, 1051, 1044, 1074, 1},
        {"30-pixel thumb, descending", kTrack, 1, 0, 40000, 1051, 1042, 1072, 1},
        // track x first exceeds 2^31: 1050 x 2 500 000.
        {"offset product beyond 32 bits", kTrack, 0, 2500000, 3000000, 1051, 897, 927, 1},
        {"scaled track, offset product beyond 32 bits", kScaledTrack, 0, 1999000000, 2000000000, 1576, 1607, 1637, 1},
        {"scaled track, descending, beyond 32 bits", kScaledTrack, 1, 1500000, 3000000, 1576, 791, 821, 1},
    };
    for (const auto& c : cases) {
        CThumbPlacement placement;
        ASSERT_TRUE(PlaceThumb(c.track, c.timeOrder, c.first, c.total, c.pageCount, &placement)) << c.name;
        EXPECT_EQ(placement.thumb, (RECT{c.left, c.track.top, c.right, c.track.bottom})) << c.name;
        EXPECT_EQ(placement.atMinimum, c.atMinimum) << c.name;
    }

    CThumbPlacement untouched;
    untouched.thumb = RECT{1, 2, 3, 4};
    EXPECT_FALSE(PlaceThumb(kTrack, 0, 0, 0, 1051, &untouched));
    EXPECT_EQ(untouched.thumb, (RECT{1, 2, 3, 4}));
}

TEST(ChartThumb, FirstSampleFromThumb)
{
    const struct {
        const char* name;
        RECT track;
        int left, right, atMinimum, timeOrder, total, pageCount;
        int first;
    } cases[] = {
        {"ascending", kTrack, 751, 971, 0, 0, 5000, 1051, 3471},
        {"the last page ends on the newest sample", kTrack, 852, 1072, 0, 0, 5000, 1051, 3949},
        {"thumb as UpdateThumb placed the last page", kTrack, 851, 1071, 0, 0, 5000, 1051, 3947},
        {"descending counts from the right", kTrack, 752, 972, 0, 1, 5000, 1051, 476},
        {"descending, thumb at the left end", kTrack, 22, 242, 0, 1, 5000, 1051, 3949},
        {"30-pixel thumb at the right end", kTrack, 1042, 1072, 1, 0, 40000, 1051, 38949},
        {"30-pixel thumb in the middle", kTrack, 532, 562, 1, 0, 40000, 1051, 20000},
        {"whole file on one page", kTrack, 22, 1072, 0, 0, 20, 20, 0},
        // offset x total exceeds 2^31: 875 x 3 000 000.
        {"product beyond 32 bits", kTrack, 897, 927, 1, 0, 3000000, 1051, 2573529},
        {"scaled track, product beyond 32 bits", kScaledTrack, 1107, 1137, 1, 0, 2000000000, 1576, 1390291262},
    };
    for (const auto& c : cases) {
        const RECT thumb{c.left, c.track.top, c.right, c.track.bottom};
        EXPECT_EQ(FirstFromThumb(c.track, thumb, c.atMinimum, c.timeOrder, c.total, c.pageCount), c.first) << c.name;
    }
}

}  // namespace
