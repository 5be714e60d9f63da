// The query and settings commands of the main window, with the real dialogs and the
// real worker: what each dialog opens on, and what an OK or an Escape does to the
// loaded file.
#include "app/main_dlg.h"
#include "chart/chart_messages.h"
#include "chart/curve_wnd.h"
#include "guiex/posted_message.h"
#include "guiex/smooth_btn.h"
#include "settings/ini_setting.h"
#include "settings/search_dlg.h"
#include "settings/setting_dlg.h"
#include "support/local_time.h"
#include "support/recorder_file.h"
#include "support/settle.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// One channel "CH01" from 08:00:00 reading the row's second and a half.
std::string Seconds(int rows)
{
    return RecorderCsv(rows, 1, [](int second, int) { return std::to_string(second) + ".5"; });
}

std::string Query(int enabled, TimeValue start, TimeValue end, int fitAll)
{
    return std::to_string(enabled) + " " + std::to_string(start) + " " + std::to_string(end) + " "
           + std::to_string(fitAll);
}

// Runs the action on the modal dialog of type T once it is up (looked for every
// 10 ms, for at most 10 s, until stop is set).
template <class T>
void WhenShown(std::function<void(T*)> action, std::shared_ptr<bool> stop, int tries = 1000)
{
    QTimer::singleShot(10, [action, stop, tries] {
        if (*stop)
            return;
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
            action(dialog);
        else if (tries > 0)
            WhenShown<T>(action, stop, tries - 1);
    });
}

QDateTimeEdit* Picker(CSearchDlg* dlg, unsigned id)
{
    return qobject_cast<QDateTimeEdit*>(dlg->GetDlgItem(id));
}

QComboBox* List(CPopupFormDlg* dlg, unsigned id)
{
    return qobject_cast<QComboBox*>(dlg->GetDlgItem(id));
}

QLineEdit* Edit(CPopupFormDlg* dlg, unsigned id)
{
    return qobject_cast<QLineEdit*>(dlg->GetDlgItem(id));
}

// The fields the picker shows, as the user would type them.
void Type(QDateTimeEdit* picker, int hour, int minute, int second)
{
    picker->setDate(QDate(2024, 5, 6));
    picker->setTime(QTime(hour, minute, second));
}

class MainDialogsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        window.reset();
        std::remove(SettingsFilePath().c_str());
    }

    // Settings beside the executable, where the program reads them; the window is
    // placed so that the dialogs go under its buttons.
    void Start(const char* column = "1")
    {
        CInitSetting ini(SettingsFilePath().c_str());
        WriteSetting(ini, kKeyTimeColumn, column);
        WriteSetting(ini, kKeyTimeOrder, "0");
        window.reset(new CMainDlg);
        window->move(50, 60);
    }

    void Open(const std::string& path)
    {
        window->OpenPath(path);
        SettleMainWindow();
    }


    // The button's command, with the action run on the dialog it opens.
    template <class T>
    void Command(int button, std::function<void(T*)> action)
    {
        bool seen = false;
        auto stop = std::make_shared<bool>(false);
        WhenShown<T>(
            [&seen, action](T* dialog) {
                seen = true;
                action(dialog);
            },
            stop);
        window->GetButton(button)->click();
        *stop = true;
        ASSERT_TRUE(seen);
        SettleMainWindow();
    }

    void QueryCommand(std::function<void(CSearchDlg*)> action) { Command<CSearchDlg>(2, action); }
    void SettingCommand(std::function<void(CSettingDlg*)> action) { Command<CSettingDlg>(1, action); }

    // "enabled start end fitAll" of the main window.
    std::string CurrentQuery() const
    {
        int enabled, fitAll;
        TimeValue start, end;
        window->GetQuery(&enabled, &start, &end, &fitAll);
        return Query(enabled, start, end, fitAll);
    }

    // The loaded labels, first and last.
    std::string Labels() const
    {
        const std::vector<QString>* names;
        const CLabelStore* labels;
        const std::vector<CSampleArray>* samples;
        int first, count, pageCount, step;
        CMemoryTransferManage::GetInstance()->GetDataViews(&names, &labels, &samples, &first, &count, &pageCount,
                                                           &step);
        if (labels->size() == 0)
            return "";
        return labels->GetAt(0) + " .. " + labels->GetAt(labels->size() - 1);
    }

    LocalTimeZone zone{"Asia/Shanghai"};  // the pickers show local fields
    TempDir dir;
    std::unique_ptr<CMainDlg> window;
};

// Without an active query the dialog opens on the file's whole span; Escape leaves
// the query values and the loaded data as they were.
TEST_F(MainDialogsTest, QueryOpensOnTheFileSpanAndEscapeChangesNothing)
{
    Start();
    std::string csv = "Time,CH01\n";
    for (int half = 0; half <= 17; ++half)
        csv += "2024/05/06 " + std::to_string(10 + half / 2) + (half % 2 ? ":30:00" : ":00:00") + ",1\n";
    Open(dir.Write("day.csv", csv));
    ASSERT_EQ(window->GetTotal(), 18);
    const std::string before = CurrentQuery();
    EXPECT_EQ(before, Query(0, LocalTime(2024, 5, 6, 10, 0, 0), LocalTime(2024, 5, 6, 18, 30, 0), 0));

    QueryCommand([this](CSearchDlg* dlg) {
        EXPECT_EQ(Picker(dlg, CSearchDlg::IDC_START)->text(), "2024-05-06 10:00:00");
        EXPECT_EQ(Picker(dlg, CSearchDlg::IDC_END)->text(), "2024-05-06 18:30:00");
        EXPECT_EQ(List(dlg, CSearchDlg::IDC_ZOOM)->currentIndex(), 0);
        EXPECT_EQ(List(dlg, CSearchDlg::IDC_ENABLE)->currentIndex(), 0);
        // Under the query button: its left edge, 9 below its bottom.
        EXPECT_EQ(dlg->pos(), window->mapToGlobal(QPoint(240, 8 + 30 + 9)));
        Type(Picker(dlg, CSearchDlg::IDC_START), 12, 0, 0);
        List(dlg, CSearchDlg::IDC_ENABLE)->setCurrentIndex(1);
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(CurrentQuery(), before);
    EXPECT_FALSE(window->IsLoading());
    EXPECT_EQ(window->GetTotal(), 18);
    EXPECT_EQ(Labels(), "2024/05/06 10:00:00 .. 2024/05/06 18:30:00");
}

// A query keeps the rows inside the range; an OK with the query switched off reads
// the whole file again and offers its span once more.
TEST_F(MainDialogsTest, QueryLoadsTheRangeAndSwitchedOffReloadsAll)
{
    Start();
    Open(dir.Write("minutes.csv", Seconds(100)));
    ASSERT_EQ(window->GetTotal(), 100);

    QueryCommand([](CSearchDlg* dlg) {
        Type(Picker(dlg, CSearchDlg::IDC_START), 8, 0, 10);
        Type(Picker(dlg, CSearchDlg::IDC_END), 8, 0, 29);
        List(dlg, CSearchDlg::IDC_ENABLE)->setCurrentIndex(1);
        dlg->GetOkButton()->click();
    });
    EXPECT_EQ(CurrentQuery(), Query(1, LocalTime(2024, 5, 6, 8, 0, 10), LocalTime(2024, 5, 6, 8, 0, 29), 0));
    EXPECT_EQ(window->GetTotal(), 20);
    EXPECT_EQ(Labels(), "2024/05/06 08:00:10 .. 2024/05/06 08:00:29");
    EXPECT_EQ(window->GetCurveWnd()->GetChannelNames(), std::vector<QString>{"CH01"});

    // The active query is what the dialog opens on next time.
    QueryCommand([](CSearchDlg* dlg) {
        EXPECT_EQ(Picker(dlg, CSearchDlg::IDC_START)->text(), "2024-05-06 08:00:10");
        EXPECT_EQ(Picker(dlg, CSearchDlg::IDC_END)->text(), "2024-05-06 08:00:29");
        EXPECT_EQ(List(dlg, CSearchDlg::IDC_ENABLE)->currentIndex(), 1);
        List(dlg, CSearchDlg::IDC_ENABLE)->setCurrentIndex(0);
        dlg->GetOkButton()->click();
    });
    EXPECT_EQ(window->GetTotal(), 100);
    EXPECT_EQ(Labels(), "2024/05/06 08:00:00 .. 2024/05/06 08:01:39");
    EXPECT_EQ(CurrentQuery(), Query(0, LocalTime(2024, 5, 6, 8, 0, 0), LocalTime(2024, 5, 6, 8, 1, 39), 0));
}

// All data in one page: a file three pages long is squeezed into the plot's columns.
TEST_F(MainDialogsTest, FitAllSqueezesTheRangeIntoOnePage)
{
    Start();
    Open(dir.Write("long.csv", Seconds(3000)));
    ASSERT_EQ(window->GetTotal(), 3000);
    ASSERT_GT(window->GetTotal(), window->GetPageCount());

    QueryCommand([](CSearchDlg* dlg) {
        List(dlg, CSearchDlg::IDC_ENABLE)->setCurrentIndex(1);
        List(dlg, CSearchDlg::IDC_ZOOM)->setCurrentIndex(1);
        dlg->GetOkButton()->click();
    });
    // One sample per column: the groups fill the page, the rounding of the group
    // boundaries may leave one more than it holds.
    EXPECT_EQ(window->GetZoom(), 1);
    EXPECT_GT(window->GetTotal(), 1000);
    EXPECT_LE(window->GetTotal() - window->GetPageCount(), 1);
    EXPECT_EQ(window->GetFirst(), window->GetTotal() - window->GetPageCount());
    EXPECT_EQ(window->IsBusy(), 0);
}

// After an OK the record is read again and the file reloaded with it, the query off.
TEST_F(MainDialogsTest, SettingsReloadTheFileWithTheNewColumn)
{
    Start("1");
    std::string csv = "A,Time,B\n";
    for (int s = 0; s < 50; ++s)
        csv += std::to_string(s) + ".5,2024/05/06 08:00:" + (s < 10 ? "0" : "") + std::to_string(s) + ",2\n";
    Open(dir.Write("columns.csv", csv));
    EXPECT_EQ(window->GetCurveWnd()->GetChannelNames(), (std::vector<QString>{"Time", "B"}));
    // Escape: nothing written, nothing read again.
    SettingCommand([](CSettingDlg* dlg) {
        Edit(dlg, kKeyTimeColumn)->setText("2");
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    EXPECT_FALSE(window->IsLoading());
    EXPECT_EQ(LoadSettings(CInitSetting(SettingsFilePath().c_str())).timeColumn, 1);
    EXPECT_EQ(window->GetCurveWnd()->GetChannelNames(), (std::vector<QString>{"Time", "B"}));

    QueryCommand([](CSearchDlg* dlg) {
        List(dlg, CSearchDlg::IDC_ENABLE)->setCurrentIndex(1);
        dlg->GetOkButton()->click();
    });
    ASSERT_EQ(CurrentQuery()[0], '1');

    SettingCommand([this](CSettingDlg* dlg) {
        EXPECT_EQ(dlg->pos(), window->mapToGlobal(QPoint(124, 8 + 30 + 9)));
        EXPECT_EQ(Edit(dlg, kKeyTimeColumn)->text(), "1");
        Edit(dlg, kKeyTimeColumn)->setText(" 2 ");
        List(dlg, kKeyLabelFormat)->setCurrentIndex(3);
        Edit(dlg, kKeyUnit)->setText(" V ");
        dlg->GetOkButton()->click();
    });
    EXPECT_EQ(window->GetCurveWnd()->GetChannelNames(), (std::vector<QString>{"A", "B"}));
    EXPECT_EQ(window->GetCurveWnd()->GetTimeLabelFormat(), 3);
    EXPECT_EQ(CurrentQuery()[0], '0');
    EXPECT_EQ(window->GetTotal(), 50);
    EXPECT_EQ(Labels(), "2024/05/06 08:00:00 .. 2024/05/06 08:00:49");
    // The unit read back goes with every value of the read-out.
    COM_GUI_EX::PostMessage(window.get(), WM_CURVE_CURSOR, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->GetReadout().endsWith(":2.00V")) << window->GetReadout().toStdString();
}

}  // namespace
