#include "app/waiting_dlg.h"

#include "guiex/image_resources.h"
#include "guiex/parameters_base.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <functional>
#include <memory>

namespace {

QImage Picture(CWaitingDlg* dlg) { return dlg->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Bounding box of the dark (text) pixels outside the wheel square.
QRect InkBox(const QImage& pic, const RECT& icon)
{
    QRect box;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            if (!(x >= icon.left && x < icon.right && y >= icon.top && y < icon.bottom) && qGray(pic.pixel(x, y)) < 96)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Whether the wheel square of the picture holds exactly bitmap resource id.
bool IconShowsFrame(const QImage& pic, const RECT& icon, unsigned id)
{
    QImage* raw = nullptr;
    if (!COM_GUI_EX::LoadImageResource(id, COM_GUI_EX::RT_BITMAP, &raw) || !raw)
        return false;
    const QImage frame = std::unique_ptr<QImage>(raw)->convertToFormat(QImage::Format_RGB32);
    return frame.size() == QSize(50, 50) && pic.copy(icon.left, icon.top, 50, 50) == frame;
}

// RunWaitingDialog over the parent; `inside` runs once its modal loop is going.
// Returns what the window ended with (-1: it never ended, e.g. was destroyed). A
// watchdog ends, with Rejected, every waiting window the test failed to end.
int RunModal(QWidget* parent, const std::function<void(CWaitingDlg*)>& inside)
{
    int result = -1;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        ASSERT_NE(g_pWaitingDlg, nullptr);
        QObject::connect(g_pWaitingDlg, &QDialog::finished, &context, [&](int r) { result = r; });
        inside(g_pWaitingDlg);
    });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dlg = qobject_cast<CWaitingDlg*>(w); dlg && dlg->isVisible())
                dlg->done(QDialog::Rejected);
    });
    watchdog.start(5000);
    EXPECT_TRUE(RunWaitingDialog(parent));
    EXPECT_EQ(g_pWaitingDlg, nullptr);
    return result;
}

}  // namespace

TEST(WaitingDlgTest, SizeScalingAndPlacementOverOwner)
{
    CParametersBase::GetInstance()->SetPercentage(150);
    EXPECT_EQ(CWaitingDlg(nullptr).size(), QSize(580, 148));
    CParametersBase::GetInstance()->SetPercentage(100);

    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.setGeometry(work.left() + 100, work.top() + 80, 500, 300);
    owner.show();
    CWaitingDlg centred(&owner);
    centred.show();
    EXPECT_EQ(centred.size(), QSize(387, 99));
    EXPECT_EQ(centred.GetIconRect().top, 24);  // vertically centred, as far from the left
    EXPECT_EQ(centred.GetIconRect().left, 24);
    EXPECT_LE((centred.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);

    // An owner hanging over the bottom-right corner: the window stays in the work area.
    owner.move(work.right() - 100, work.bottom() - 20);
    CWaitingDlg clamped(&owner);
    clamped.show();
    EXPECT_EQ(clamped.frameGeometry().bottomRight(), work.bottomRight());
}

TEST(WaitingDlgTest, PictureHasFrameGradientCentredTextAndTurningWheel)
{
    CWaitingDlg dlg(nullptr);
    dlg.show();
    dlg.findChild<QTimer*>()->stop();  // the test drives the ticks
    const QImage pic = Picture(&dlg);
    const int w = pic.width(), h = pic.height();

    EXPECT_EQ(pic.pixel(0, 0), qRgb(170, 170, 170));
    EXPECT_EQ(pic.pixel(w - 1, h / 2), qRgb(170, 170, 170));
    // Left quarter white, then a fade to light blue at the right, alike on every row.
    for (int x = 1; x < w / 4; ++x)
        ASSERT_EQ(pic.pixel(x, 3), qRgb(255, 255, 255)) << x;
    for (int x = w / 4 + 1; x < w - 1; ++x) {
        ASSERT_LE(qRed(pic.pixel(x, 3)), qRed(pic.pixel(x - 1, 3))) << x;
        ASSERT_EQ(pic.pixel(x, 3), pic.pixel(x, h - 4)) << x;
    }
    EXPECT_NEAR(qRed(pic.pixel(w - 2, 3)), 171, 4);
    EXPECT_NEAR(qBlue(pic.pixel(w - 2, 3)), 244, 2);

    const QRect ink = InkBox(pic, dlg.GetIconRect());
    EXPECT_NEAR(ink.center().x(), w / 2, 4);
    EXPECT_NEAR(ink.center().y(), h / 2, 8);

    EXPECT_TRUE(IconShowsFrame(pic, dlg.GetIconRect(), 1701));
    for (int tick = 1; tick <= 9; ++tick) {
        dlg.OnTimer(CWaitingDlg::kTimerId);
        EXPECT_TRUE(IconShowsFrame(Picture(&dlg), dlg.GetIconRect(), 1701 + unsigned(tick % 8))) << tick;
    }
    dlg.OnTimer(7);  // not the animation's timer
    EXPECT_EQ(dlg.GetTicks(), 9);
    EXPECT_EQ(dlg.GetFrame(), 1);
}

TEST(WaitingDlgTest, OneModalWindowAtATimeThatOnlyTheCloseMessageEnds)
{
    EXPECT_FALSE(PostWaitingClose());
    QWidget owner;
    owner.show();
    QPointer<CWaitingDlg> seen;
    bool secondRan = true;
    const int result = RunModal(&owner, [&](CWaitingDlg* dlg) {
        seen = dlg;
        EXPECT_EQ(QApplication::activeModalWidget(), dlg);
        secondRan = RunWaitingDialog(&owner);  // must come back at once
        EXPECT_EQ(g_pWaitingDlg, dlg);
        QTest::keyClick(dlg, Qt::Key_Escape);
        QTest::keyClick(dlg, Qt::Key_Return);
        QTest::keyClick(dlg, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_FALSE(dlg->close());
        // Still there a while later, its real timer turning the wheel meanwhile.
        QTimer::singleShot(450, dlg, [dlg] {
            EXPECT_GE(dlg->GetTicks(), 2);
            EXPECT_EQ(dlg->GetFrame(), dlg->GetTicks() % 8);
            EXPECT_TRUE(dlg->isVisible());
            EXPECT_TRUE(PostWaitingClose());
        });
    });
    EXPECT_FALSE(secondRan);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(seen.isNull());  // deleted after the wait
}

TEST(WaitingDlgTest, TimeoutTextAtTick1000ThenClosesItself)
{
    const int result = RunModal(nullptr, [&](CWaitingDlg* dlg) {
        dlg->findChild<QTimer*>()->stop();
        const QRect normal = InkBox(Picture(dlg), dlg->GetIconRect());
        while (dlg->GetTicks() < 999)
            dlg->OnTimer(CWaitingDlg::kTimerId);
        EXPECT_FALSE(dlg->IsTimeoutTextShown());
        dlg->OnTimer(CWaitingDlg::kTimerId);
        EXPECT_TRUE(dlg->IsTimeoutTextShown());
        // The longer text reaches further out on both sides (on the left, under the wheel).
        const QRect timedOut = InkBox(Picture(dlg), dlg->GetIconRect());
        EXPECT_LT(timedOut.left(), normal.left() - 40);
        EXPECT_GT(timedOut.right(), normal.right() + 40);
        QCoreApplication::processEvents();
        EXPECT_TRUE(dlg->isVisible());
        dlg->OnTimer(CWaitingDlg::kTimerId);  // posts the close; the modal loop handles it
        EXPECT_EQ(dlg->GetTicks(), 0);
    });
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST(WaitingDlgTest, OwnerDestroyedDuringTheWait)
{
    auto* owner = new QWidget;
    owner->show();
    EXPECT_EQ(RunModal(owner, [owner](CWaitingDlg*) { delete owner; }), -1);
}
