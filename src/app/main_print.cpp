// The print command, the printer set-up command and the chart's two save commands.
//
// The paper size and orientation are kept as the platform's numeric printer codes
// (paper 9 = A4, orientation 1 = portrait, 2 = landscape), which is how the settings
// file stores them, and are turned into page sizes only at the printer. A sheet is
// laid out on the whole paper: its margins are measured from the paper's edge, on a
// printer and in a PDF file alike.
#include "app/main_dlg.h"
#include "chart/chart_print.h"
#include "chart/curve_wnd.h"
#include "common/file_helpers.h"
#include "guiex/message_box.h"
#include "guiex/parameters_base.h"
#include "guiex/strings.h"
#include "settings/ini_setting.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QString>
#include <algorithm>
#include <memory>
#include <string>

#ifdef TRANDOR_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace {

constexpr int16_t kPortrait = 1;
constexpr int16_t kLandscape = 2;
constexpr const char* kDocumentName = "Vantrel数据导出曲线打印";
// How long a print waits for a preparation to finish. Preparations take
// milliseconds; a worker still busy after this prints nothing.
constexpr int kPageWaitMs = 10000;
// A queue's own resolution is used up to this; finer ones only make the sheet's
// bitmap larger and its 2-pixel curves thinner.
constexpr int kMaxPrinterDpi = 600;
// The resolution of a queue that reports none, and of a sheet saved as a PDF file.
constexpr int kDefaultPrinterDpi = 300;
// Strings of the no-printer message and of the save commands.
constexpr unsigned kNoPrinterText = 1602;
constexpr unsigned kWriteFailedText = 1603;
constexpr unsigned kPictureFilter = 1604;
constexpr unsigned kSheetFilter = 1605;
constexpr unsigned kPictureMenu = 1600;
constexpr unsigned kSheetMenu = 1601;
constexpr unsigned kNoFileText = 1606;
constexpr unsigned kPrintRefusedText = 1607;

// The resolution the queue reports as its default, in dots per inch; 0 when it
// reports none or cannot be asked.
int QueueDefaultDpi(const QString& queue)
{
#ifdef TRANDOR_HAVE_CUPS
    // A queue's name may carry an instance after a slash.
    const int slash = queue.indexOf(QLatin1Char('/'));
    const QByteArray name = (slash < 0 ? queue : queue.left(slash)).toLocal8Bit();
    const QByteArray instance = slash < 0 ? QByteArray() : queue.mid(slash + 1).toLocal8Bit();
    cups_dest_t* dest =
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return 0;
    int dpi = 0;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        if (ipp_attribute_t* value = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
            int y = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            const int x = ippGetResolution(value, 0, &y, &units);
            dpi = units == IPP_RES_PER_CM ? qRound(x * 2.54) : x;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return dpi;
#else
    (void)queue;
    return 0;
#endif
}

// Puts the stored codes on the device and lays the page out on the whole paper. A
// paper code without a page size of its own and an unknown orientation code leave
// the device's choice as it is.
void ApplyPageSetup(QPagedPaintDevice& device, int16_t paperSize, int16_t orientation)
{
    const QPageSize::PageSizeId id = QPageSize::id(static_cast<int>(paperSize));
    if (id != QPageSize::Custom)
        device.setPageSize(QPageSize(id));
    if (orientation == kPortrait)
        device.setPageOrientation(QPageLayout::Portrait);
    else if (orientation == kLandscape)
        device.setPageOrientation(QPageLayout::Landscape);
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// The dialog's page size list and orientation buttons set to the stored choice: the
// widget dialog starts on a real queue's own default paper otherwise. A platform's
// native dialog has no such widgets and takes the printer's layout itself.
void ShowPageSetup(QPageSetupDialog& dialog, const QPageLayout& layout)
{
    if (auto* sizes = dialog.findChild<QComboBox*>(QStringLiteral("pageSizeCombo"))) {
        const int index = sizes->findText(layout.pageSize().name());
        if (index >= 0)
            sizes->setCurrentIndex(index);
    }
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    if (auto* button =
            dialog.findChild<QRadioButton*>(landscape ? QStringLiteral("landscape") : QStringLiteral("portrait")))
        button->click();
}

void ReportWriteFailure(QWidget* parent, const QString& path)
{
    COM_GUI_EX::ShowWarning(parent, COM_GUI_EX::LoadString(kWriteFailedText).arg(QDir::toNativeSeparators(path)));
}

// The file the user picks in a save dialog, empty when cancelled.
QString PickFile(QWidget* parent, unsigned titleId, unsigned filterId, const QString& suffix)
{
    QFileDialog dialog(parent, COM_GUI_EX::LoadString(titleId).remove(QStringLiteral("…")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(COM_GUI_EX::LoadString(filterId));
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(QStringLiteral("chart.") + suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

}  // namespace

int CMainDlg::PrinterResolution(const QString& queue)
{
    const int dpi = QueueDefaultDpi(queue);
    if (dpi <= 0)
        return kDefaultPrinterDpi;
    return std::min(dpi, kMaxPrinterDpi);
}

void CMainDlg::OnPrint()
{
    if (m_strFilePath.empty()) {
        COM_GUI_EX::ShowMessage(this, COM_GUI_EX::LoadString(kNoFileText));
        return;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        COM_GUI_EX::ShowMessage(this, COM_GUI_EX::LoadString(kNoPrinterText));
        return;
    }
    QPrinter printer(info, QPrinter::PrinterResolution);
    if (printer.isValid()) {
        printer.setResolution(PrinterResolution(info.printerName()));
        if (PrintToPrinter(printer) && printer.printerState() != QPrinter::Error)
            return;
    }
    COM_GUI_EX::ShowWarning(this, COM_GUI_EX::LoadString(kPrintRefusedText));
}

bool CMainDlg::PrintToPrinter(QPrinter& printer)
{
    printer.setDocName(QString::fromUtf8(kDocumentName));
    printer.setFullPage(true);
    return PrintPage(printer);
}

bool CMainDlg::PrintPage(QPagedPaintDevice& device)
{
    if (m_strFilePath.empty() || m_bLoading || !m_pCurveWnd)
        return false;
    // The worker rewrites the page while it prepares one: the page is copied only
    // once it is idle, and nothing asks it for work until the print is done.
    CPrintPage page;
    if (!TakePrintPage(*CMemoryTransferManage::GetInstance(), kPageWaitMs, &page))
        return false;
    ApplyPageSetup(device, m_nPaperSize, m_nOrientation);
    CChartPrint chart(m_pCurveWnd->GetChannelNames(), m_pCurveWnd->GetVisibilityFlags(), page, S(30));
    // The window repaints between drawing the sheet and sending it.
    return PrintSheet(device, chart, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

bool CMainDlg::SaveSheet(const QString& path)
{
    // The file is made in memory and written whole: the PDF writer does not report a
    // short write.
    QBuffer sheet;
    sheet.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&sheet);
        writer.setResolution(kDefaultPrinterDpi);
        writer.setTitle(QString::fromUtf8(kDocumentName));
        if (!PrintPage(writer))
            return false;
    }
    return WriteOutputFile(path, sheet.data());
}

bool CMainDlg::SavePicture(const QString& path)
{
    QBuffer picture;
    picture.open(QIODevice::WriteOnly);
    return grab().toImage().save(&picture, "PNG") && WriteOutputFile(path, picture.data());
}

void CMainDlg::OnSavePicture()
{
    const QString path = PickFile(this, kPictureMenu, kPictureFilter, QStringLiteral("png"));
    if (!path.isEmpty() && !SavePicture(path))
        ReportWriteFailure(this, path);
}

void CMainDlg::OnSaveSheet()
{
    if (m_strFilePath.empty()) {
        COM_GUI_EX::ShowMessage(this, COM_GUI_EX::LoadString(kNoFileText));
        return;
    }
    const QString path = PickFile(this, kSheetMenu, kSheetFilter, QStringLiteral("pdf"));
    if (!path.isEmpty() && !SaveSheet(path))
        ReportWriteFailure(this, path);
}

void CMainDlg::SetPageSetup(int16_t paperSize, int16_t orientation)
{
    m_nPaperSize = paperSize;
    m_nOrientation = orientation;
}

void CMainDlg::OnPageSetup()
{
    // Without an installed printer the dialog still chooses paper and orientation,
    // on a printer that writes files.
    std::unique_ptr<QPrinter> printer;
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
        printer.reset(new QPrinter(info, QPrinter::PrinterResolution));
    } else {
        printer.reset(new QPrinter(QPrinter::PrinterResolution));
        printer->setOutputFormat(QPrinter::PdfFormat);
    }
    ApplyPageSetup(*printer, m_nPaperSize, m_nOrientation);
    QPageSetupDialog dialog(printer.get(), this);
    ShowPageSetup(dialog, printer->pageLayout());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QPageLayout layout = printer->pageLayout();
    m_nPaperSize = static_cast<int16_t>(layout.pageSize().windowsId());
    m_nOrientation = layout.orientation() == QPageLayout::Landscape ? kLandscape : kPortrait;
    // The choice holds for this run even when the settings file refuses it.
    if (!WriteSettings(*m_pSetting, {{kKeyPaperSize, std::to_string(m_nPaperSize)},
                                     {kKeyOrientation, std::to_string(m_nOrientation)}}))
        ReportWriteFailure(this, QFile::decodeName(m_pSetting->GetPath() ? m_pSetting->GetPath() : ""));
}
