// The tool against the program's own flow: the same file driven here through the
// main window as a user drives it (open command, query dialog, zoom button, legend
// click, pointer over the plot) gives the very summary and picture the tool writes.
// The window reads the settings file beside this test, so the suite holds its lock.
#include "tool_runner.h"

#include "app/main_dlg.h"
#include "chart/curve_wnd.h"
#include "export_session.h"
#include "guiex/parameters_base.h"
#include "guiex/smooth_btn.h"
#include "settings/ini_setting.h"
#include "settings/search_dlg.h"
#include "support/settle.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDateTimeEdit>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

const char* const kSettings = "[QUICK_SAVE]\n7000=1\n7001=0\n7002=2\n7006=V\n";

class ExportFlowTest : public ToolFixture {
protected:
    void SetUp() override
    {
        ToolFixture::SetUp();
        dir.Write("Trandor.INI", kSettings);
        std::FILE* ini = std::fopen(SettingsFilePath().c_str(), "wb");
        ASSERT_NE(ini, nullptr);
        std::fputs(kSettings, ini);
        std::fclose(ini);
        CParametersBase::GetInstance()->SetPercentage(100);
        file = dir.Write("waves.csv", Waves(1500, 4));
        png = dir.Path("tool.png");

        window.reset(new CMainDlg);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCursor::setPos(QPoint(-10000, -10000));
        window->OpenPath(file);
        SettleMainWindow();
    }

    void TearDown() override
    {
        window.reset();
        std::remove(SettingsFilePath().c_str());
    }


    void ExpectSameAsTool(const QStringList& options)
    {
        const ToolResult result = Run(QStringList{file.c_str(), "--info", "--series", "--png", png.c_str()} + options);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out.toStdString(), ExportSummaryJson(*window, 0, CMemoryTransferManage::GetInstance()->GetDialect(), true) + "\n");
        const QImage tool = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
        const QImage here = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(tool == here);
    }

    std::string file;
    std::string png;
    std::unique_ptr<CMainDlg> window;
};

TEST_F(ExportFlowTest, OpenedFile)
{
    ExpectSameAsTool({});
}

TEST_F(ExportFlowTest, QueryZoomLegendAndCursor)
{
    // The query dialog, filled in and confirmed as a user would.
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&seen] {
        auto* dialog = qobject_cast<CSearchDlg*>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        auto picker = [dialog](unsigned id, int minute) {
            auto* edit = qobject_cast<QDateTimeEdit*>(dialog->GetDlgItem(id));
            edit->setDate(QDate(2024, 5, 6));
            edit->setTime(QTime(8, minute, 0));
        };
        picker(CSearchDlg::IDC_START, 2);
        picker(CSearchDlg::IDC_END, 22);
        qobject_cast<QComboBox*>(dialog->GetDlgItem(CSearchDlg::IDC_ENABLE))->setCurrentIndex(1);
        qobject_cast<QComboBox*>(dialog->GetDlgItem(CSearchDlg::IDC_ZOOM))->setCurrentIndex(1);
        dialog->GetOkButton()->click();
    });
    poll.start(10);
    window->GetButton(2)->click();
    poll.stop();
    ASSERT_TRUE(seen);
    SettleMainWindow();
    window->GetButton(3)->click();  // zoom in
    SettleMainWindow();

    CCurveWnd* chart = window->GetCurveWnd();
    const RECT hit = chart->GetLegendHitRects().at(2);
    const QPoint item((hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2);
    QTest::mouseMove(chart, item);
    QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, item);
    SettleMainWindow();
    const RECT plot = chart->GetPlotArea();
    QTest::mouseMove(chart, QPoint(plot.left + 300, (plot.top + plot.bottom) / 2));
    QCoreApplication::processEvents();
    ASSERT_FALSE(window->GetReadout().isEmpty());

    ExpectSameAsTool({"--query", "2024-05-06 08:02:00,2024-05-06 08:22:00", "--fit-all", "--zoom", "2", "--hide", "2",
                      "--cursor", "300"});
}

}  // namespace
