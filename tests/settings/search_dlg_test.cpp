// The query dialog: frame and rows, the pickers' local fields and range, OK reading
// the controls back as local TimeValues, Escape reading nothing.
#include "settings/search_dlg.h"

#include "guiex/guiex_dc.h"
#include "guiex/smooth_btn.h"
#include "support/local_time.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <tuple>


namespace {

// The pickers show local fields: Shanghai (UTC+8) tells them from UTC ones.
class SearchDlgTest : public ::testing::Test {
protected:
    QDateTimeEdit* Picker(unsigned id) const { return qobject_cast<QDateTimeEdit*>(dlg.GetDlgItem(id)); }
    QComboBox* List(unsigned id) const { return qobject_cast<QComboBox*>(dlg.GetDlgItem(id)); }
    // "enabled start end fitAll" as the dialog hands them back.
    std::string Values() const
    {
        int enabled, fitAll;
        TimeValue start, end;
        dlg.GetQueryValues(&enabled, &start, &end, &fitAll);
        return std::to_string(enabled) + " " + std::to_string(start) + " " + std::to_string(end) + " "
               + std::to_string(fitAll);
    }

    CSearchDlg dlg{nullptr};
    LocalTimeZone zone{"Asia/Shanghai"};
};

constexpr TimeValue kTen = 1714960800;  // 2024-05-06 10:00:00 in Shanghai
constexpr TimeValue kHalfPastSix = kTen + 8 * 3600 + 1800;

TEST_F(SearchDlgTest, FrameRowsAndCaptions)
{
    dlg.SetPosition(100, 120);
    dlg.show();
    EXPECT_TRUE(dlg.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dlg.geometry(), QRect(100, 120, 265, 195));
    EXPECT_EQ(Picker(CSearchDlg::IDC_START)->geometry(), QRect(79, 21, 178, 20));
    EXPECT_EQ(List(CSearchDlg::IDC_ENABLE)->geometry(), QRect(79, 21 + 3 * 31, 178, 20));
    EXPECT_EQ(dlg.GetOkButton()->geometry(), QRect(144, 152, 108, 30));
    EXPECT_EQ(List(CSearchDlg::IDC_ZOOM)->itemText(1), "所有数据缩放至一页");
    EXPECT_EQ(List(CSearchDlg::IDC_ENABLE)->itemText(1), "启用查询条件");
    for (unsigned id : {CSearchDlg::IDC_START, CSearchDlg::IDC_END}) {
        EXPECT_EQ(Picker(id)->displayFormat(), "yyyy-MM-dd HH:mm:ss");
        EXPECT_EQ(Picker(id)->minimumDateTime().toString("yyyy-MM-dd HH:mm:ss"), "2000-01-01 00:00:00");
        EXPECT_EQ(Picker(id)->maximumDateTime().toString("yyyy-MM-dd HH:mm:ss"), "2200-01-01 23:59:59");
    }
    // Each row's caption box holds dark text pixels; the band under the last row none.
    const QImage* back = dlg.GetBackground()->GetMemDC();
    auto dark = [back](int top) {
        int n = 0;
        for (int y = top; y < top + 30; ++y)
            for (int x = 16; x < 79; ++x)
                n += qGray(back->pixel(x, y)) < 96;
        return n;
    };
    for (int row = 0; row < 4; ++row)
        EXPECT_GT(dark(16 + row * 31), 20) << "caption row " << row;
    EXPECT_EQ(dark(16 + 4 * 31), 0);
}

TEST_F(SearchDlgTest, CentredWithoutAPositiveCorner)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    dlg.SetPosition(0, 50);
    dlg.show();
    EXPECT_EQ(dlg.pos(), screen.topLeft() + QPoint((screen.width() - 265) / 2, (screen.height() - 195) / 2));
}

TEST_F(SearchDlgTest, OkReadsWhatTheControlsShow)
{
    dlg.SetQueryValues(1, kTen, kHalfPastSix, 1);
    dlg.show();
    EXPECT_EQ(Picker(CSearchDlg::IDC_START)->text(), "2024-05-06 10:00:00");
    EXPECT_EQ(Picker(CSearchDlg::IDC_END)->text(), "2024-05-06 18:30:00");
    EXPECT_EQ(List(CSearchDlg::IDC_ZOOM)->currentIndex(), 1);
    EXPECT_EQ(List(CSearchDlg::IDC_ENABLE)->currentIndex(), 1);
    Picker(CSearchDlg::IDC_END)->setDate(QDate(2024, 5, 7));
    Picker(CSearchDlg::IDC_END)->setTime(QTime(1, 2, 3));
    List(CSearchDlg::IDC_ENABLE)->setCurrentIndex(0);
    dlg.GetOkButton()->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(Values(), "0 " + std::to_string(kTen) + " " + std::to_string(kTen + 15 * 3600 + 123) + " 1");
}

// A query that is on ends no earlier than it starts; one that is off reads the whole
// file whatever its times say.
TEST_F(SearchDlgTest, AnEndBeforeTheStartIsRefused)
{
    for (const auto& [enabled, end, accepted] : {std::tuple{1, kTen - 1, false}, {1, kTen, true}, {0, kTen - 1, true}}) {
        CSearchDlg dialog(nullptr);
        dialog.SetQueryValues(enabled, kTen, end, 0);
        dialog.show();
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        dialog.GetOkButton()->click();
        EXPECT_EQ(shown.toStdString(), accepted ? "" : "结束时间不能早于开始时间。") << enabled << " " << end;
        EXPECT_EQ(dialog.focusWidget() == dialog.GetDlgItem(CSearchDlg::IDC_END), !accepted) << enabled << " " << end;
    }
}

// Times the pickers cannot show come back as the nearer end of their range.
TEST_F(SearchDlgTest, TimesOutsideTheRangeComeBackInside)
{
    dlg.SetQueryValues(0, 631152000 /* 1990 */, 10413792000 /* 2300 */, 0);
    dlg.show();
    dlg.GetOkButton()->click();
    const TimeValue first = 946684800 - 8 * 3600;   // 2000-01-01 00:00:00 in Shanghai
    const TimeValue last = 7258204799 - 8 * 3600;   // 2200-01-01 23:59:59 in Shanghai
    EXPECT_EQ(Values(), "0 " + std::to_string(first) + " " + std::to_string(last) + " 0");
}

TEST_F(SearchDlgTest, EnterDoesNothingAndEscapeReadsNothing)
{
    dlg.SetQueryValues(1, kTen, kHalfPastSix, 1);
    dlg.show();
    Picker(CSearchDlg::IDC_START)->setDate(QDate(2030, 1, 1));
    List(CSearchDlg::IDC_ENABLE)->setCurrentIndex(0);
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(Values(), "1 " + std::to_string(kTen) + " " + std::to_string(kHalfPastSix) + " 1");
}

}  // namespace
