// The print command and the printer set-up command of the main window.
//
// The paper size and orientation are kept as the platform's numeric printer codes
// (paper 9 = A4, orientation 1 = portrait, 2 = landscape), which is how the settings
// file stores them, and are turned into page sizes only at the printer.
#include "app/main_dlg.h"
#include "chart/chart_print.h"
#include "chart/curve_wnd.h"
#include "guiex/parameters_base.h"
#include "settings/ini_setting.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>
#include <memory>
#include <string>

namespace {

constexpr int16_t kPortrait = 1;
constexpr int16_t kLandscape = 2;
constexpr const char* kDocumentName = "Vantrel数据导出曲线打印";
// How long a print waits for a preparation to finish. Preparations take
// milliseconds; a worker still busy after this prints nothing.
constexpr int kPageWaitMs = 10000;

// Puts the stored codes on the printer. A paper code without a page size of its own
// and an unknown orientation code leave the printer's choice as it is.
void ApplyPageSetup(QPrinter& printer, int16_t paperSize, int16_t orientation)
{
    const QPageSize::PageSizeId id = QPageSize::id(static_cast<int>(paperSize));
    if (id != QPageSize::Custom)
        printer.setPageSize(QPageSize(id));
    if (orientation == kPortrait)
        printer.setPageOrientation(QPageLayout::Portrait);
    else if (orientation == kLandscape)
        printer.setPageOrientation(QPageLayout::Landscape);
}

}  // namespace

void CMainDlg::OnPrint()
{
    if (m_strFilePath.empty())
        return;
    // No printer installed: nothing is printed and nothing is said.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return;
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid())
        return;
    PrintToPrinter(printer);
}

bool CMainDlg::PrintToPrinter(QPrinter& printer)
{
    if (m_strFilePath.empty() || m_bLoading || !m_pCurveWnd)
        return false;
    // The worker rewrites the page while it prepares one: the page is copied only
    // once it is idle, and nothing asks it for work until the print is done.
    CPrintPage page;
    if (!TakePrintPage(*CMemoryTransferManage::GetInstance(), kPageWaitMs, &page))
        return false;
    ApplyPageSetup(printer, m_nPaperSize, m_nOrientation);
    printer.setDocName(QString::fromUtf8(kDocumentName));
    CChartPrint chart(m_pCurveWnd->GetChannelNames(), m_pCurveWnd->GetVisibilityFlags(), page, S(30));
    return PrintSheet(printer, chart);
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
        printer.reset(new QPrinter(info, QPrinter::HighResolution));
    } else {
        printer.reset(new QPrinter(QPrinter::HighResolution));
        printer->setOutputFormat(QPrinter::PdfFormat);
    }
    ApplyPageSetup(*printer, m_nPaperSize, m_nOrientation);
    QPageSetupDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QPageLayout layout = printer->pageLayout();
    m_nPaperSize = static_cast<int16_t>(layout.pageSize().windowsId());
    m_nOrientation = layout.orientation() == QPageLayout::Landscape ? kLandscape : kPortrait;
    WriteSetting(*m_pSetting, kKeyPaperSize, std::to_string(m_nPaperSize));
    WriteSetting(*m_pSetting, kKeyOrientation, std::to_string(m_nOrientation));
}
