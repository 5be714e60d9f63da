// The print command into a PDF file through the same path as a printer, with the
// real worker: one page of the stored paper size and orientation, the sheet inside
// its margins exactly as the chart's print drawing makes it, hidden channels, a print
// asked for while a page is being prepared; and the printer set-up command.
#include "app/main_dlg.h"
#include "chart/chart_print.h"
#include "chart/curve_wnd.h"
#include "guiex/guiex_dc.h"
#include "guiex/parameters_base.h"
#include "guiex/smooth_btn.h"
#include "settings/ini_setting.h"
#include "support/recorder_file.h"
#include "support/settle.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kDpi = 150;
constexpr double kMetresPerInch = 0.0254;

// Three channels at 51, 43 and 57 with a small wobble: the automatic axis is 30 .. 60.
std::string ThreeChannels(int rows)
{
    return RecorderCsv(rows, 3, [](int second, int c) {
        const double wobble = (second % 7) * 0.5;
        const double levels[] = {51 + wobble, 43 + wobble, 57 - wobble};
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", levels[c]);
        return std::string(text);
    });
}

std::string PaletteColour(int c)
{
    const COLORREF p = CMemoryTransferManage::kPalette[c];
    return QColor(GetRValue(p), GetGValue(p), GetBValue(p)).name().toStdString();
}

int CountColour(const QImage& image, const RECT& area, const std::string& colour, int tolerance)
{
    const QColor want(QString::fromStdString(colour));
    int count = 0;
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, image.height()); ++y) {
        for (int x = std::max(area.left, 0); x < std::min(area.right, image.width()); ++x) {
            const QColor have(image.pixel(x, y));
            if (std::abs(have.red() - want.red()) <= tolerance && std::abs(have.green() - want.green()) <= tolerance &&
                std::abs(have.blue() - want.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

// What a PDF file written by the print says about itself: its pages, the first
// page's media box in points, and the one picture drawn on it with its place.
struct PdfSheet {
    int pages = 0;
    int mediaWidth = 0;
    int mediaHeight = 0;
    QImage sheet;   // the picture's pixels
    int x = -1;     // where it was drawn, in device pixels
    int y = -1;
};

QByteArray Inflate(const QByteArray& data, uint32_t expected)
{
    QByteArray sized(4, '\0');
    sized[0] = static_cast<char>(expected >> 24);
    sized[1] = static_cast<char>(expected >> 16);
    sized[2] = static_cast<char>(expected >> 8);
    sized[3] = static_cast<char>(expected);
    return qUncompress(sized + data);
}

PdfSheet ReadPdf(const std::string& path)
{
    PdfSheet pdf;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return pdf;
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromLatin1(bytes);
    pdf.pages = static_cast<int>(text.count(QRegularExpression("/Type\\s*/Page(?!s)")));
    const QRegularExpressionMatch box =
        QRegularExpression("/MediaBox\\s*\\[\\s*0 0 ([0-9.]+) ([0-9.]+)\\s*\\]").match(text);
    if (box.hasMatch()) {
        pdf.mediaWidth = qRound(box.captured(1).toDouble());
        pdf.mediaHeight = qRound(box.captured(2).toDouble());
    }
    // Every stream: the picture is the one that inflates to width x height x 3
    // bytes, the page's drawing the one that places it.
    const QRegularExpressionMatch image =
        QRegularExpression("/Subtype\\s*/Image\\s*/Width (\\d+)\\s*/Height (\\d+)").match(text);
    const int width = image.hasMatch() ? image.captured(1).toInt() : 0;
    const int height = image.hasMatch() ? image.captured(2).toInt() : 0;
    const uint32_t imageBytes = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 3;
    const QRegularExpression place("1 0 0 1 (\\d+) (\\d+) cm\\s+(\\d+) 0 0 -(\\d+) 0 \\d+ cm\\s*/Im");
    for (qsizetype at = bytes.indexOf("stream\n"); at >= 0; at = bytes.indexOf("stream\n", at + 1)) {
        if (at >= 3 && bytes.mid(at - 3, 3) == "end")
            continue;
        const qsizetype begin = at + 7;
        const qsizetype end = bytes.indexOf("endstream", begin);
        if (end < 0)
            break;
        const QByteArray raw = Inflate(bytes.mid(begin, end - begin), imageBytes > 0 ? imageBytes : 1u << 16);
        if (imageBytes > 0 && static_cast<uint32_t>(raw.size()) == imageBytes) {
            pdf.sheet = QImage(reinterpret_cast<const uchar*>(raw.constData()), width, height, width * 3,
                               QImage::Format_RGB888)
                            .convertToFormat(QImage::Format_RGB32);
        }
        const QRegularExpressionMatch placed = place.match(QString::fromLatin1(raw));
        if (placed.hasMatch() && placed.captured(3).toInt() == width && placed.captured(4).toInt() == height) {
            pdf.x = placed.captured(1).toInt();
            pdf.y = placed.captured(2).toInt();
        }
    }
    return pdf;
}

class MainPrintTest : public ::testing::Test {
protected:
    void SetUp() override { CParametersBase::GetInstance()->SetPercentage(100); }

    void TearDown() override
    {
        window.reset();
        std::remove(SettingsFilePath().c_str());
    }

    // Starts the window over a settings file with the given printer keys (null: none).
    void Start(const char* paperSize = nullptr, const char* orientation = nullptr)
    {
        window.reset();
        std::remove(SettingsFilePath().c_str());
        CInitSetting ini(SettingsFilePath().c_str());
        WriteSetting(ini, kKeyTimeColumn, "1");
        WriteSetting(ini, kKeyTimeOrder, "0");
        if (paperSize)
            WriteSetting(ini, kKeyPaperSize, paperSize);
        if (orientation)
            WriteSetting(ini, kKeyOrientation, orientation);
        window.reset(new CMainDlg);
    }

    void Open(int rows = 300)
    {
        window->OpenPath(dir.Write("three.csv", ThreeChannels(rows)));
        SettleMainWindow();
    }


    // A printer that writes the named PDF file at a modest resolution.
    std::unique_ptr<QPrinter> PdfPrinter(const std::string& name, int dpi = kDpi)
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(dir.Path(name)));
        printer->setResolution(dpi);
        return printer;
    }

    // Prints into a new PDF file and reads it back.
    PdfSheet Print(const std::string& name)
    {
        std::unique_ptr<QPrinter> printer = PdfPrinter(name);
        EXPECT_TRUE(window->PrintToPrinter(*printer)) << name;
        return ReadPdf(dir.Path(name));
    }

    std::string Stored(int key)
    {
        std::string text;
        ReadSetting(CInitSetting(SettingsFilePath().c_str()), key, text, "none");
        return text;
    }

    TempDir dir;
    std::unique_ptr<CMainDlg> window;
};

// Without a file nothing is printed and the print button says so; with no printer
// installed it says that.
TEST_F(MainPrintTest, NothingIsPrintedWithoutAFileOrAPrinter)
{
    Start();
    std::unique_ptr<QPrinter> printer = PdfPrinter("none.pdf");
    EXPECT_FALSE(window->PrintToPrinter(*printer));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.Path("none.pdf"))));

    QString message;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&message] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->windowTitle() + "|" + box->text();
            box->accept();
        }
    });
    guard.start(20);
    window->GetButton(6)->click();
    EXPECT_EQ(message.toStdString(), "数据导出曲线显示软件 V1.7|没有打开的文件，无法打印。");

    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed; the button would print on it";
    Open();
    window->GetButton(6)->click();
    EXPECT_EQ(message.toStdString(), "数据导出曲线显示软件 V1.7|没有默认打印机，无法打印。");
}

// The picture on the page is the chart's print drawing of the current page at the
// printer's resolution.
TEST_F(MainPrintTest, SheetIsTheChartsPrintDrawing)
{
    Start();
    Open();
    std::unique_ptr<QPrinter> printer = PdfPrinter("default.pdf");
    ASSERT_TRUE(window->PrintToPrinter(*printer));
    EXPECT_EQ(printer->docName().toStdString(), "Vantrel数据导出曲线打印");
    const PdfSheet pdf = ReadPdf(dir.Path("default.pdf"));
    ASSERT_FALSE(pdf.sheet.isNull());

    // The same page drawn by the chart's print drawing on a surface of the
    // printer's resolution: pixel for pixel what the file holds.
    CPrintPage page;
    ASSERT_TRUE(TakePrintPage(*CMemoryTransferManage::GetInstance(), 0, &page));
    ASSERT_FALSE(page.series.empty());
    QImage reference(1, 1, QImage::Format_RGB32);
    reference.setDotsPerMeterX(qRound(kDpi / kMetresPerInch));
    reference.setDotsPerMeterY(qRound(kDpi / kMetresPerInch));
    COM_GUI_EX::CGUIEXDC surface(&reference, pdf.sheet.width(), pdf.sheet.height());
    surface.SetPageUnit(1, 2);
    surface.FillSolid(0xFFFFFF);
    const CCurveWnd* chart = window->GetCurveWnd();
    CChartPrint drawing(chart->GetChannelNames(), chart->GetVisibilityFlags(), page, 30);
    const RECT area{0, 0, pdf.sheet.width(), pdf.sheet.height()};
    drawing.PrintChart(&surface, &area);
    EXPECT_TRUE(surface.GetMemDC()->convertToFormat(QImage::Format_RGB32) == pdf.sheet);
    // and it holds the three curves.
    for (int c = 0; c < 3; ++c)
        EXPECT_GT(CountColour(pdf.sheet, area, PaletteColour(c), 40), 100) << "channel " << c;
}

// One page of the stored paper and orientation, A4 landscape without stored codes;
// a code without a page size of its own or an unknown orientation leaves the
// printer's choice. The margins count from the paper's edges; at 100 dpi the side
// and top margins of most of these sheets differ by a pixel.
TEST_F(MainPrintTest, PaperAndOrientationFromTheSettings)
{
    const struct {
        const char* paper;
        const char* orientation;
        QPageSize::PageSizeId printerSize;
        QPageLayout::Orientation printerOrientation;
        int width, height;  // points
    } cases[] = {
        {nullptr, nullptr, QPageSize::Letter, QPageLayout::Portrait, 842, 595},  // A4 landscape by default
        {"9", "2", QPageSize::Letter, QPageLayout::Portrait, 842, 595},   // A4 landscape
        {"9", "1", QPageSize::Letter, QPageLayout::Landscape, 595, 842},  // A4 portrait
        {"1", "1", QPageSize::A4, QPageLayout::Landscape, 612, 792},      // Letter portrait
        {"8", "2", QPageSize::A4, QPageLayout::Portrait, 1191, 842},      // A3 landscape
        {"11", "1", QPageSize::A4, QPageLayout::Landscape, 420, 595},     // A5 portrait
        {"999", "2", QPageSize::A5, QPageLayout::Portrait, 595, 420},     // unknown paper: the printer's A5
        {"9", "0", QPageSize::A5, QPageLayout::Landscape, 842, 595},      // unknown orientation: landscape stays
    };
    for (const auto& c : cases) {
        const std::string name = std::string("paper-") + (c.paper ? c.paper : "none") + "-" +
                                 (c.orientation ? c.orientation : "none") + ".pdf";
        Start(c.paper, c.orientation);
        Open(60);
        std::unique_ptr<QPrinter> printer = PdfPrinter(name, 100);
        printer->setPageSize(QPageSize(c.printerSize));
        printer->setPageOrientation(c.printerOrientation);
        ASSERT_TRUE(window->PrintToPrinter(*printer)) << name;
        const PdfSheet pdf = ReadPdf(dir.Path(name));
        EXPECT_EQ(pdf.pages, 1) << name;
        EXPECT_EQ(pdf.mediaWidth, c.width) << name;
        EXPECT_EQ(pdf.mediaHeight, c.height) << name;
        // The sheet at 15 mm from the paper's left and top edges, 15 mm short of its
        // right edge and 18 mm short of its bottom.
        EXPECT_NEAR(printer->width(), c.width * 100 / 72, 1) << name;
        EXPECT_NEAR(printer->height(), c.height * 100 / 72, 1) << name;
        const int side = printer->width() * 15 / printer->widthMM();
        const int top = printer->height() * 15 / printer->heightMM();
        const int bottom = printer->height() * 18 / printer->heightMM();
        EXPECT_EQ(pdf.x, side) << name;
        EXPECT_EQ(pdf.y, top) << name;
        EXPECT_EQ(pdf.sheet.width(), printer->width() - 2 * side) << name;
        EXPECT_EQ(pdf.sheet.height(), printer->height() - top - bottom) << name;
    }
}

// A channel hidden in the legend prints as a ring with its name and without its curve.
TEST_F(MainPrintTest, HiddenChannelPrintsAsRing)
{
    Start();
    Open();
    const PdfSheet shown = Print("shown.pdf");
    ASSERT_FALSE(shown.sheet.isNull());
    const RECT whole{0, 0, shown.sheet.width(), shown.sheet.height()};
    const int shownInk = CountColour(shown.sheet, whole, PaletteColour(1), 40);
    EXPECT_GT(shownInk, 1000);

    // A click on the second legend item hides CH02 and asks for a new page.
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QCursor::setPos(QPoint(5000, 5000));
    CCurveWnd* chart = window->GetCurveWnd();
    const RECT hit = chart->GetLegendHitRects().at(1);
    const QPoint point((hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2);
    QTest::mouseMove(chart, point);
    QCoreApplication::processEvents();
    QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, point);
    ASSERT_TRUE(chart->GetVisibilityFlags().IsHidden(1));
    SettleMainWindow();

    const PdfSheet hidden = Print("hidden.pdf");
    ASSERT_FALSE(hidden.sheet.isNull());
    // Only the ring and the name are left in CH02's colour; the other curves stay.
    const int hiddenInk = CountColour(hidden.sheet, whole, PaletteColour(1), 40);
    EXPECT_GT(hiddenInk, 0);
    EXPECT_LT(hiddenInk * 5, shownInk);
    for (int c : {0, 2}) {
        const std::string colour = PaletteColour(c);
        EXPECT_EQ(CountColour(hidden.sheet, whole, colour, 40), CountColour(shown.sheet, whole, colour, 40)) << c;
    }
}

// A print asked for while a page is being prepared prints that page, complete.
TEST_F(MainPrintTest, PrintDuringAPreparationPrintsTheNewPage)
{
    Start();
    Open(3000);
    const PdfSheet before = Print("before.pdf");
    for (int i = 0; i < 3; ++i) {
        const std::string name = "during-" + std::to_string(i) + ".pdf";
        window->ScrollByWheel(120);  // ascending: back 20 samples
        ASSERT_EQ(window->IsBusy(), 1);
        const PdfSheet during = Print(name);
        SettleMainWindow();
        const PdfSheet after = Print("after-" + std::to_string(i) + ".pdf");
        ASSERT_FALSE(during.sheet.isNull());
        EXPECT_TRUE(during.sheet == after.sheet) << name;
        EXPECT_FALSE(during.sheet == before.sheet) << name;
    }
}

// The set-up dialog opens on the stored paper and orientation; OK keeps the choice
// and stores it as keys 11100 and 11101, which the next start reads; Cancel changes
// nothing.
TEST_F(MainPrintTest, PageSetupKeepsAndStoresTheChoice)
{
    const struct {
        const char* name;
        const char* paper;
        const char* orientation;
        QPageSize::PageSizeId shownSize;
        bool shownLandscape;
        QPageSize::PageSizeId chosenSize;
        bool chosenLandscape;
        bool ok;
        int paperAfter, orientationAfter;
        const char* storedPaper;
        const char* storedOrientation;
    } cases[] = {
        {"first set-up, Letter portrait", nullptr, nullptr, QPageSize::A4, true, QPageSize::Letter, false, true, 1, 1,
         "1", "1"},
        {"A3 portrait stored, A5 landscape chosen", "8", "1", QPageSize::A3, false, QPageSize::A5, true, true, 11, 2,
         "11", "2"},
        {"cancelled", nullptr, nullptr, QPageSize::A4, true, QPageSize::Letter, false, false, 9, 2, "none", "none"},
    };
    for (const auto& c : cases) {
        Start(c.paper, c.orientation);
        std::string shownSize;
        bool shownLandscape = false;
        bool seen = false;
        QTimer::singleShot(50, [&] {
            auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            auto* size = dialog->findChild<QComboBox*>("pageSizeCombo");
            auto* portrait = dialog->findChild<QRadioButton*>("portrait");
            auto* landscape = dialog->findChild<QRadioButton*>("landscape");
            if (size && portrait && landscape) {
                shownSize = size->currentText().toStdString();
                shownLandscape = landscape->isChecked();
                size->setCurrentIndex(size->findText(QPageSize(c.chosenSize).name()));
                (c.chosenLandscape ? landscape : portrait)->click();
            }
            c.ok ? dialog->accept() : dialog->reject();
        });
        window->GetButton(5)->click();
        ASSERT_TRUE(seen) << c.name;
        EXPECT_EQ(shownSize, QPageSize(c.shownSize).name().toStdString()) << c.name;
        EXPECT_EQ(shownLandscape, c.shownLandscape) << c.name;
        EXPECT_EQ(window->GetPaperSize(), c.paperAfter) << c.name;
        EXPECT_EQ(window->GetOrientation(), c.orientationAfter) << c.name;
        EXPECT_EQ(Stored(kKeyPaperSize), c.storedPaper) << c.name;
        EXPECT_EQ(Stored(kKeyOrientation), c.storedOrientation) << c.name;
        // The next start reads them back.
        window.reset(new CMainDlg);
        EXPECT_EQ(window->GetPaperSize(), c.paperAfter) << c.name;
        EXPECT_EQ(window->GetOrientation(), c.orientationAfter) << c.name;
    }
}

// The chart's context menu writes the window picture and the printed sheet into
// the file picked in the file dialog, as the export tool writes them; a file that
// cannot be written is reported.
TEST_F(MainPrintTest, ContextMenuSavesPictureAndSheet)
{
    Start();
    Open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    CCurveWnd* chart = window->GetCurveWnd();
    const struct {
        const char* item;
        std::string path;
        const char* format;  // of the file written; null: none, a message instead
    } cases[] = {
        {"保存图片…", dir.Path("menu.png"), "PNG"},
        {"导出PDF…", dir.Path("menu.pdf"), "%PDF"},
        {"导出PDF…", dir.Path("missing/menu.pdf"), nullptr},
    };
    for (const auto& c : cases) {
        QString message;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions()) {
                    if (action->text() == QString::fromUtf8(c.item))
                        menu->setActiveAction(action);
                }
                QTest::keyClick(menu, Qt::Key_Return);
            } else if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                // The name typed into the dialog's name field.
                if (auto* name = files->findChild<QLineEdit*>("fileNameEdit"))
                    name->setText(QString::fromStdString(c.path));
                static_cast<QDialog*>(files)->accept();
            } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                message = box->text();
                box->accept();
            }
        });
        driver.start(20);
        const QPoint at((chart->GetPlotArea().left + chart->GetPlotArea().right) / 2, chart->GetPlotArea().top + 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, chart->mapToGlobal(at));
        QCoreApplication::sendEvent(chart, &event);
        driver.stop();
        QFile file(QString::fromStdString(c.path));
        if (c.format) {
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.path;
            EXPECT_TRUE(file.read(8).contains(c.format)) << c.path;
            EXPECT_TRUE(message.isEmpty()) << c.path;
        } else {
            EXPECT_FALSE(file.exists()) << c.path;
            EXPECT_TRUE(message.startsWith(QString::fromUtf8("无法写入文件："))) << message.toStdString();
        }
    }
    // The picture is the window as the export tool writes it.
    EXPECT_EQ(QImage(QString::fromStdString(dir.Path("menu.png"))).size(), window->size());
}

}  // namespace
