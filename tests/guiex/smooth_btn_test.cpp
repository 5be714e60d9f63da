#include "guiex/smooth_btn.h"

#include "guiex/image_resources.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>

using namespace COM_GUI_EX;

namespace {

class CountingBtn : public CGUIEXSmoothBtn {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        CGUIEXSmoothBtn::paintEvent(event);
    }
};

// A parent painting itself flat green and counting its paints.
class FlatParent : public QWidget {
public:
    FlatParent() { resize(200, 60); }
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), QColor(10, 200, 30));
    }
};

std::string Pixel(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y)).name().toStdString();
}

// The main window's first button: normal image 293, hover image 292, 108 × 30 at (8, 8).
const RECT kRect{8, 8, 116, 38};

}  // namespace

TEST(CGUIEXSmoothBtn, CreateImageForm)
{
    FlatParent parent;
    CGUIEXSmoothBtn btn;
    EXPECT_EQ(btn.GetStyleCount(), 1);
    ASSERT_TRUE(btn.Create("", kRect, &parent, 1615, RT_PNG, 293, 0, 292, 0, 0));
    EXPECT_EQ(btn.geometry(), QRect(8, 8, 108, 30));
    EXPECT_FALSE(btn.isHidden());
    EXPECT_EQ(btn.GetDlgCtrlID(), 1615u);

    QImage *normal = nullptr, *hover = nullptr;
    ASSERT_TRUE(LoadImageResource(293, RT_PNG, &normal) && LoadImageResource(292, RT_PNG, &hover));
    const std::unique_ptr<QImage> n(normal), h(hover);
    for (int key = 0; key <= 4; ++key) {
        const CControlStyle* style = btn.GetStyle(key);
        ASSERT_TRUE(style && style->GetImage()) << "key " << key;
        EXPECT_EQ(*style->GetImage(), key == 2 ? *hover : *normal) << "key " << key;
        EXPECT_EQ(style->GetImageMode(), IMAGE_MODE_STRETCH) << "key " << key;
    }

    EXPECT_FALSE(btn.Create("", kRect, &parent, 1, RT_PNG, 293, 0, 0, 0, 0)) << "made once";
    CGUIEXSmoothBtn orphan;
    EXPECT_FALSE(orphan.Create("", kRect, nullptr, 1, RT_PNG, 293, 0, 0, 0, 0));
    EXPECT_EQ(orphan.GetStyleCount(), 1) << "failed creation adds no styles";
    CGUIEXSmoothBtn untyped;
    ASSERT_TRUE(untyped.Create("Go", kRect, &parent, 2, nullptr, 293, 292, 292, 292, 292));
    EXPECT_EQ(untyped.text(), QStringLiteral("Go"));
    EXPECT_EQ(untyped.GetStyle(2)->GetImage(), nullptr);
    EXPECT_EQ(untyped.GetStyle(2)->GetImageMode(), 0u);

    // A click emits with the command id readable; a disabled button does not.
    QSignalSpy clicked(&btn, &QAbstractButton::clicked);
    QTest::mouseClick(&btn, Qt::LeftButton, Qt::NoModifier, QPoint(50, 15));
    btn.setEnabled(false);
    QTest::mouseClick(&btn, Qt::LeftButton, Qt::NoModifier, QPoint(50, 15));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(CGUIEXSmoothBtn, CreateDefaultColours)
{
    FlatParent parent;
    for (int flag : {0, 1}) {
        CGUIEXSmoothBtn btn;
        ASSERT_TRUE(btn.CreateDefault("OK", kRect, &parent, 7, flag));
        const struct {
            int key;
            COLORREF back, border, text;
        } expected[] = {
            {0, 0xC8D0D4, 0x808080, 0x000000}, {1, 0xD2BDB6, 0x6A240A, 0xFFFFFF},
            {2, 0xD2BDB6, 0x6A240A, 0x000000}, {3, 0xC8D0D4, 0x808080, 0x666666},
            {4, 0xC8D0D4, 0x808080, 0x000000},
        };
        for (const auto& e : expected) {
            const CControlStyle* s = btn.GetStyle(e.key);
            EXPECT_EQ(s->GetBackColor(), e.back) << "flag " << flag << " key " << e.key;
            EXPECT_EQ(s->GetBorderColor(), e.border) << "flag " << flag << " key " << e.key;
            EXPECT_EQ(s->GetTextColor(), e.text) << "flag " << flag << " key " << e.key;
            EXPECT_TRUE(std::string(s->GetFontFace()) == "黑体" && s->GetFontSize() == 9);
            EXPECT_EQ(s->GetTextOffset(), QPoint(1, flag ? 2 : 0)) << "flag " << flag;
        }
        const QImage image = btn.grab().toImage();
        EXPECT_EQ(Pixel(image, 0, 0), "#808080") << "frame";
        EXPECT_EQ(Pixel(image, 107, 29), "#808080") << "frame";
        EXPECT_EQ(Pixel(image, 3, 3), "#d4d0c8") << "face";
    }
}

TEST(CGUIEXSmoothBtn, PaintShowsTheStateKeyAndRestoresTheCurrentOne)
{
    // Each key gets its own face colour; the painted colour tells which key drew.
    const QColor colours[5] = {Qt::white, Qt::red, Qt::green, Qt::blue, Qt::yellow};
    struct Case {
        const char* name;
        bool disabled, down, checked, hover, focused;
        int key;
    };
    const Case cases[] = {
        {"normal", false, false, false, false, false, 0},
        {"focused", false, false, false, false, true, 4},
        {"hover", false, false, false, true, false, 2},
        {"focused and hovered", false, false, false, true, true, 2},
        {"pressed", false, true, false, false, false, 1},
        {"checked", false, false, true, false, false, 1},
        {"pressed and hovered", false, true, false, true, true, 1},
        {"disabled and hovered", true, false, false, true, false, 3},
        {"disabled and checked", true, false, true, false, false, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CGUIEXSmoothBtn::ChooseStateKey(c.disabled, c.down || c.checked, c.hover, c.focused), c.key)
            << c.name;
        FlatParent parent;
        CGUIEXSmoothBtn btn;
        ASSERT_TRUE(btn.Create("", kRect, &parent, 1, nullptr, 0, 0, 0, 0, 0)) << c.name;
        btn.SetBorderTypeAll(BORDER_NONE);
        for (int key = 0; key < 5; ++key)
            btn.SetBackColor(RGB(colours[key].red(), colours[key].green(), colours[key].blue()), key);
        if (c.focused) {
            parent.show();
            parent.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&parent)) << c.name;
            btn.setFocus();
            ASSERT_TRUE(btn.hasFocus()) << c.name;
        }
        btn.setEnabled(!c.disabled);
        btn.setDown(c.down);
        btn.setCheckable(c.checked);
        btn.setChecked(c.checked);
        if (c.hover)
            btn.OnMouseHover();
        const int before = c.key == 3 ? 4 : 3;  // some other key current before the paint
        ASSERT_TRUE(btn.SetCurrentKey(before));
        EXPECT_EQ(Pixel(btn.grab().toImage(), 54, 15), colours[c.key].name().toStdString()) << c.name;
        EXPECT_EQ(btn.GetCurrentKey(), before) << c.name << ": key restored after the paint";
    }
}

TEST(CGUIEXSmoothBtn, HoverAfterRestingAndLeave)
{
    FlatParent parent;
    CountingBtn btn;
    ASSERT_TRUE(btn.Create("", kRect, &parent, 1615, RT_PNG, 293, 0, 292, 0, 0));
    EXPECT_TRUE(btn.IsTrackingArmed());
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTest::qWait(20);

    QElapsedTimer clock;
    clock.start();
    QTest::mouseMove(&btn, QPoint(50, 15));
    EXPECT_FALSE(btn.IsHovering()) << "no hover before the rest";
    EXPECT_FALSE(btn.IsTrackingArmed());
    const int paintsBefore = btn.paints;
    QCoreApplication::sendPostedEvents();  // pending repaints; the rest timer cannot run
    EXPECT_EQ(btn.paints, paintsBefore) << "entering repaints nothing";
    ASSERT_TRUE(QTest::qWaitFor([&] { return btn.IsHovering(); }, 1000));
    EXPECT_GE(clock.elapsed(), CGUIEXSmoothBtn::kHoverTimeMs);
    EXPECT_TRUE(btn.IsTrackingArmed());
    ASSERT_TRUE(QTest::qWaitFor([&] { return btn.paints > paintsBefore; }, 1000));
    QTest::qWait(20);
    EXPECT_EQ(btn.paints, paintsBefore + 1) << "one hover repaint";

    const int paintsHovered = btn.paints;
    QTest::mouseMove(&parent, QPoint(180, 50));
    EXPECT_FALSE(btn.IsHovering());
    EXPECT_TRUE(btn.IsTrackingArmed());
    ASSERT_TRUE(QTest::qWaitFor([&] { return btn.paints > paintsHovered; }, 1000));
    QTest::qWait(50);
    EXPECT_EQ(btn.paints, paintsHovered + 1) << "one leave repaint";
    EXPECT_FALSE(btn.IsHovering());

    // Leaving before the rest is over: no hover.
    QTest::mouseMove(&btn, QPoint(50, 15));
    QTest::mouseMove(&parent, QPoint(180, 50));
    QTest::qWait(60);
    EXPECT_FALSE(btn.IsHovering());
    EXPECT_TRUE(btn.IsTrackingArmed());
}

TEST(CGUIEXSmoothBtn, ScreenPaintsOverTheParentWithoutRepaintingIt)
{
    FlatParent parent;
    CountingBtn btn;
    ASSERT_TRUE(btn.Create("", kRect, &parent, 1615, RT_PNG, 293, 0, 292, 0, 0));
    btn.SetBorderTypeAll(BORDER_NONE);
    btn.SetTransparentAll(1);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    ASSERT_TRUE(QTest::qWaitFor([&] { return btn.paints > 0; }, 1000));
    const auto screen = [&] { return parent.screen()->grabWindow(parent.winId()).toImage(); };
    const QImage before = screen();
    EXPECT_EQ(Pixel(before, 8, 8), "#0ac81e") << "the parent shows through the image's corner";
    EXPECT_NE(Pixel(before, 60, 20), "#0ac81e");

    const int parentPaints = parent.paints;
    const int paints = btn.paints;
    btn.OnMouseHover();
    ASSERT_TRUE(QTest::qWaitFor([&] { return btn.paints > paints; }, 1000));
    EXPECT_EQ(parent.paints, parentPaints) << "a button repaint leaves the parent alone";
    const QImage after = screen();
    EXPECT_EQ(Pixel(after, 8, 8), "#0ac81e");
    EXPECT_NE(Pixel(after, 60, 20), Pixel(before, 60, 20)) << "hover image on screen";
    btn.OnMouseLeave();
    EXPECT_EQ(Pixel(btn.grab().toImage(), 52, 12), Pixel(before, 60, 20)) << "normal image again";
    for (int key = 0; key <= 4; ++key)
        EXPECT_LE(btn.GetStyle(key)->GetRenderCount(), 1) << "key " << key << ": rendered once at most";
}
