#include "guiex/design_management.h"

#include "guiex/guiex_dc.h"
#include "guiex/image_resources.h"
#include "guiex/smooth_btn.h"
#include "guiex/strings.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

using namespace COM_GUI_EX;

TEST(CDesignManagement, CreatedOnceWithTheTablesFace)
{
    EXPECT_EQ(CDesignManagement::GetInstance(), CDesignManagement::GetInstance());
    CDesignManagement design;
    EXPECT_FALSE(design.IsCreated());
    EXPECT_EQ(design.GetControlFont(), nullptr);

    design.EnsureCreated();
    EXPECT_EQ(design.GetFace(), LoadString(1000));
    EXPECT_EQ(design.GetFontSize(), 10);
    EXPECT_EQ(design.GetHandCursor(), Qt::PointingHandCursor);
    const QFont* font = design.GetControlFont();
    ASSERT_NE(font, nullptr);
    QFont expected;
    MakeFont(&expected, "黑体", 10);
    EXPECT_EQ(*font, expected);

    // Later calls of every kind reuse the one font.
    QLineEdit edit, other;
    design.EnsureCreated();
    design.ApplyControlFont(&edit);
    design.ApplyControlFont(&other);
    design.ApplyControlFont(&edit);
    EXPECT_EQ(design.GetControlFont(), font);
    EXPECT_EQ(edit.font(), *font);
    EXPECT_EQ(edit.font().pointSize(), 10);
    EXPECT_EQ(other.font(), *font);

    CGUIEXDC dc(nullptr, 10, 10), reference(nullptr, 10, 10);
    dc.SetFont("Sans", 30);
    design.ApplySurfaceFont(&dc);
    reference.SetFont("黑体", 10);
    EXPECT_EQ(dc.GetFont(), reference.GetFont());
}

TEST(CDesignManagement, ApplyButtonLookIsIdempotent)
{
    struct FlatParent : QWidget {
        void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(10, 200, 30)); }
    } parent;
    parent.resize(300, 100);
    CGUIEXSmoothBtn btn;
    ASSERT_TRUE(btn.Create("", RECT{8, 8, 116, 38}, &parent, 1615, RT_PNG, 293, 0, 292, 0, 0));
    CDesignManagement design;
    design.ApplyButtonLook(&btn);
    const QFont* font = design.GetControlFont();
    ASSERT_NE(font, nullptr) << "the first application creates the font";
    const QImage first = btn.grab().toImage();

    design.ApplyButtonLook(&btn);
    EXPECT_EQ(design.GetControlFont(), font);
    for (int key = 0; key <= 4; ++key) {
        EXPECT_EQ(btn.GetStyle(key)->GetBorderType(), BORDER_NONE) << "key " << key;
        EXPECT_EQ(btn.GetStyle(key)->GetTransparent(), 1) << "key " << key;
    }
    EXPECT_EQ(btn.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(parent.cursor().shape(), Qt::ArrowCursor) << "only the button gets the hand";
    EXPECT_EQ(btn.grab().toImage(), first) << "a second application changes nothing";
    EXPECT_EQ(QColor(first.pixel(0, 0)), QColor(10, 200, 30)) << "parent through the corner, no frame";
}

TEST(CDesignManagement, ProcessInstanceOutlivesTheApplicationObject)
{
    // The program's instance goes with the other statics, after the application
    // object: its font, once used for drawing, must still be released cleanly.
    CDesignManagement* design = CDesignManagement::GetInstance();
    QLineEdit edit(QStringLiteral("通道01"));
    design->ApplyControlFont(&edit);
    edit.resize(120, 30);
    EXPECT_FALSE(edit.grab().toImage().isNull());
}
