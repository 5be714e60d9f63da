// The main window with the real worker: opening a file, the file line, the legend,
// the read-out, zoom and wheel paging, the keys, the busy mark, the zoom limits and
// closing.
#include "app/main_dlg.h"
#include "app/waiting_dlg.h"
#include "chart/chart_messages.h"
#include "chart/curve_wnd.h"
#include "common/file_helpers.h"
#include "guiex/posted_message.h"
#include "guiex/smooth_btn.h"
#include "settings/ini_setting.h"
#include "support/recorder_file.h"
#include "support/settle.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    // Settings beside the executable, where the program reads them.
    void Settings(int timeOrder, const char* unit)
    {
        CInitSetting ini(SettingsFilePath().c_str());
        WriteSetting(ini, kKeyTimeColumn, "1");
        WriteSetting(ini, kKeyTimeOrder, std::to_string(timeOrder));
        WriteSetting(ini, kKeyUnit, unit);
        window.reset(new CMainDlg);
    }

    void TearDown() override
    {
        window.reset();
        std::remove(SettingsFilePath().c_str());
    }

    // Opens the file as the open command does after its dialog, and waits for the
    // first page.
    void Open(const std::string& path)
    {
        window->OpenPath(path);
        SettleMainWindow();
    }


    int ManagerFirst() const
    {
        const std::vector<QString>* names;
        const CLabelStore* labels;
        const std::vector<CSampleArray>* samples;
        int first, labelCount, count, step;
        CMemoryTransferManage::GetInstance()->GetDataViews(&names, &labels, &samples, &first, &labelCount, &count,
                                                           &step);
        return first;
    }

    void Cursor(int x)
    {
        COM_GUI_EX::PostMessage(window.get(), WM_CURVE_CURSOR, static_cast<uintptr_t>(x), 0);
        QCoreApplication::processEvents();
    }

    TempDir dir;
    std::unique_ptr<CMainDlg> window;
};

TEST_F(MainWindowTest, OpensAFileAndShowsItsNamesAndReadout)
{
    Settings(0, "V");
    EXPECT_EQ(window->windowTitle().toStdString(), "数据导出曲线显示软件 V1.7");
    EXPECT_TRUE(window->GetTitleText().isEmpty());
    Open(dir.Write("three.csv", Seconds(100, 3)));
    EXPECT_EQ(window->GetTitleText(), "导入文件: three.csv");
    EXPECT_EQ(window->GetCurveWnd()->GetChannelNames(), (std::vector<QString>{"CH01", "CH02", "CH03"}));
    // 100 samples on a 1050-pixel plot: step 15, a page of 71 columns ending at the newest sample.
    EXPECT_EQ(window->GetZoom(), 15);
    EXPECT_EQ(window->GetZoomLevel(), 6);
    EXPECT_EQ(window->GetTotal(), 100);
    EXPECT_EQ(window->GetFirst(), 29);
    Cursor(15 * 7 + 3);  // column 7
    EXPECT_EQ(window->GetReadout(), "[2024/05/06 08:00:36] CH01:36.10V, CH02:36.20V, CH03:36.30V");
}

// The legend (on screen and on the printed sheet, which draws the chart's names) and
// the read-out show a GB18030 file's names decoded as GB18030, also the ones whose
// bytes happen to be valid UTF-8 (液位 水位), next to a unit stored in GBK.
TEST_F(MainWindowTest, NamesAndUnitOfTwoEncodingsReadRight)
{
    Settings(0, "\xA1\xE6");  // ℃ in GBK
    Open(dir.Write("gb.csv", "\xCA\xB1\xBC\xE4,\xD2\xBA\xCE\xBB,\xCB\xAE\xCE\xBB\n2024/05/06 08:00:00,1,2\n"));
    EXPECT_EQ(window->GetCurveWnd()->GetChannelNames(), (std::vector<QString>{"液位", "水位"}));
    Cursor(0);
    EXPECT_EQ(window->GetReadout(), "[2024/05/06 08:00:00] 液位:1.00℃, 水位:2.00℃");
}

TEST_F(MainWindowTest, DescendingReadoutCountsFromTheRight)
{
    Settings(1, "");
    Open(dir.Write("desc.csv", Seconds(100, 2)));
    Cursor(0);  // the leftmost column shows the page's last sample, 0 + 71 - 1
    EXPECT_EQ(window->GetReadout(), "[2024/05/06 08:01:10] CH01:70.10, CH02:70.20");
    Cursor(1049);  // the rightmost column its first
    EXPECT_EQ(window->GetReadout(), "[2024/05/06 08:00:01] CH01:1.10, CH02:1.20");
}

TEST_F(MainWindowTest, ZoomKeepsTheMiddleSample)
{
    Settings(1, "");
    Open(dir.Write("long.csv", Seconds(3000, 1)));
    EXPECT_EQ(window->GetFirst(), 0);
    EXPECT_EQ(window->GetPageCount(), 1051);
    // Descending order: turning the wheel away from the user goes 20 samples on.
    for (int i = 0; i < 50; ++i)
        window->ScrollByWheel(120);
    EXPECT_EQ(window->GetFirst(), 1000);
    SettleMainWindow();
    EXPECT_EQ(window->IsBusy(), 0);
    window->OnZoomIn();
    EXPECT_EQ(window->GetZoom(), 2);
    EXPECT_EQ(window->GetPageCount(), 526);
    EXPECT_EQ(window->GetFirst(), 1262);
    SettleMainWindow();
    window->OnZoomOut();
    EXPECT_EQ(window->GetZoom(), 1);
    EXPECT_EQ(window->GetFirst(), 1262 + 263 - 525);
    SettleMainWindow();
}

TEST_F(MainWindowTest, WheelStopsAtBothEnds)
{
    Settings(0, "");
    Open(dir.Write("wheel.csv", Seconds(1200, 1)));
    EXPECT_EQ(window->GetFirst(), 1200 - 1051);
    window->ScrollByWheel(-120);  // ascending: toward the user is forward, past the end
    EXPECT_EQ(window->GetFirst(), 1200 - 1051);
    SettleMainWindow();
    for (int i = 0; i < 20; ++i)
        window->ScrollByWheel(120);
    EXPECT_EQ(window->GetFirst(), 0);
    SettleMainWindow();
    // Turns made while busy changed the first sample but sent nothing; the next one sends it.
    window->ScrollByWheel(120);
    SettleMainWindow();
    EXPECT_EQ(ManagerFirst(), 0);
}

// Every way of paging to the end ends on the page the load showed: the newest
// sample at the right edge.
TEST_F(MainWindowTest, TheNewestSampleStaysInReach)
{
    Settings(0, "");
    Open(dir.Write("end.csv", Seconds(1200, 1)));
    window->OnZoomIn();
    SettleMainWindow();
    for (int i = 0; i < 40; ++i)
        window->ScrollByWheel(-120);
    EXPECT_EQ(window->GetFirst(), 1200 - 526);
    SettleMainWindow();
    window->OnZoomOut();  // the middle kept would reach past the end
    EXPECT_EQ(window->GetFirst(), 1200 - 1051);
    SettleMainWindow();
    window->CommitPage(0);
    window->CommitPage(1200);  // as a thumb dragged to the end sets it
    EXPECT_EQ(window->GetFirst(), 1200 - 1051);
    SettleMainWindow();
    EXPECT_EQ(ManagerFirst(), 1200 - 1051);
}

// Only the vertical wheel pages and zooms; a sideways one (tilt wheel, touchpad
// swipe) does nothing, with or without Ctrl.
TEST_F(MainWindowTest, OnlyTheVerticalWheelPagesOrZooms)
{
    Settings(0, "");
    Open(dir.Write("tilt.csv", Seconds(3000, 1)));
    const auto wheel = [this](QPoint angle, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(500, 300), QPointF(500, 300), QPoint(), angle, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(window.get(), &event);
        SettleMainWindow();
    };
    wheel(QPoint(120, 0), Qt::NoModifier);
    wheel(QPoint(-120, 0), Qt::NoModifier);
    wheel(QPoint(120, 0), Qt::ControlModifier);
    EXPECT_EQ(window->GetFirst(), 3000 - 1051);
    EXPECT_EQ(window->GetZoomLevel(), 1);
    wheel(QPoint(0, 120), Qt::NoModifier);
    EXPECT_EQ(window->GetFirst(), 3000 - 1051 - 20);
    wheel(QPoint(0, 120), Qt::ControlModifier);
    EXPECT_EQ(window->GetZoomLevel(), 2);
}

TEST_F(MainWindowTest, PageRequestsWaitWhileBusy)
{
    Settings(0, "");
    Open(dir.Write("busy.csv", Seconds(3000, 1)));
    window->ScrollByWheel(120);
    const int requested = window->GetFirst();
    ASSERT_EQ(window->IsBusy(), 1);
    // A thumb commit while the preparation runs: the chart writes the page state and
    // posts WM_CURVE_PAGE, which is dropped.
    COM_GUI_EX::PostMessage(window.get(), WM_CURVE_PAGE, 0, 0);
    SettleMainWindow();
    EXPECT_EQ(window->IsBusy(), 0);
    EXPECT_EQ(ManagerFirst(), requested);
}

// The zoom commands with no file leave the level as it is and say so.
TEST_F(MainWindowTest, ZoomLimitsAreAnnounced)
{
    Settings(0, "");
    for (bool in : {true, false}) {
        QString shown;
        QTimer::singleShot(50, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        in ? window->OnZoomIn() : window->OnZoomOut();
        EXPECT_EQ(shown.toStdString(), in ? "已经放大到最大倍率！" : "已经缩小到最小倍率！");
        EXPECT_EQ(window->GetZoomLevel(), 1);
    }
}

// The chart's plot, value axis and time axis as the window shows them.
QImage ChartBands(CMainDlg& window)
{
    CCurveWnd* chart = window.GetCurveWnd();
    const QImage image = chart->grab().toImage();
    const RECT& plot = chart->GetPlotArea();
    const RECT& time = chart->GetTimeBand();
    const RECT& values = chart->GetValueBand();
    return image.copy(QRect(QPoint(plot.left, plot.top), QPoint(values.right - 1, time.bottom - 1)));
}

// The message box the window shows, closed once its text is taken ("" when none).
std::string TakeMessage(CMainDlg& window)
{
    auto* box = window.findChild<QMessageBox*>();
    if (!box)
        return std::string();
    const std::string text = box->text().toStdString();
    EXPECT_EQ(box->windowTitle().toStdString(), "数据导出曲线显示软件 V1.7");
    delete box;
    return text;
}

// A file that is refused, cannot be read or yields no data row leaves the open file as
// it was (chart, legend, file line, page, read-out, query) and a message says why.
TEST_F(MainWindowTest, RefusedFilesLeaveTheOpenFileAsItWas)
{
    Settings(0, "");
    const std::string tooLarge = dir.Write("big.csv", "Time,A\n");
    ASSERT_EQ(truncate(tooLarge.c_str(), 134217728), 0);
    const std::string fifo = dir.Path("fifo.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* message;
    } cases[] = {
        {dir.Write("empty.csv", ""), "文件中没有数据，不能导入！"},
        {dir.Write("header.csv", "Time,X,Y\n\n"), "文件中没有数据，不能导入！"},
        {tooLarge, "文件大小为128 MiB或以上，不能导入！"},
        {fifo, "文件无法打开，不能导入！"},
        {"/proc/self/mem", "读取文件时出错，不能导入！"},  // a regular file whose first read fails
    };
    // What the window shows: file line, read-out, names, page and query.
    const auto state = [this] {
        int enabled, fitAll;
        TimeValue start, end;
        window->GetQuery(&enabled, &start, &end, &fitAll);
        return QStringList{window->GetTitleText(), window->GetReadout(),
                           window->GetCurveWnd()->GetChannelNames().back(),
                           QString::asprintf("%d %d %d %lld %lld %d", window->GetFirst(), window->GetTotal(),
                                             enabled, static_cast<long long>(start), static_cast<long long>(end), fitAll)}
            .join('|')
            .toStdString();
    };
    Open(dir.Write("three.csv", Seconds(100, 3)));
    Cursor(15 * 7 + 3);
    const QImage shown = ChartBands(*window);
    const std::string before = state();
    for (const auto& c : cases) {
        Open(c.path);
        EXPECT_EQ(TakeMessage(*window), c.message) << c.path;
        EXPECT_EQ(ChartBands(*window), shown) << c.path;
        EXPECT_EQ(state(), before) << c.path;
    }
    // A query reads the open file, not the one that failed.
    window->ApplyQuery(0, 0, 0, 0);
    SettleMainWindow();
    EXPECT_EQ(TakeMessage(*window), "");
    EXPECT_EQ(window->GetTotal(), 100);
}

// The read-out belongs to the page on screen: made again for the cursor's column after
// every new page, and cleared by a new file until its first page brings it again.
TEST_F(MainWindowTest, ReadoutFollowsEveryNewPage)
{
    Settings(0, "");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const RECT plot = window->GetCurveWnd()->GetPlotArea();
    const std::function<void()> steps[] = {
        [&] { Open(dir.Write("long.csv", Seconds(3000, 1))); },  // the page starts at 1949
        [&] { QTest::mouseMove(window->GetCurveWnd(), QPoint(plot.left + 100, plot.top + 9)); },
        [&] { window->ScrollByWheel(120); },  // 20 samples back
        [&] { window->OnZoomIn(); },          // 2 pixels a sample around the middle: 1929 + 525 - 263
        [&] { window->CommitPage(0); },       // the thumb at the start
        [&] { Open(dir.Write("one.csv", "Time,A\n2024/05/06 09:00:00,7\n")); },  // nothing under the cursor
        [&] { QTest::mouseMove(window->GetCurveWnd(), QPoint(plot.left, plot.top + 9)); },
    };
    const char* readouts[] = {"", "[2024/05/06 08:34:09] CH01:2049.10", "[2024/05/06 08:33:49] CH01:2029.10",
                              "[2024/05/06 08:37:21] CH01:2241.10", "[2024/05/06 08:00:50] CH01:50.10", "",
                              "[2024/05/06 09:00:00] A:7.00"};
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i]();
        SettleMainWindow();
        EXPECT_EQ(window->GetReadout().toStdString(), readouts[i]) << "step " << i;
    }
}

// A load that outlasts the waiting window: the window closes on its time-out, and
// the busy pointer stands over the main window until the load has finished.
TEST_F(MainWindowTest, BusyPointerAfterTheWaitingWindowTimedOut)
{
    Settings(0, "");
    const std::string path = dir.Write("long.csv", Seconds(200000, 8));
    QTimer::singleShot(0, [] {
        if (g_pWaitingDlg)
            for (int tick = 0; tick <= CWaitingDlg::kTimeoutTicks; ++tick)
                g_pWaitingDlg->OnTimer(CWaitingDlg::kTimerId);
    });
    window->OpenPath(path);
    ASSERT_TRUE(window->IsLoading()) << "the load ended before the waiting window";
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SettleMainWindow();
    EXPECT_FALSE(window->IsLoading());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window->GetTotal(), 200000);
}

// A caption, a system menu, a minimise box and a close box; no maximise box.
TEST_F(MainWindowTest, WindowFrame)
{
    Settings(0, "");
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

// The keys page and zoom whichever button has the focus, in both time orders; Tab
// moves a visible focus along the buttons and Space presses the one that has it.
TEST_F(MainWindowTest, KeysPageZoomAndPressButtons)
{
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
        SettleMainWindow();
    };
    // After each key: samples between the page and the newest page (-1: not checked,
    // 1051 to a page at level 1) and the zoom level.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int older;
        int level;
    } steps[] = {
        {Qt::Key_Home, Qt::NoModifier, 1949, 1}, {Qt::Key_Right, Qt::NoModifier, 1929, 1},
        {Qt::Key_PageDown, Qt::NoModifier, 878, 1}, {Qt::Key_Left, Qt::NoModifier, 898, 1},
        {Qt::Key_End, Qt::NoModifier, 0, 1}, {Qt::Key_PageUp, Qt::NoModifier, 1051, 1},
        {Qt::Key_Plus, Qt::NoModifier, -1, 2}, {Qt::Key_Equal, Qt::ControlModifier, -1, 3},
        {Qt::Key_Minus, Qt::NoModifier, -1, 2}, {Qt::Key_Minus, Qt::ControlModifier, -1, 1},
    };
    for (int order : {0, 1}) {
        window.reset();  // the old window signs off from the data manager first
        Settings(order, "");
        Open(dir.Write("keys.csv", Seconds(3000, 1)));
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->GetButton(2)->setFocus();
        for (const auto& step : steps) {
            key(step.key, step.modifiers);
            const std::string name = QKeySequence(step.key | step.modifiers).toString().toStdString();
            if (step.older >= 0) {
                EXPECT_EQ(window->GetFirst(), order == 0 ? 1949 - step.older : step.older) << order << " " << name;
            }
            EXPECT_EQ(window->GetZoomLevel(), step.level) << order << " " << name;
        }
    }

    // From the last button Tab wraps to the first; the fourth is zoom in.
    window->GetButton(6)->setFocus();
    for (int i = 0; i < 4; ++i)
        key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), window->GetButton(3));
    const QImage focused = window->GetButton(3)->grab().toImage();
    key(Qt::Key_Space);
    EXPECT_EQ(window->GetZoomLevel(), 2);
    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->GetButton(4));
    EXPECT_NE(window->GetButton(3)->grab().toImage(), focused) << "the focus shows no frame";
}

TEST_F(MainWindowTest, EnterAndEscapeDoNotCloseTheWindow)
{
    Settings(0, "");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

}  // namespace
