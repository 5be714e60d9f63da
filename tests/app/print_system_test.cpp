// The print command against a real print system: a private CUPS scheduler of the
// test's own (configuration, spool, logs and the PDF queue's output in a temporary
// folder, its own socket through CUPS_SERVER) with a cups-pdf queue as its default
// printer. The main window's print button prints; the PDF that comes out of the
// queue is checked with poppler's tools. A machine that cannot run the scheduler or
// the PDF queue skips these tests and says why.
#include "app/main_dlg.h"
#include "guiex/parameters_base.h"
#include "guiex/smooth_btn.h"
#include "settings/ini_setting.h"
#include "support/recorder_file.h"
#include "support/settle.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrinterInfo>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

const char* const kQueue = "trandor-pdf";
const char* const kDocumentName = "Vantrel数据导出曲线打印";
const char* const kPdfPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

struct RunResult {
    int status = -1;
    QString output;
};

RunResult RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    RunResult result;
    if (!process.waitForFinished(30000))
        return result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A scheduler of the test's own with one cups-pdf queue as its default printer.
class PrivateCups {
public:
    // Empty when it runs, else why it cannot.
    QString Start()
    {
        for (const char* need : {"/usr/sbin/cupsd", "/usr/sbin/lpadmin", "/usr/lib/cups/backend/cups-pdf", kPdfPpd,
                                 "/usr/bin/pdfinfo", "/usr/bin/pdftoppm", "/usr/bin/pdfimages"}) {
            if (!QFileInfo::exists(QString::fromLatin1(need)))
                return QString::fromLatin1(need) + " is not installed (scripts/setup installs it)";
        }
        // The scheduler runs the PDF queue's backend as root only when it runs as root.
        if (geteuid() != 0)
            return "the cups-pdf backend runs only under a scheduler started as root";
        if (!m_root.isValid())
            return "no temporary folder";
        const QString root = m_root.path();
        QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char* folder : {"conf", "spool", "cache", "state", "log", "cups-pdf-out", "cups-pdf-spool",
                                   "cups-pdf-log"})
            QDir(root).mkpath(QString::fromLatin1(folder));
        m_socket = root + "/cups.sock";
        const QByteArray logs = "ErrorLog " + (root + "/log/error_log").toUtf8() + "\nAccessLog " +
                                (root + "/log/access_log").toUtf8() + "\nPageLog " +
                                (root + "/log/page_log").toUtf8() + "\n";
        // Job files are written at once, not half a minute later.
        const QByteArray cupsd = "Listen " + m_socket.toUtf8() + "\nDirtyCleanInterval 0\n" + logs +
                                 "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                                 "<Policy default>\n<Limit All>\nOrder allow,deny\nAllow all\n</Limit>\n</Policy>\n";
        const QByteArray files = "ServerRoot " + (root + "/conf").toUtf8() + "\nRequestRoot " +
                                 (root + "/spool").toUtf8() + "\nTempDir " + (root + "/spool").toUtf8() +
                                 "\nCacheDir " + (root + "/cache").toUtf8() + "\nStateDir " +
                                 (root + "/state").toUtf8() + "\nSystemGroup root\n" + logs;
        if (!WriteFile(root + "/conf/cupsd.conf", cupsd) || !WriteFile(root + "/conf/cups-files.conf", files))
            return "cannot write the scheduler's configuration";
        // The backend reads its settings from /etc/cups and then from the queue's PPD,
        // which may set its output, spool and log folders. A PPD default cannot hold a
        // slash, so they are folder names relative to the backend's working folder,
        // which is the scheduler's; the backend does not make them itself.
        QFile base(QString::fromLatin1(kPdfPpd));
        if (!base.open(QIODevice::ReadOnly))
            return "cannot read the cups-pdf PPD";
        QByteArray ppd = base.readAll();
        for (const char* key : {"Out", "Spool", "Log"}) {
            const QByteArray k(key);
            const QByteArray folder = "cups-pdf-" + k.toLower();
            ppd += "*OpenUI *" + k + ": PickOne\n*Default" + k + ": " + folder + "\n*" + k + " " + folder +
                   ": \"\"\n*CloseUI: *" + k + "\n";
        }
        if (!WriteFile(root + "/queue.ppd", ppd))
            return "cannot write the queue's PPD";

        m_cupsd.setWorkingDirectory(root);
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start("/usr/sbin/cupsd",
                      {"-f", "-c", root + "/conf/cupsd.conf", "-s", root + "/conf/cups-files.conf"});
        if (!m_cupsd.waitForStarted(10000))
            return "cupsd did not start";
        qputenv("CUPS_SERVER", QFile::encodeName(m_socket));
        qputenv("CUPS_SERVERROOT", QFile::encodeName(root + "/conf"));
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        QElapsedTimer clock;
        clock.start();
        while (!RunTool("/usr/bin/lpstat", {"-r"}).output.startsWith("scheduler is running")) {
            if (m_cupsd.state() != QProcess::Running || clock.elapsed() > 10000)
                return "cupsd did not answer: " + QString::fromUtf8(m_cupsd.readAll()) + Log();
            QThread::msleep(50);
        }
        const RunResult added =
            RunTool("/usr/sbin/lpadmin", {"-p", kQueue, "-E", "-v", "cups-pdf:/", "-P", root + "/queue.ppd"});
        if (added.status != 0 || RunTool("/usr/sbin/lpadmin", {"-d", kQueue}).status != 0)
            return "lpadmin could not add the queue: " + added.output;
        return QString();
    }

    ~PrivateCups()
    {
        if (m_cupsd.state() == QProcess::Running) {
            m_cupsd.terminate();
            m_cupsd.waitForFinished(10000);
        }
    }

    QString Folder(const char* name) const { return m_root.filePath(QString::fromLatin1(name)); }
    QString Log() const
    {
        QFile log(Folder("log/error_log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(3000)) : QString();
    }

    // The next PDF the queue writes, waited for while the program's events are handled.
    QString WaitForPdf(int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            const QStringList found = QDir(Folder("cups-pdf-out")).entryList({"*.pdf"}, QDir::Files, QDir::Time);
            for (const QString& name : found) {
                if (!m_seen.contains(name) && !RunTool("/usr/bin/lpstat", {"-o"}).output.contains(kQueue)) {
                    m_seen << name;
                    return Folder("cups-pdf-out") + "/" + name;
                }
            }
            QTest::qWait(100);
        }
        return QString();
    }

    // Whether the scheduler recorded a job under that name (its job files keep the
    // attributes as the program sent them).
    bool HasJobNamed(const QByteArray& name) const
    {
        for (const QString& file : QDir(Folder("spool")).entryList({"c*"}, QDir::Files)) {
            QFile job(Folder("spool") + "/" + file);
            if (job.open(QIODevice::ReadOnly) && job.readAll().contains(name))
                return true;
        }
        return false;
    }

private:
    QTemporaryDir m_root;
    QString m_socket;
    QProcess m_cupsd;
    QStringList m_seen;
};

std::string Rows(int rows)
{
    return RecorderCsv(rows, 2, [](int second, int c) {
        return std::to_string(c == 0 ? 40 + second % 9 : 20 + second % 5);
    });
}

// Pixels of the sheet near the palette colour of a channel.
int CountNear(const QImage& image, COLORREF colour)
{
    const QColor want(GetRValue(colour), GetGValue(colour), GetBValue(colour));
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor have = image.pixelColor(x, y);
            if (std::abs(have.red() - want.red()) < 40 && std::abs(have.green() - want.green()) < 40 &&
                std::abs(have.blue() - want.blue()) < 40)
                ++count;
        }
    }
    return count;
}

class PrintSystemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        cups = new PrivateCups;
        skipReason = cups->Start();
    }
    static void TearDownTestSuite()
    {
        delete cups;
        cups = nullptr;
    }

    void SetUp() override
    {
        if (!skipReason.isEmpty())
            GTEST_SKIP() << skipReason.toStdString();
        CParametersBase::GetInstance()->SetPercentage(100);
    }

    void TearDown() override
    {
        window.reset();
        std::remove(SettingsFilePath().c_str());
    }

    void Start(const char* paper, const char* orientation)
    {
        window.reset();
        std::remove(SettingsFilePath().c_str());
        CInitSetting ini(SettingsFilePath().c_str());
        WriteSetting(ini, kKeyTimeColumn, "1");
        WriteSetting(ini, kKeyPaperSize, paper);
        WriteSetting(ini, kKeyOrientation, orientation);
        window.reset(new CMainDlg);
    }

    void Open()
    {
        window->OpenPath(dir.Write("two.csv", Rows(600)));
        SettleMainWindow();
    }

    static PrivateCups* cups;
    static QString skipReason;
    TempDir dir;
    std::unique_ptr<CMainDlg> window;
};

PrivateCups* PrintSystemTest::cups = nullptr;
QString PrintSystemTest::skipReason;

// The print button sends one sheet of the stored paper and orientation to the
// default queue, under the program's document name, at the queue's 300 dpi, with
// the curves on it. The queue prints a landscape sheet turned on upright paper, so
// the orientation shows in the sheet's picture.
TEST_F(PrintSystemTest, PrintButtonPrintsOneSheetOnTheDefaultQueue)
{
    ASSERT_EQ(QPrinterInfo::defaultPrinter().printerName().toStdString(), kQueue);
    const struct {
        const char* name;
        const char* paper;
        const char* orientation;
        const char* pageSize;  // as pdfinfo names the paper
        bool landscape;
    } cases[] = {
        {"A4 landscape", "9", "2", "595 x 842 pts (A4)", true},
        {"A3 portrait", "8", "1", "842 x 1191 pts (A3)", false},
    };
    for (const auto& c : cases) {
        Start(c.paper, c.orientation);
        Open();
        window->GetButton(6)->click();
        const QString pdf = cups->WaitForPdf(60000);
        ASSERT_FALSE(pdf.isEmpty()) << c.name << ": no PDF came out\n" << cups->Log().toStdString();
        const QString info = RunTool("/usr/bin/pdfinfo", {pdf}).output;
        EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << c.name << "\n" << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression(QString("Page size:\\s+") + QRegularExpression::escape(c.pageSize))))
            << c.name << "\n" << info.toStdString();
        EXPECT_TRUE(cups->HasJobNamed(kDocumentName)) << c.name;
        // The sheet's one picture, at the queue's resolution, as wide as the
        // orientation makes it.
        const QString images = RunTool("/usr/bin/pdfimages", {"-list", pdf}).output;
        const QRegularExpressionMatch image =
            QRegularExpression("\\n\\s*1\\s+0\\s+image\\s+(\\d+)\\s+(\\d+)\\s.*\\s(\\d+)\\s+(\\d+)\\s+\\S+\\s+\\S+\\s*\\n")
                .match(images);
        ASSERT_TRUE(image.hasMatch()) << c.name << "\n" << images.toStdString();
        EXPECT_EQ(image.captured(1).toInt() > image.captured(2).toInt(), c.landscape) << c.name;
        EXPECT_EQ(image.captured(3).toInt(), 300) << c.name << "\n" << images.toStdString();
        EXPECT_EQ(image.captured(4).toInt(), 300) << c.name;
        // Both curves on the page.
        const QString raster = QString::fromStdString(dir.Path("page"));
        ASSERT_EQ(RunTool("/usr/bin/pdftoppm", {"-r", "150", "-png", "-singlefile", pdf, raster}).status, 0);
        const QImage page(raster + ".png");
        ASSERT_FALSE(page.isNull()) << c.name;
        for (int k = 0; k < 2; ++k)
            EXPECT_GT(CountNear(page, CMemoryTransferManage::kPalette[k]), 1000) << c.name << " channel " << k;
    }
}

// The print resolution is the queue's default resolution, at most 600 dpi; 300 dpi
// for a queue that is not there to ask.
TEST_F(PrintSystemTest, ResolutionIsTheQueuesDefaultUpTo600)
{
    const struct {
        const char* option;
        int dpi;
    } cases[] = {{"150dpi", 150}, {"600dpi", 600}, {"1200dpi", 600}, {"300dpi", 300}};
    for (const auto& c : cases) {
        ASSERT_EQ(RunTool("/usr/sbin/lpadmin", {"-p", kQueue, "-o", QString("Resolution=") + c.option}).status, 0);
        EXPECT_EQ(CMainDlg::PrinterResolution(kQueue), c.dpi) << c.option;
    }
    EXPECT_EQ(CMainDlg::PrinterResolution("no-such-queue"), 300);
}

// With a real printer the set-up dialog opens on the stored paper and orientation,
// not on the queue's own default, and OK stores what it shows.
TEST_F(PrintSystemTest, PageSetupOpensOnTheStoredChoiceOfARealPrinter)
{
    Start("8", "1");  // A3 portrait; the queue's own default is A4
    std::string shownSize;
    bool shownLandscape = true;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* size = dialog->findChild<QComboBox*>("pageSizeCombo");
        auto* landscape = dialog->findChild<QRadioButton*>("landscape");
        if (size && landscape) {
            shownSize = size->currentText().toStdString();
            shownLandscape = landscape->isChecked();
            size->setCurrentIndex(size->findText(QPageSize(QPageSize::A5).name()));
            landscape->click();
        }
        dialog->accept();
    });
    window->GetButton(5)->click();
    EXPECT_EQ(shownSize, QPageSize(QPageSize::A3).name().toStdString());
    EXPECT_FALSE(shownLandscape);
    EXPECT_EQ(window->GetPaperSize(), 11);
    EXPECT_EQ(window->GetOrientation(), 2);
    std::string stored;
    ReadSetting(CInitSetting(SettingsFilePath().c_str()), kKeyPaperSize, stored, "none");
    EXPECT_EQ(stored, "11");
}

}  // namespace
