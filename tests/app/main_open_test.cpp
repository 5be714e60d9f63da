// Files dropped on the main window and the open dialog's start folder, with the real
// worker, the real waiting window and the real file dialog.
#include "app/main_dlg.h"
#include "guiex/strings.h"
#include "app/waiting_dlg.h"
#include "chart/curve_wnd.h"
#include "guiex/smooth_btn.h"
#include "settings/ini_setting.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include <sys/stat.h>

namespace {

std::string Csv(int rows)
{
    std::string csv = "Time,CH01\n";
    for (int r = 0; r < rows; ++r)
        csv += "2024/05/06 08:00:00,1.5\n";
    return csv;
}

class MainOpenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(SettingsFilePath().c_str());
        window.reset(new CMainDlg);
    }

    void TearDown() override
    {
        window.reset();
        std::remove(SettingsFilePath().c_str());
    }

    // A new window in place of the old one, as after a restart of the program (the
    // old one goes first: it signs off from the data manager).
    void Restart()
    {
        window.reset();
        window.reset(new CMainDlg);
    }

    void Settle()
    {
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(CMemoryTransferManage::GetInstance()->WaitIdle(30000));
            QCoreApplication::processEvents();
        }
    }

    // Drags the files over the chart and drops them there, as the window system
    // delivers a drop to the main window (the chart takes no drops of its own).
    // Returns whether the window took the drop.
    bool Drop(const QStringList& paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.push_back(QUrl::fromLocalFile(path));
        mime.setUrls(urls);
        const QPoint at = window->GetCurveWnd()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        return enter.isAccepted() && drop.isAccepted();
    }

    // The text of the message box the action shows (accepted at once), or empty.
    QString MessageOf(const std::function<void()>& action)
    {
        QString shown;
        QTimer::singleShot(50, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        action();
        return shown;
    }

    // Presses the open button; the file dialog, looked for every 10 ms once it is
    // up, reports the folder it starts in and then picks the file (or is cancelled
    // when the file is empty).
    QString OpenDialogFolder(const QString& pick = QString())
    {
        QString folder;
        std::function<void()> answer = [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                QTimer::singleShot(10, answer);
                return;
            }
            folder = dialog->directory().absolutePath();
            if (pick.isEmpty()) {
                dialog->reject();
            } else {
                dialog->selectFile(pick);
                static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the pick
            }
        };
        QTimer::singleShot(10, answer);
        window->GetButton(0)->click();
        Settle();
        return folder;
    }

    TempDir dir;
    std::unique_ptr<CMainDlg> window;
};

TEST_F(MainOpenTest, DroppedFileOpensTheFirstAndRefusesWhatCannotBeRead)
{
    const QString first = QString::fromStdString(dir.Write("first.csv", Csv(10)));
    const QString second = QString::fromStdString(dir.Write("second.csv", Csv(20)));
    EXPECT_TRUE(Drop({first, second}));
    Settle();
    EXPECT_EQ(window->GetTitleText(), "导入文件: first.csv");
    EXPECT_EQ(window->GetTotal(), 10);

    // A folder and a named pipe are refused with the unreadable-file message; the
    // open file stays.
    const QString folder = QString::fromStdString(dir.Path("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const std::string pipe = dir.Path("pipe.csv");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const QString& refused : {folder, QString::fromStdString(pipe)}) {
        EXPECT_EQ(MessageOf([&] { Drop({refused, second}); }), COM_GUI_EX::LoadString(1111));
        Settle();
        EXPECT_EQ(window->GetTitleText(), "导入文件: first.csv") << refused.toStdString();
        EXPECT_EQ(window->GetTotal(), 10);
    }
}

TEST_F(MainOpenTest, DropWhileALoadRunsIsIgnored)
{
    const std::string big = dir.Write("big.csv", Csv(1000000));
    const QString other = QString::fromStdString(dir.Write("other.csv", Csv(10)));
    bool tried = false, taken = true;
    // Polled from the waiting window's loop until the load is seen running.
    std::function<void()> dropWhileLoading = [&] {
        if (!window->IsLoading() && !tried) {
            QTimer::singleShot(0, dropWhileLoading);
            return;
        }
        tried = true;
        taken = Drop({other});
    };
    QTimer::singleShot(0, dropWhileLoading);
    window->OpenPath(big);
    Settle();
    ASSERT_TRUE(tried);
    EXPECT_FALSE(taken);
    EXPECT_EQ(window->GetTitleText(), "导入文件: big.csv");
    EXPECT_EQ(window->GetTotal(), 1000000);
}

TEST_F(MainOpenTest, OpenDialogStartsInTheLastFolderAlsoAfterARestart)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path("a"))));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path("b"))));
    const QString inA = QString::fromStdString(dir.Write("a/x.csv", Csv(5)));
    const QString inB = QString::fromStdString(dir.Write("b/y.csv", Csv(6)));
    // A dropped file sets the folder; a new window reads it from the settings file.
    Drop({inA});
    Settle();
    Restart();
    EXPECT_EQ(OpenDialogFolder(inB), QString::fromStdString(dir.Path("a")));
    EXPECT_EQ(window->GetTitleText(), "导入文件: y.csv");
    Restart();
    EXPECT_EQ(OpenDialogFolder(), QString::fromStdString(dir.Path("b")));

    // The settings keys stay as they were: the folder has a section of its own.
    std::string stored;
    ReadSetting(CInitSetting(SettingsFilePath().c_str()), kKeyTimeColumn, stored, "none");
    EXPECT_EQ(stored, "none");

    // A folder that is gone is not offered: the dialog starts where it would without one.
    ASSERT_TRUE(QDir(QString::fromStdString(dir.Path("b"))).removeRecursively());
    const QString start = OpenDialogFolder();
    EXPECT_NE(start, QString::fromStdString(dir.Path("b")));
    EXPECT_TRUE(QFileInfo(start).isDir()) << start.toStdString();
}

// A file named when the program starts (here by a path relative to the working
// folder, as a shell passes it) opens once the window runs, as one picked in the
// open dialog: file line, start folder.
TEST_F(MainOpenTest, FileNamedAtStartOpensAsOnePicked)
{
    dir.Write("day.csv", Csv(5));
    const QString working = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.Path(""))));
    window->OpenAtStart("day.csv");
    EXPECT_TRUE(window->GetTitleText().isEmpty());
    QCoreApplication::processEvents();
    QDir::setCurrent(working);
    Settle();
    EXPECT_EQ(window->GetTitleText(), "导入文件: day.csv");
    EXPECT_EQ(window->GetTotal(), 5);
    Restart();
    EXPECT_EQ(OpenDialogFolder(), QString::fromStdString(dir.Path("")));
}

}  // namespace
