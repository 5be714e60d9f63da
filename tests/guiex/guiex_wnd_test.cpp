#include "guiex/guiex_wnd.h"

#include "guiex/guiex_dc.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <climits>
#include <string>
#include <utility>

using namespace COM_GUI_EX;

namespace {

// A window whose content is an optional red rectangle; it records its paints.
class ProbeWnd : public CGUIEXWnd {
public:
    void DrawClient(CGUIEXDC* dc, const RECT* client) override
    {
        ++draws;
        lastClient = *client;
        lastSurface = dc->GetSize();
        if (red.right > red.left)
            dc->FillSolidRect(&red, RGB(255, 0, 0));
    }
    void SetScrolling(int horizontal, int vertical)
    {
        m_bHScroll = horizontal;
        m_bVScroll = vertical;
    }
    void SetParentBackground(int on) { m_bParentBkgnd = on; }
    QPoint Offsets() const { return QPoint(m_nXOffset, m_nYOffset); }

    int draws = 0;
    RECT lastClient;
    QSize lastSurface;
    RECT red;
};

// A parent that counts the scroll notifications and paints its left half blue
// and its right half the given colour.
class ParentWidget : public QWidget {
public:
    ParentWidget()
    {
        resize(200, 100);
        setAttribute(Qt::WA_DontShowOnScreen);
    }
    bool event(QEvent* e) override
    {
        if (e->type() == static_cast<QEvent::Type>(WM_GUIEX_CONTENT_SCROLLED))
            ++notifications;
        return QWidget::event(e);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(0, 0, 100, height(), Qt::blue);
        p.fillRect(100, 0, width() - 100, height(), right);
    }

    int notifications = 0;
    QColor right = Qt::green;
};

QImage Grab(QWidget* w)
{
    return w->grab().toImage();
}

// The colour of a pixel as "#rrggbb".
std::string Pixel(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y)).name().toStdString();
}

}  // namespace

TEST(CGUIEXWnd, CreateMakesAVisibleChildAtTheRectangle)
{
    ParentWidget parent;
    ProbeWnd wnd;
    EXPECT_TRUE(wnd.Create(RECT{10, 20, 110, 70}, &parent, 1234));
    EXPECT_EQ(wnd.parentWidget(), &parent);
    EXPECT_EQ(wnd.geometry(), QRect(10, 20, 100, 50));
    EXPECT_FALSE(wnd.isHidden());
    EXPECT_EQ(wnd.GetDlgCtrlID(), 1234u);
    EXPECT_TRUE(wnd.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_TRUE(wnd.testAttribute(Qt::WA_NoSystemBackground));

    ProbeWnd orphan;
    EXPECT_FALSE(orphan.Create(RECT{0, 0, 10, 10}, nullptr, 1));
    EXPECT_EQ(orphan.parentWidget(), nullptr);
}

TEST(CGUIEXWnd, PaintComposesBackgroundAndContent)
{
    struct Case {
        const char* name;
        RECT red;
        QPoint pixel;
        std::string expected;
    };
    const Case cases[] = {
        {"nothing drawn: white", RECT{}, QPoint(0, 0), "#ffffff"},
        {"nothing drawn: white corner", RECT{}, QPoint(99, 49), "#ffffff"},
        {"first pixel inside", RECT{10, 10, 30, 20}, QPoint(10, 10), "#ff0000"},
        {"last pixel inside", RECT{10, 10, 30, 20}, QPoint(29, 19), "#ff0000"},
        {"right edge is exclusive", RECT{10, 10, 30, 20}, QPoint(30, 15), "#ffffff"},
    };
    for (const Case& c : cases) {
        ParentWidget parent;
        ProbeWnd wnd;
        wnd.red = c.red;
        ASSERT_TRUE(wnd.Create(RECT{10, 20, 110, 70}, &parent, 1));
        const QImage image = Grab(&wnd);
        EXPECT_EQ(wnd.draws, 1) << c.name;  // one composition per paint
        EXPECT_EQ(wnd.lastSurface, QSize(100, 50)) << c.name;
        const RECT& r = wnd.lastClient;
        EXPECT_EQ(QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)), QRect(0, 0, 100, 50)) << c.name;
        ASSERT_EQ(image.size(), QSize(100, 50)) << c.name;
        EXPECT_EQ(Pixel(image, c.pixel.x(), c.pixel.y()), c.expected) << c.name;
    }
}

TEST(CGUIEXWnd, NothingIsComposedWithoutParentOrWhileItIsMinimised)
{
    ParentWidget parent;
    ProbeWnd wnd;
    ASSERT_TRUE(wnd.Create(RECT{0, 0, 50, 50}, &parent, 1));
    parent.setWindowState(Qt::WindowMinimized);
    Grab(&wnd);
    EXPECT_EQ(wnd.draws, 0);
    parent.setWindowState(Qt::WindowNoState);
    Grab(&wnd);
    EXPECT_EQ(wnd.draws, 1);

    // A child of a minimised window's descendant draws nothing either.
    QWidget panel(&parent);
    panel.setGeometry(0, 0, 100, 100);
    ProbeWnd inner;
    ASSERT_TRUE(inner.Create(RECT{0, 0, 20, 20}, &panel, 2));
    parent.setWindowState(Qt::WindowMinimized);
    Grab(&inner);
    EXPECT_EQ(inner.draws, 0);

    ProbeWnd orphan;
    orphan.resize(20, 20);
    Grab(&orphan);
    EXPECT_EQ(orphan.draws, 0);
}

TEST(CGUIEXWnd, ParentBackgroundIsSnapshotOnce)
{
    ParentWidget parent;
    ProbeWnd wnd;
    wnd.SetParentBackground(1);
    ASSERT_TRUE(wnd.Create(RECT{90, 10, 130, 40}, &parent, 1));  // straddles x = 100
    QImage image = Grab(&wnd);
    ASSERT_EQ(image.size(), QSize(40, 30));
    EXPECT_EQ(Pixel(image, 0, 0), "#0000ff");
    EXPECT_EQ(Pixel(image, 9, 29), "#0000ff");
    EXPECT_EQ(Pixel(image, 10, 0), "#00ff00");
    EXPECT_EQ(Pixel(image, 39, 29), "#00ff00");
    EXPECT_EQ(wnd.draws, 1);

    // Later paints reuse the first snapshot, whatever the parent shows now.
    parent.right = Qt::yellow;
    image = Grab(&wnd);
    EXPECT_EQ(Pixel(image, 39, 29), "#00ff00");

    // Without a parent nothing is copied into the surface.
    ProbeWnd orphan;
    orphan.resize(8, 8);
    CGUIEXDC dc(nullptr, 8, 8);
    dc.FillSolid(RGB(1, 2, 3));
    const RECT client{0, 0, 8, 8};
    orphan.DrawBackground(&dc, &client);
    EXPECT_EQ(Pixel(*dc.GetMemDC(), 4, 4), "#010203");
}

TEST(CGUIEXWnd, ScrollRequestCodes)
{
    struct Case {
        int code;
        int position;
        int start;
        int expected;
    };
    // Range 0..100 with a page of 10: the last position is 100 - 10 + 1 = 91.
    const Case cases[] = {
        {SB_LINEUP, 0, 50, 49},         {SB_LINEDOWN, 0, 50, 51},
        {SB_PAGEUP, 0, 50, 40},         {SB_PAGEDOWN, 0, 50, 60},
        {SB_THUMBPOSITION, 73, 50, 73}, {SB_THUMBTRACK, 73, 50, 50},
        {SB_TOP, 0, 50, 0},             {SB_BOTTOM, 0, 50, 91},
        {SB_ENDSCROLL, 73, 50, 50},     {99, 73, 50, 50},
        // clamping
        {SB_PAGEUP, 0, 5, 0},           {SB_PAGEDOWN, 0, 85, 91},
        {SB_THUMBPOSITION, 500, 50, 91}, {SB_THUMBPOSITION, -5, 50, 0},
    };
    for (Qt::Orientation bar : {Qt::Horizontal, Qt::Vertical}) {
        for (const Case& c : cases) {
            const std::string name = std::string(bar == Qt::Horizontal ? "H" : "V") + " code "
                                     + std::to_string(c.code) + " from " + std::to_string(c.start);
            ProbeWnd wnd;
            wnd.SetScrollState(bar, CScrollState{0, 100, 10, c.start, 0});
            if (bar == Qt::Horizontal)
                wnd.OnHScroll(c.code, c.position);
            else
                wnd.OnVScroll(c.code, c.position);
            EXPECT_EQ(wnd.GetScrollState(bar).pos, c.expected) << name;
            const Qt::Orientation other = bar == Qt::Horizontal ? Qt::Vertical : Qt::Horizontal;
            EXPECT_EQ(wnd.GetScrollState(other).pos, 0) << name;
        }
    }
}

TEST(CGUIEXWnd, ScrollStateIsValidated)
{
    // min, max, page, pos as set -> as stored
    const std::pair<CScrollState, std::string> cases[] = {
        {{0, 100, 10, 95, 0}, "0 100 10 91"},  // past the last page
        {{0, 100, 0, 100, 0}, "0 100 0 100"},  // no page: the maximum is reachable
        {{0, 9, 50, 5, 0}, "0 9 10 0"},        // page larger than the range
        {{-20, 20, 0, -30, 0}, "-20 20 0 -20"},
        {{10, 5, 0, 7, 0}, "10 10 0 10"},      // maximum below minimum
        {{INT_MIN, INT_MAX, 0, INT_MAX, 0}, "-2147483648 2147483647 0 2147483647"},
    };
    for (const auto& [in, out] : cases) {
        ProbeWnd wnd;
        wnd.SetScrollState(Qt::Vertical, in);
        const CScrollState s = wnd.GetScrollState(Qt::Vertical);
        EXPECT_EQ(std::to_string(s.min) + " " + std::to_string(s.max) + " " + std::to_string(s.page) + " "
                      + std::to_string(s.pos),
                  out);
    }
    // Line steps at the ends of the widest range do not overflow.
    ProbeWnd wnd;
    wnd.SetScrollState(Qt::Horizontal, CScrollState{INT_MIN, INT_MAX, 0, INT_MAX, 0});
    wnd.OnHScroll(SB_LINEDOWN, 0);
    EXPECT_EQ(wnd.GetScrollState(Qt::Horizontal).pos, INT_MAX);
    wnd.OnHScroll(SB_TOP, 0);
    wnd.OnHScroll(SB_LINEUP, 0);
    EXPECT_EQ(wnd.GetScrollState(Qt::Horizontal).pos, INT_MIN);
}

TEST(CGUIEXWnd, ScrollingMovesTheContentOnlyWhenSwitchedOn)
{
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "parent shown" : "parent hidden");
        ParentWidget parent;
        ProbeWnd wnd;
        ASSERT_TRUE(wnd.Create(RECT{0, 0, 100, 80}, &parent, 1));
        QWidget content(&wnd);  // stands for the window's content
        content.setGeometry(20, 30, 10, 10);
        if (shown)
            parent.show();
        const CScrollState bar{0, 100, 10, 0, 0};
        wnd.SetScrollState(Qt::Horizontal, bar);
        wnd.SetScrollState(Qt::Vertical, bar);

        // Both flags off: the box moves, the content does not, the parent hears nothing.
        wnd.OnHScroll(SB_THUMBPOSITION, 10);
        wnd.OnVScroll(SB_PAGEDOWN, 0);
        EXPECT_EQ(wnd.GetScrollState(Qt::Horizontal).pos, 10);
        EXPECT_EQ(wnd.GetScrollState(Qt::Vertical).pos, 10);
        EXPECT_EQ(content.pos(), QPoint(20, 30));
        EXPECT_EQ(wnd.Offsets(), QPoint(0, 0));
        EXPECT_EQ(parent.notifications, 0);

        // Horizontal on: 0 -> 10 scrolls the content by -10 and tells the parent once.
        wnd.SetScrolling(1, 0);
        wnd.SetScrollState(Qt::Horizontal, bar);
        wnd.OnHScroll(SB_THUMBPOSITION, 10);
        EXPECT_EQ(content.pos(), QPoint(10, 30));
        EXPECT_EQ(wnd.Offsets(), QPoint(10, 0));
        EXPECT_EQ(parent.notifications, 1);

        // The same position again, a thumb track, a vertical move: nothing more.
        wnd.OnHScroll(SB_THUMBPOSITION, 10);
        wnd.OnHScroll(SB_THUMBTRACK, 40);
        wnd.OnVScroll(SB_LINEDOWN, 0);
        EXPECT_EQ(content.pos(), QPoint(10, 30));
        EXPECT_EQ(parent.notifications, 1);

        // Back to the start moves the content back.
        wnd.OnHScroll(SB_TOP, 0);
        EXPECT_EQ(content.pos(), QPoint(20, 30));
        EXPECT_EQ(parent.notifications, 2);

        // Vertical on: the position the vertical box reached (11) applies at the
        // next request of either bar.
        wnd.SetScrolling(1, 1);
        wnd.OnHScroll(SB_ENDSCROLL, 0);
        EXPECT_EQ(content.pos(), QPoint(20, 19));
        EXPECT_EQ(wnd.Offsets(), QPoint(0, 11));
        EXPECT_EQ(parent.notifications, 3);
    }
}
