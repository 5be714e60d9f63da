#include "guiex/control_style.h"

#include "guiex/guiex_dc.h"
#include "guiex/image_resources.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QWidget>

#include <cstdlib>
#include <functional>

using namespace COM_GUI_EX;

namespace {

// Draws into a fresh surface of the control's size and returns the pixels.
template <class S>
QImage DrawInto(S* style, QWidget* control)
{
    CGUIEXDC target(nullptr, control->width(), control->height());
    target.FillSolid(RGB(1, 2, 3));
    style->Draw(&target, control);
    return *target.GetMemDC();
}

int Count(const QImage& image, const std::function<bool(QColor)>& match, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += match(QColor(image.pixel(x, y)));
    return n;
}

std::function<bool(QColor)> Is(QColor c)
{
    return [c](QColor p) { return p.rgb() == c.rgb(); };
}

}  // namespace

TEST(FitImageSize, CoverAndContain)
{
    struct Case {
        const char* name;
        QSize image, client, cover, contain;
    };
    const Case cases[] = {
        {"wide image, square client", {200, 100}, {100, 100}, {200, 100}, {100, 50}},
        {"tall image, 17.17 rounds down", {100, 300}, {50, 50}, {50, 150}, {17, 50}},
        {"same aspect", {180, 50}, {108, 30}, {108, 30}, {108, 30}},
        {"28.27 rounds down", {180, 50}, {100, 100}, {360, 100}, {100, 28}},
        {"0.5 rounds up", {4, 1}, {2, 2}, {8, 2}, {2, 1}},
        {"image without pixels", {0, 0}, {10, 10}, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitImageSize(c.image, c.client, FitMode::Cover), c.cover) << c.name;
        EXPECT_EQ(FitImageSize(c.image, c.client, FitMode::Contain), c.contain) << c.name;
    }
}

TEST(CControlStyle, BorderTypesAndBevel)
{
    QPoint light[6], dark[6];
    BevelPolygons(20, 10, 1, light, dark);
    const QPoint wantLight[6] = {{0, 0}, {19, 0}, {18, 1}, {1, 1}, {1, 8}, {0, 9}};
    const QPoint wantDark[6] = {{0, 9}, {19, 9}, {19, 0}, {18, 1}, {18, 8}, {1, 8}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(light[i], wantLight[i]) << "light point " << i;
        EXPECT_EQ(dark[i], wantDark[i]) << "dark point " << i;
    }

    // Grey 128 frame on a grey 192 face of 20 × 10. The bevel lightens (white at
    // alpha 80: 168) the frame's top row and left column and darkens (black at alpha
    // 80: 132) the pixels just inside its right column and bottom row.
    struct Case {
        const char* name;
        int type, face, frame, lightened, darkened;
    };
    const Case cases[] = {
        {"none", BORDER_NONE, 200, 0, 0, 0},
        {"frame: the 56 outermost pixels", BORDER_FRAME, 144, 56, 0, 0},
        {"bevel", BORDER_BEVEL, 144 - 25, 56 - 27, 19 + 8, 18 + 7},
        {"unknown type", 3, 200, 0, 0, 0},
    };
    QWidget control;
    control.resize(20, 10);
    for (const Case& c : cases) {
        CControlStyle style;
        style.SetBackColor(RGB(192, 192, 192));
        style.SetBorderColor(RGB(128, 128, 128));
        style.SetBorderType(c.type);
        const QImage face = DrawInto(&style, &control);
        EXPECT_EQ(Count(face, [](QColor p) { return p.red() == 192; }), c.face) << c.name;
        EXPECT_EQ(Count(face, [](QColor p) { return p.red() == 128; }), c.frame) << c.name;
        EXPECT_EQ(Count(face, [](QColor p) { return std::abs(p.red() - 168) <= 2; }), c.lightened) << c.name;
        EXPECT_EQ(Count(face, [](QColor p) { return std::abs(p.red() - 132) <= 2; }), c.darkened) << c.name;
    }
}

TEST(CControlStyle, ImageModes)
{
    // Image 293 (180 × 50) in 100 × 100 on magenta, drawn from the top-left corner:
    // the rows and columns it reaches show its drawn size.
    struct Case {
        unsigned mode;
        int rows, columns;
    };
    const Case cases[] = {
        {0, 50, 100},  {1, 100, 100}, {2, 100, 100}, {3, 28, 100},
        {4, 100, 100}, {5, 100, 100}, {6, 28, 100},  {7, 0, 0},
    };
    QWidget control;
    control.resize(100, 100);
    const auto notMagenta = [](QColor p) { return p != QColor(255, 0, 255); };
    for (const Case& c : cases) {
        CControlStyle style;
        style.SetBorderType(BORDER_NONE);
        style.SetBackColor(RGB(255, 0, 255));
        ASSERT_NE(style.SetImage(293, RT_PNG), nullptr);
        style.SetImageMode(c.mode);
        const QImage face = DrawInto(&style, &control);
        int rows = 0, columns = 0;
        for (int i = 0; i < 100; ++i) {
            rows += Count(face, notMagenta, QRect(0, i, 100, 1)) > 0;
            columns += Count(face, notMagenta, QRect(i, 0, 1, 100)) > 0;
        }
        EXPECT_EQ(rows, c.rows) << "mode " << c.mode;
        EXPECT_EQ(columns, c.columns) << "mode " << c.mode;
    }
    CControlStyle missing;
    EXPECT_EQ(missing.SetImage(99999, RT_PNG), nullptr);
}

TEST(CControlStyle, FaceIsRenderedOnlyWhenDirty)
{
    struct Case {
        const char* name;
        std::function<void(CControlStyle&)> change;
        int renders;  // after: draw, draw, change, draw, change, draw
    };
    const Case cases[] = {
        {"same background twice", [](CControlStyle& s) { s.SetBackColor(RGB(255, 0, 0)); }, 2},
        {"same border colour twice", [](CControlStyle& s) { s.SetBorderColor(RGB(0, 255, 0)); }, 2},
        {"same border type twice", [](CControlStyle& s) { s.SetBorderType(BORDER_BEVEL); }, 2},
        {"same text colour twice", [](CControlStyle& s) { s.SetTextColor(RGB(9, 9, 9)); }, 2},
        {"same image mode twice", [](CControlStyle& s) { s.SetImageMode(IMAGE_MODE_CONTAIN); }, 2},
        {"same face twice", [](CControlStyle& s) { s.SetFontFace("Sans"); }, 2},
        {"same size twice", [](CControlStyle& s) { s.SetFontSize(12); }, 2},
        {"same offset twice", [](CControlStyle& s) { s.SetTextOffset(0, 3); }, 2},
        {"initial background again", [](CControlStyle& s) { s.SetBackColor(0xFFFFFF); }, 1},
        {"parent background on twice", [](CControlStyle& s) { s.SetTransparent(1); }, 3},
        {"same image twice", [](CControlStyle& s) { s.SetImage(293, RT_PNG); }, 3},
        {"first auxiliary values", [](CControlStyle& s) { s.SetAuxValues(1, 2, 3); }, 1},
    };
    QWidget control;
    control.resize(30, 20);
    for (const Case& c : cases) {
        CControlStyle style;
        DrawInto(&style, &control);
        const CGUIEXDC* face = style.GetFace();
        DrawInto(&style, &control);
        EXPECT_EQ(style.GetFace(), face) << c.name << ": a clean face is only copied";
        c.change(style);
        DrawInto(&style, &control);
        c.change(style);
        DrawInto(&style, &control);
        EXPECT_EQ(style.GetRenderCount(), c.renders) << c.name;
    }

    CControlStyle style;
    DrawInto(&style, &control);
    style.SetAuxValues(1, 2, 3);
    EXPECT_FALSE(style.IsDirty()) << "first store of the auxiliary values";
    style.SetAuxValues(1, 2, 4);
    EXPECT_TRUE(style.IsDirty()) << "a later change";

    // A size change alone keeps the face, at its old size.
    control.resize(60, 40);
    DrawInto(&style, &control);
    DrawInto(&style, &control);
    EXPECT_EQ(style.GetRenderCount(), 2);
    control.resize(10, 10);
    DrawInto(&style, &control);
    EXPECT_EQ(style.GetFace()->GetSize(), QSize(60, 40));
}

TEST(CControlStyle, Caption)
{
    // Ink: dark pixels of black text on the white face, for each text and offset.
    const auto ink = [](const char* text, int size, QPoint offset) {
        QPushButton control(QString::fromUtf8(text));
        control.resize(80, 40);
        CControlStyle style;
        style.SetBorderType(BORDER_NONE);
        style.SetFontSize(size);
        style.SetTextOffset(offset.x(), offset.y());
        const QImage face = DrawInto(&style, &control);
        QRect bounds;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 80; ++x)
                if (QColor(face.pixel(x, y)).value() < 100)
                    bounds |= QRect(x, y, 1, 1);
        return bounds;
    };
    const QRect centred = ink("OK", 10, {0, 0});
    ASSERT_FALSE(centred.isNull());
    EXPECT_LE(std::abs(centred.left() - (79 - centred.right())), 2) << "centred across";
    EXPECT_LE(std::abs(centred.top() - (39 - centred.bottom())), 3) << "centred down";
    EXPECT_EQ(ink("OK", 10, {5, 7}), centred.translated(5, 7)) << "offset";
    EXPECT_TRUE(ink("", 10, {0, 0}).isNull()) << "empty text: no caption";
    EXPECT_TRUE(ink("OK", 0, {0, 0}).isNull()) << "size 0 makes no font";
}

TEST(CControlMultiStyle, KeysAndCurrentStyle)
{
    CControlMultiStyle set;
    EXPECT_EQ(set.GetStyleCount(), 1);
    EXPECT_EQ(set.GetCurrentKey(), 0);
    EXPECT_FALSE(set.AddStyle(0));
    EXPECT_TRUE(set.AddStyle(5));
    EXPECT_EQ(set.GetStyleCount(), 2);

    EXPECT_EQ(set.GetStyle(7), nullptr);
    EXPECT_EQ(set.SetImage(293, RT_PNG, 7), nullptr);

    set.SetBorderTypeAll(BORDER_NONE);
    set.SetBackColor(RGB(255, 0, 0), 5);
    EXPECT_EQ(set.GetStyle(0)->GetBackColor(), 0xFFFFFFu);
    ASSERT_TRUE(set.SetCurrentKey(5));
    EXPECT_FALSE(set.SetCurrentKey(7));

    QWidget control;
    control.resize(20, 20);
    EXPECT_EQ(Count(DrawInto(&set, &control), Is(Qt::red)), 400) << "key 5 stays current";
    // Each style keeps its face: switching back and forth renders nothing new.
    set.SetCurrentKey(0);
    EXPECT_EQ(Count(DrawInto(&set, &control), Is(Qt::white)), 400);
    set.SetCurrentKey(5);
    DrawInto(&set, &control);
    EXPECT_EQ(set.GetStyle(5)->GetRenderCount(), 1);
    EXPECT_EQ(set.GetStyle(0)->GetRenderCount(), 1);

    set.SetAuxValues(1, 2, 3);
    set.SetAuxValues(1, 2, 4);
    EXPECT_TRUE(set.GetStyle(0)->IsDirty() && set.GetStyle(5)->IsDirty());
}

TEST(CControlMultiStyle, ParentBackgroundIsSnapshotAtTheFirstDraw)
{
    // The parent paints its left half blue and its right half in a chosen colour.
    struct TwoTone : QWidget {
        QColor right = Qt::green;
        void paintEvent(QPaintEvent*) override
        {
            QPainter p(this);
            p.fillRect(0, 0, 100, height(), Qt::blue);
            p.fillRect(100, 0, width() - 100, height(), right);
        }
    } parent;
    parent.resize(200, 100);
    QWidget control(&parent);
    control.setGeometry(90, 10, 40, 30);  // straddles x = 100
    CControlMultiStyle set;
    set.SetBorderTypeAll(BORDER_NONE);
    set.SetTransparentAll(1);

    QImage image = DrawInto(&set, &control);
    EXPECT_EQ(Count(image, Is(Qt::blue)), 10 * 30);
    EXPECT_EQ(Count(image, Is(Qt::green)), 30 * 30);

    // Not refreshed: a face rendered again shows the parent as it was.
    parent.right = Qt::yellow;
    set.SetTransparentAll(1);
    EXPECT_EQ(Count(DrawInto(&set, &control), Is(Qt::green)), 30 * 30);

    // A style added later has no snapshot and reads the parent itself.
    ASSERT_TRUE(set.AddStyle(1));
    set.SetBorderTypeAll(BORDER_NONE);
    set.SetTransparentAll(1);
    set.SetCurrentKey(1);
    EXPECT_EQ(Count(DrawInto(&set, &control), Is(Qt::yellow)), 30 * 30);
}
