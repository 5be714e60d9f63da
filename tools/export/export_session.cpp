// Drives the program's main window through one export run.
#include "export_session.h"

#include "app/main_dlg.h"
#include "common/file_helpers.h"
#include "chart/chart_layout.h"
#include "chart/curve_wnd.h"
#include "data/transfer_messages.h"
#include "guiex/parameters_base.h"
#include "guiex/posted_message.h"
#include "guiex/smooth_btn.h"
#include "settings/ini_setting.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QtWidgets/qtestsupport_widgets.h>
#include <chrono>
#include <cstdio>
#include <memory>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kZoomInButton = 3;
constexpr int kZoomOutButton = 4;

QString PathText(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Whether the file can be written, without changing it: an existing file is opened
// for appending, a new one is made and removed again. A device or a FIFO is only
// written into at the end, and only once: opening a FIFO here would end its
// reader's input before the output is written.
bool CanWrite(const std::string& path)
{
    const QString name = PathText(path);
    const QFileInfo info(name);
    if (info.isDir())
        return false;
    if (info.exists() && !info.isFile())
        return true;
    const bool existed = info.exists();
    QFile file(name);
    if (!file.open(QIODevice::Append))
        return false;
    file.close();
    if (!existed)
        file.remove();
    return true;
}

// The load result travels with TRANSFER_LOADED, which the main window does not
// examine: it is read here on its way to the window.
class CLoadResultWatch : public QObject {
public:
    int result = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (static_cast<uint32_t>(event->type()) == WM_TRANSFER_NOTIFY) {
            const auto* message = static_cast<const COM_GUI_EX::CPostedMessage*>(event);
            if (message->WParam() == TRANSFER_LOADED)
                result = static_cast<int>(message->LParam());
        }
        return false;
    }
};

// Peak resident memory of the process in MiB (0 where the platform does not say).
double PeakResidentMb()
{
#if defined(__APPLE__)
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / (1024.0 * 1024.0);  // bytes
#elif defined(__unix__)
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // KiB
#else
    return 0.0;
#endif
}

// Lets the worker finish what was asked of it and the window handle every message
// that brings, until neither has anything left to do. False when the worker did not
// become idle within the time-out.
bool SettleWindow(const CMainDlg& window, int timeoutMs = 600000)
{
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    // Each message handled may ask the worker for more (a finished load asks for its
    // first page): the rounds go on until a round finds nothing to do.
    for (;;) {
        if (!manager->WaitIdle(timeoutMs))
            return false;
        QCoreApplication::processEvents();
        if (!window.IsLoading() && !window.IsBusy() && manager->WaitIdle(0))
            break;
    }
    QCoreApplication::processEvents();
    return true;
}

// The settings record of the settings file with the options' values in its place.
CSettingsRecord SettingsWithOverrides(const CExportOptions& options)
{
    CSettingsRecord record = LoadSettings(CInitSetting(SettingsFilePath().c_str()));
    if (options.labelColumn)
        record.timeColumn = *options.labelColumn;
    if (options.timeOrder)
        record.timeOrder = *options.timeOrder;
    if (options.labelFormat)
        record.labelFormat = *options.labelFormat;
    if (options.manualRange) {
        record.rangeMode = *options.manualRange ? 1 : 0;
        if (*options.manualRange) {
            record.manualMin = options.rangeMin;
            record.manualMax = options.rangeMax;
        }
    }
    if (options.unit)
        record.unit = QString::fromLocal8Bit(*options.unit);  // arguments come in the locale's encoding
    return record;
}

// The zoom buttons, one level per click, until the level is reached. A click that
// does not change the level (no data) ends it; the window would announce the limit.
bool ZoomTo(CMainDlg& window, int level)
{
    while (window.GetTotal() > 0 && window.GetZoomLevel() != level) {
        const int before = window.GetZoomLevel();
        window.GetButton(level > before ? kZoomInButton : kZoomOutButton)->click();
        if (!SettleWindow(window))
            return false;
        if (window.GetZoomLevel() == before)
            break;
    }
    return true;
}

// The pointer to a point of the chart, as the platform would move it: the platform's
// move event, then the cursor message the chart posts in answer.
void MovePointer(CCurveWnd* chart, const QPoint& point)
{
    QCursor::setPos(chart->mapToGlobal(point));
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

// A left click at a point of the chart: press and release, as the platform delivers them.
void Click(CCurveWnd* chart, const QPoint& point)
{
    const QPoint global = chart->mapToGlobal(point);
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(chart, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(chart, &release);
}

QPoint Centre(const RECT& r)
{
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

bool HideChannels(CMainDlg& window, const std::vector<int>& channels, std::string* error)
{
    CCurveWnd* chart = window.GetCurveWnd();
    const int count = static_cast<int>(chart->GetLegendHitRects().size());
    for (const int channel : channels) {
        if (channel >= count) {
            *error = "--hide: channel " + std::to_string(channel) + " is not in the file (" + std::to_string(count) +
                     " channels)";
            return false;
        }
        const QPoint point = Centre(chart->GetLegendHitRects().at(static_cast<size_t>(channel)));
        MovePointer(chart, point);
        Click(chart, point);
        if (!SettleWindow(window)) {
            *error = "the worker did not finish the page";
            return false;
        }
    }
    return true;
}

// The steps after the load, in their order: zoom, first sample, hidden channels, cursor.
bool RunSteps(CMainDlg& window, const CExportOptions& options, std::string* error)
{
    if (options.zoomLevel && !ZoomTo(window, *options.zoomLevel)) {
        *error = "the worker did not finish the page";
        return false;
    }
    if (options.first) {
        window.CommitPage(*options.first);
        if (!SettleWindow(window)) {
            *error = "the worker did not finish the page";
            return false;
        }
    }
    if (!options.hide.empty() && !HideChannels(window, options.hide, error))
        return false;
    if (options.cursor) {
        const RECT plot = window.GetCurveWnd()->GetPlotArea();
        MovePointer(window.GetCurveWnd(), QPoint(plot.left + *options.cursor, (plot.top + plot.bottom) / 2));
    }
    return true;
}

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

bool CheckExportPaths(const CExportOptions& options, std::string* error)
{
    const QFileInfo input(PathText(options.file));
    if (!input.exists()) {
        *error = "cannot read " + options.file + ": no such file";
        return false;
    }
    // Opened as the program opens it: a FIFO or a device is refused, never waited on.
    if (!IsReadableRegularFile(options.file.c_str())) {
        *error = "cannot read " + options.file
                 + (input.isDir() ? ": it is a folder" : input.isFile() ? ": permission denied" : ": not a regular file");
        return false;
    }
    for (const std::string* output : {&options.png, &options.pdf}) {
        if (!output->empty() && !CanWrite(*output)) {
            *error = "cannot write " + *output;
            return false;
        }
    }
    return true;
}

int RunExport(const CExportOptions& options, std::string* error)
{
    CParametersBase::GetInstance()->SetPercentage(options.scale);
    auto window = std::make_unique<CMainDlg>();
    CLoadResultWatch watch;
    window->installEventFilter(&watch);

    window->ApplySettingsRecord(SettingsWithOverrides(options));
    window->SetPageSetup(static_cast<int16_t>(options.paperSize.value_or(window->GetPaperSize())),
                         static_cast<int16_t>(options.orientation.value_or(window->GetOrientation())));
    const RECT plot = window->GetCurveWnd()->GetPlotArea();
    if (options.cursor && *options.cursor >= RectWidth(plot)) {
        *error = "--cursor: the plot has columns 0 to " + std::to_string(RectWidth(plot) - 1) + ", got " +
                 std::to_string(*options.cursor);
        return kExportFailed;
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        *error = "the offscreen platform did not show the window";
        return kExportFailed;
    }
    // The pointer starts away from the window: nothing is hovered until a step moves it.
    QCursor::setPos(QPoint(-10000, -10000));

    // The open command after its file dialog (which gives absolute paths), then the
    // query dialog's OK.
    const std::string path = QFile::encodeName(QFileInfo(PathText(options.file)).absoluteFilePath()).toStdString();
    Clock::time_point requested = Clock::now();
    window->OpenPath(path);
    bool settled = SettleWindow(*window);
    if (settled && options.query) {
        requested = Clock::now();
        window->ApplyQuery(1, options.queryStart, options.queryEnd, options.fitAll ? 1 : 0);
        settled = SettleWindow(*window);
    }
    if (!settled) {
        *error = "the worker did not finish loading " + options.file;
        return kExportFailed;
    }
    window->repaint();
    const double firstPageMs = Ms(Clock::now() - requested);
    const CMemoryTransferManage::WorkStatistics statistics =
        CMemoryTransferManage::GetInstance()->GetWorkStatistics();
    const double residentMb = PeakResidentMb();

    if (!RunSteps(*window, options, error))
        return kExportFailed;
    if (options.info) {
        const std::string json = ExportSummaryJson(*window, watch.result, CMemoryTransferManage::GetInstance()->GetDialect(), options.series);
        std::fwrite(json.data(), 1, json.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    if (!options.png.empty() && !window->SavePicture(PathText(options.png))) {
        *error = "cannot write " + options.png;
        return kExportFailed;
    }
    if (!options.pdf.empty() && !window->SaveSheet(PathText(options.pdf))) {
        *error = "cannot write " + options.pdf;
        return kExportFailed;
    }
    if (options.timings) {
        std::fprintf(stderr, "load_ms=%.1f prepare_ms=%.1f first_page_ms=%.1f rss_mb=%.1f\n",
                     statistics.loadSeconds * 1000.0, statistics.prepareSeconds * 1000.0, firstPageMs, residentMb);
    }
    return kExportOk;
}
