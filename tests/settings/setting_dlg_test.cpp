// The settings dialog: frame, opening on the INI record, the range rule, the refusal
// of an empty column, the keys written in order, a failed write, Escape.
#include "settings/setting_dlg.h"

#include "guiex/smooth_btn.h"
#include "guiex/strings.h"
#include "settings/ini_setting.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace {

class SettingDlgTest : public ::testing::Test {
protected:
    std::string File() const
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
    }
    QLineEdit* Edit(int key) const { return qobject_cast<QLineEdit*>(dlg->GetDlgItem(key)); }
    QComboBox* List(int key) const { return qobject_cast<QComboBox*>(dlg->GetDlgItem(key)); }

    void Open(const CInitSetting* store)
    {
        dlg.reset(new CSettingDlg(nullptr));
        dlg->SetSettingsStore(store);
        dlg->show();
    }

    // Clicks OK; returns "title|text" of the message box it showed, "" for none.
    QString Confirm()
    {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->windowTitle() + "|" + box->text();
                box->accept();
            }
        });
        dlg->GetOkButton()->click();
        return shown;
    }

    TempDir dir;
    std::string path = dir.Path("Trandor.INI");
    CInitSetting ini{path.c_str()};
    std::unique_ptr<CSettingDlg> dlg;
};

TEST_F(SettingDlgTest, FrameAndRows)
{
    dlg.reset(new CSettingDlg(nullptr));
    dlg->SetPosition(30, 40);
    dlg->show();
    EXPECT_EQ(dlg->geometry(), QRect(30, 40, 260, 275));
    EXPECT_EQ(Edit(7000)->geometry(), QRect(103, 21, 141, 20));
    EXPECT_EQ(Edit(7006)->geometry(), QRect(103, 21 + 6 * 30, 141, 20));
    EXPECT_EQ(dlg->GetOkButton()->geometry(), QRect(139, 232, 108, 30));
    EXPECT_EQ(List(7001)->itemText(1), "时间降序");
    EXPECT_EQ(List(7002)->itemText(3), "HH:MM:SS");
    EXPECT_EQ(List(7003)->itemText(1), "手动设置");
}

// Each case: the keys in the file, then what the dialog shows as
// "column|order|format|range|max|min|unit|limits enabled".
TEST_F(SettingDlgTest, OpensOnTheStoredRecord)
{
    std::string longUnit;
    for (int i = 0; i < 100; ++i)
        longUnit += "℃";
    const struct {
        std::vector<std::pair<int, const char*>> keys;
        std::string shown;
    } cases[] = {
        {{}, "自动|2|0|0||||false"},
        {{{7000, "3"}, {7001, "0"}, {7002, "2"}, {7003, "1"}, {7004, "80"}, {7005, "-20"}, {7006, "℃"}},
         "3|0|2|1|80|-20|℃|true"},
        {{{7003, "0"}, {7004, "80"}, {7005, "-20"}}, "自动|2|0|0||||false"},
        {{{7000, "abc"}, {7001, "1"}}, "0|1|0|0||||false"},
        // Stored numbers that are none of a list's items show its default.
        {{{7001, "7"}, {7002, "-1"}, {7003, "9"}}, "自动|2|0|0||||false"},
        // A unit the read cuts at 254 bytes loses the character the cut went through.
        {{{7006, longUnit.c_str()}}, "自动|2|0|0|||" + longUnit.substr(0, 84 * 3) + "|false"},
    };
    for (const auto& c : cases) {
        std::remove(path.c_str());
        for (const auto& [key, value] : c.keys)
            WriteSetting(ini, key, value);
        Open(&ini);
        const QString shown = QStringList{Edit(7000)->text(), QString::number(List(7001)->currentIndex()),
                                          QString::number(List(7002)->currentIndex()),
                                          QString::number(List(7003)->currentIndex()), Edit(7004)->text(),
                                          Edit(7005)->text(), Edit(7006)->text(),
                                          Edit(7004)->isEnabled() && Edit(7005)->isEnabled() ? "true" : "false"}
                                  .join('|');
        EXPECT_EQ(shown.toStdString(), c.shown);
    }
}

// Manual enables both limits; automatic again disables and empties them, so OK
// stores 0 and 0. The column and the unit are trimmed, the keys written in order.
TEST_F(SettingDlgTest, RangeRuleAndTheKeysWrittenInOrder)
{
    Open(&ini);
    List(7003)->setCurrentIndex(1);
    EXPECT_TRUE(Edit(7004)->isEnabled() && Edit(7005)->isEnabled());
    Edit(7004)->setText("50");
    Edit(7005)->setText("10");
    List(7003)->setCurrentIndex(0);
    EXPECT_FALSE(Edit(7004)->isEnabled() || Edit(7005)->isEnabled());
    EXPECT_EQ(Edit(7004)->text() + Edit(7005)->text(), "");
    Edit(7000)->setText("  4 ");
    List(7002)->setCurrentIndex(3);
    Edit(7006)->setText("  mV \t");
    EXPECT_EQ(Confirm(), "");
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(File(), "[QUICK_SAVE]\r\n7000=4\r\n7001=auto\r\n7002=3\r\n7003=0\r\n7004=0\r\n7005=0\r\n7006=mV\r\n");
    Open(&ini);  // the automatic choices, chosen again
    Edit(7000)->setText(" 自动 ");
    List(7001)->setCurrentIndex(1);
    EXPECT_EQ(Confirm(), "");
    EXPECT_EQ(File(), "[QUICK_SAVE]\r\n7000=auto\r\n7001=1\r\n7002=3\r\n7003=0\r\n7004=0\r\n7005=0\r\n7006=mV\r\n");
}

// Refused inputs: the message names the field, the focus goes to it, nothing is
// written. Each case: the column, then for a manual range the maximum and the minimum.
TEST_F(SettingDlgTest, InputsThatAreRefused)
{
    const std::tuple<const char*, int, const char*> cases[] = {
        {"", 7000, "请输入时间标签列号。"},        {"\u3000", 7000, "请输入时间标签列号。"},
        {"ab-1.5x", 7000, "时间标签列号须为0或正整数。"}, {"-1", 7000, "时间标签列号须为0或正整数。"},
        {"1|0.16|0", 7004, "数据最大值须为整数。"},     {"1|80|-2x", 7005, "数据最小值须为整数。"},
        {"1|20|20", 7004, "数据最大值须大于数据最小值。"},
    };
    Open(&ini);
    for (const auto& [input, field, message] : cases) {
        const QStringList fields = QString::fromUtf8(input).split('|');
        Edit(7000)->setText(fields[0]);
        List(7003)->setCurrentIndex(fields.size() > 1 ? 1 : 0);
        Edit(7004)->setText(fields.value(1));
        Edit(7005)->setText(fields.value(2));
        Edit(7006)->setFocus();
        EXPECT_EQ(Confirm(), COM_GUI_EX::LoadString(1050) + "|" + QString::fromUtf8(message)) << input;
        EXPECT_EQ(dlg->focusWidget(), Edit(field)) << input;
        EXPECT_EQ(File(), "<missing>") << input;
    }
    // Column 0 (no time labels) and whole limits, blanks and signs allowed, are stored.
    Edit(7000)->setText("0");
    Edit(7004)->setText(" +80 ");
    Edit(7005)->setText("-20");
    EXPECT_EQ(Confirm(), "");
    EXPECT_EQ(File(), "[QUICK_SAVE]\r\n7000=0\r\n7001=auto\r\n7002=0\r\n7003=1\r\n7004=80\r\n7005=-20\r\n7006=\r\n");
}

// A record that cannot be written is not reported as saved.
TEST_F(SettingDlgTest, FailedWriteKeepsTheDialogOpen)
{
    CInitSetting unwritable(dir.Path("no-such-folder/Trandor.INI").c_str());
    Open(&unwritable);
    EXPECT_EQ(Confirm(), COM_GUI_EX::LoadString(1050) + "|" + CSettingDlg::WriteFailedText());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_NE(dlg->result(), QDialog::Accepted);
}

TEST_F(SettingDlgTest, EnterDoesNothingAndEscapeWritesNothing)
{
    Open(&ini);
    QTest::keyClick(dlg.get(), Qt::Key_Return);
    EXPECT_TRUE(dlg->isVisible());
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_EQ(File(), "<missing>");
}

}  // namespace
