// Preparing a page of a dataset, and the manager's preparation (worker thread), which
// draws it into the manager's own work surfaces.
#include "data/data_manager.h"
#include "data/prepare_display.h"
#include "data/visibility_flags.h"
#include "guiex/guiex_dc.h"
#include "guiex/parameters_base.h"
#include "guiex/strings.h"

#include <QPoint>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <vector>

namespace {

// The automatic value axis: whole tens around the data, one ten of margin below.
// Computed in 64 bits from readings clamped to the 32-bit range, so infinite and
// huge readings give a defined axis (a range that is not a number counts as 0).
void AutomaticAxis(double dataMin, double dataMax, double* axisMin, double* axisMax)
{
    const auto toInt = [](double v) {
        if (std::isnan(v))
            return 0LL;
        return static_cast<long long>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
    };
    const long long lo = toInt(std::floor(dataMin));
    const long long hi = toInt(std::ceil(dataMax));
    *axisMin = static_cast<double>(lo / 10 * 10 - 10);
    *axisMax = static_cast<double>((hi / 10 + 1) * 10);
}

// A reading that is not a number stays one: the series keeps the gap.
double Normalise(double v, double axisMin, double axisMax, double span)
{
    if (v >= axisMax)
        return 1.0;
    if (v <= axisMin)
        return 0.0;
    return (v - axisMin) / span;
}

// The plot row of a value (not NaN): the top at or above the axis maximum, the
// bottom at or below the minimum, in between rounded to the nearest row.
int PlotY(double v, double axisMin, double axisMax, double span, int plotHeight)
{
    if (v >= axisMax)
        return 0;
    if (v <= axisMin)
        return plotHeight;
    return static_cast<int>((1.0 - (v - axisMin) / span) * plotHeight + 0.5);
}

// "%.1f" whatever the process locale; a value that rounds to zero reads "0.0", also
// when it lies a hair below zero.
std::string OneDecimal(double v)
{
    char text[400];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 1);
    std::string label(text, r.ptr);
    if (label == "-0.0")
        label.erase(0, 1);
    return label;
}

constexpr COLORREF kLabelColor = 0x552200;
constexpr COLORREF kWhite = 0xFFFFFF;
// The value axis carries this many labels, from its maximum down to its minimum.
constexpr int kValueLabels = 16;

// The value labels, each with a gradient tick under it.
void DrawValueAxis(const CPreparedPage& page, const CPageSurfaces& surfaces)
{
    COM_GUI_EX::CGUIEXDC* const surface = surfaces.value;
    if (!surface)
        return;
    const int width = surface->GetSize().width();
    if (surfaces.valueBackground)
        surface->CopyFromDC(surfaces.valueBackground->GetMemDC());
    surface->SetFont(COM_GUI_EX::LoadString(1000), 9, 0);
    surface->SetBrushColor(kLabelColor);
    const int cell = surfaces.valueCell;
    const int margin = surfaces.valueMargin;
    const std::vector<std::string> labels = CMemoryTransferManage::MakeValueLabels(page.axisMin, page.axisMax);
    for (int k = 0; k < kValueLabels; ++k) {
        const RECT box{margin, k * cell, width - margin, (k + 1) * cell};
        surface->DrawTextInRect(QString::fromStdString(labels[static_cast<size_t>(k)]), &box, 8, 0);
        const RECT tick{margin, (k + 1) * cell - surfaces.tickHeight, width - margin, (k + 1) * cell};
        surface->FillGradientH(&tick, kLabelColor, kWhite, 255);
    }
}

}  // namespace

void CMemoryTransferManage::AttachChartLayers(COM_GUI_EX::CGUIEXDC* plotBackground,
                                              COM_GUI_EX::CGUIEXDC* valueBackground,
                                              COM_GUI_EX::CGUIEXDC* timeLayer, const CVisibilityFlags* flags)
{
    const std::lock_guard<std::mutex> drawing(m_surfaceLock);
    m_pPlotBackground = plotBackground;
    m_pValueBackground = valueBackground;
    m_pVisibility.store(flags);
    m_nPenWidth = S(1);
    m_pPlotSurface.reset();
    m_pValueSurface.reset();
    m_pTimeSurface.reset();
    int width = 0;
    int height = 0;
    if (plotBackground) {
        const QSize size = plotBackground->GetSize();
        m_pPlotSurface.reset(new COM_GUI_EX::CGUIEXDC(plotBackground->GetMemDC(), size.width(), size.height()));
        width = size.width();
        height = size.height();
    }
    if (valueBackground) {
        const QSize size = valueBackground->GetSize();
        m_pValueSurface.reset(new COM_GUI_EX::CGUIEXDC(valueBackground->GetMemDC(), size.width(), size.height()));
    }
    if (timeLayer) {
        const QSize size = timeLayer->GetSize();
        m_pTimeSurface.reset(new COM_GUI_EX::CGUIEXDC(timeLayer->GetMemDC(), size.width(), size.height()));
        m_pTimeSurface->SetFont(COM_GUI_EX::LoadString(1000), 8, 4);
        m_pTimeSurface->SetBrushColor(kLabelColor);
    }
    m_nPlotWidth.store(width);
    m_nPlotHeight.store(height);
}

bool CMemoryTransferManage::CopyWorkSurfaces(COM_GUI_EX::CGUIEXDC* plotLayer, COM_GUI_EX::CGUIEXDC* valueLayer,
                                             COM_GUI_EX::CGUIEXDC* timeLayer) const
{
    m_nPublished.load(std::memory_order_acquire);
    std::unique_lock<std::mutex> drawing(m_surfaceLock, std::try_to_lock);
    if (!drawing.owns_lock())
        return false;
    if (m_dataset.ChannelCount() == 0)
        return true;
    const std::pair<COM_GUI_EX::CGUIEXDC*, const COM_GUI_EX::CGUIEXDC*> copies[] = {
        {plotLayer, m_pPlotSurface.get()}, {valueLayer, m_pValueSurface.get()}, {timeLayer, m_pTimeSurface.get()}};
    for (const auto& copy : copies) {
        if (copy.first && copy.second)
            copy.first->CopyFromDC(copy.second->GetMemDC());
    }
    return true;
}

void CMemoryTransferManage::ReleaseWorkSurfaces()
{
    const std::lock_guard<std::mutex> drawing(m_surfaceLock);
    m_pPlotSurface.reset();
    m_pValueSurface.reset();
    m_pTimeSurface.reset();
}

CPreparedPage PreparePage(const CDataset& dataset, const CPageRequest& request, const CPageSurfaces& surfaces)
{
    CPreparedPage page;
    if (surfaces.plot && surfaces.plotBackground)
        surfaces.plot->CopyFromDC(surfaces.plotBackground->GetMemDC());
    const int channels = dataset.ChannelCount();
    if (request.count <= 0 || channels == 0)
        return page;

    if (request.rangeMode != 0) {
        page.axisMax = request.manualMax;
        page.axisMin = request.manualMin;
    } else {
        AutomaticAxis(dataset.dataMin, dataset.dataMax, &page.axisMin, &page.axisMax);
    }
    DrawValueAxis(page, surfaces);
    page.axisSpan = std::max(0.0, page.axisMax - page.axisMin);
    if (surfaces.time)
        surfaces.time->FillSolid(kWhite);

    const long long first = request.first;
    const int count = request.count;
    bool labelsPending = true;
    std::string text;
    // Each channel's points in column order, and the runs of them between readings
    // that are not numbers (a gap: no segment to or from such a reading).
    std::vector<std::vector<QPoint>> curves(static_cast<size_t>(channels));
    std::vector<std::vector<size_t>> runStarts(static_cast<size_t>(channels));
    page.series.resize(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
        if (request.visibility && request.visibility->IsHidden(c))
            continue;  // a hidden channel keeps an empty series and does not take the labels
        const CSampleArray& samples = dataset.samples[static_cast<size_t>(c)];
        CSampleArray& series = page.series[static_cast<size_t>(c)];
        std::vector<QPoint>& curve = curves[static_cast<size_t>(c)];
        std::vector<size_t>& starts = runStarts[static_cast<size_t>(c)];
        bool gap = true;
        for (int i = 0; i < count; ++i) {
            const long long idx = request.timeOrder != 0 ? first + count - 1 - i : first + i;
            const int x = request.step * i;
            if (idx >= 0 && static_cast<unsigned long long>(idx) < samples.size()) {
                const double v = samples[static_cast<size_t>(idx)];
                series.push_back(Normalise(v, page.axisMin, page.axisMax, page.axisSpan));
                if (x > request.plotWidth)
                    break;  // the time labels end with the curve
                if (std::isnan(v)) {
                    gap = true;
                } else {
                    if (gap)
                        starts.push_back(curve.size());
                    gap = false;
                    curve.emplace_back(x, PlotY(v, page.axisMin, page.axisMax, page.axisSpan, request.plotHeight));
                }
            }
            if (labelsPending && idx >= 0 && static_cast<unsigned long long>(idx) < dataset.labels.size() &&
                x % request.labelSpacing == 0) {
                CMemoryTransferManage::FormatTimeLabel(dataset.labels.GetAt(static_cast<size_t>(idx)).c_str(),
                                                       request.labelFormat, dataset.labelReading, &text);
                const QString& shown = page.axisLabels.emplace_back(DecodeText(text.data(), text.size(), dataset.encoding));
                if (surfaces.time)
                    surfaces.time->DrawRotatedText(shown, static_cast<float>(x + request.labelOffset), 0.0f, 45.0f);
            }
        }
        labelsPending = false;
    }
    // Each run joins its points in column order, one segment per column. The curves
    // are drawn together, each over the ones before it.
    std::vector<COM_GUI_EX::CGUIEXPolyline> polylines;
    for (int c = 0; c < channels; ++c) {
        const std::vector<QPoint>& curve = curves[static_cast<size_t>(c)];
        const std::vector<size_t>& starts = runStarts[static_cast<size_t>(c)];
        for (size_t r = 0; r < starts.size(); ++r) {
            const size_t end = r + 1 < starts.size() ? starts[r + 1] : curve.size();
            if (end - starts[r] > 1)
                polylines.push_back({curve.data() + starts[r], static_cast<int>(end - starts[r]),
                                     CMemoryTransferManage::kPalette[c]});
        }
    }
    if (surfaces.plot)
        surfaces.plot->DrawSmoothPolylines(polylines, surfaces.penWidth);
    return page;
}

int CMemoryTransferManage::PrepareDisplay()
{
    const auto started = std::chrono::steady_clock::now();
    CPageRequest request;
    request.first = m_nPageFirst.load();
    request.count = m_nPageCount.load();
    request.step = m_nStep.load();
    request.timeOrder = m_nTimeOrder.load();
    request.labelFormat = m_nLabelFormat.load();
    request.rangeMode = m_nRangeMode.load();
    request.manualMax = m_nManualMax.load();
    request.manualMin = m_nManualMin.load();
    request.plotWidth = m_nPlotWidth.load();
    request.plotHeight = m_nPlotHeight.load();
    request.labelSpacing = S(30);
    request.labelOffset = S(22);
    request.visibility = m_pVisibility.load();

    const std::lock_guard<std::mutex> drawing(m_surfaceLock);
    CPageSurfaces surfaces;
    surfaces.plot = m_pPlotSurface.get();
    surfaces.plotBackground = m_pPlotBackground;
    surfaces.value = m_pValueSurface.get();
    surfaces.valueBackground = m_pValueBackground;
    surfaces.time = m_pTimeSurface.get();
    surfaces.penWidth = m_nPenWidth;
    surfaces.valueCell = S(30);
    surfaces.valueMargin = S(10);
    surfaces.tickHeight = S(1);
    ClearDisplaySeries();
    m_page = PreparePage(m_dataset, request, surfaces);
    m_statistics.prepareSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return 0;
}

std::vector<std::string> CMemoryTransferManage::MakeValueLabels(double axisMin, double axisMax)
{
    const double d = (axisMax - axisMin) / 15;
    std::vector<std::string> labels;
    double v = axisMax;
    for (int k = 0; k < kValueLabels; ++k) {
        labels.push_back(OneDecimal(v));
        v -= d;
    }
    return labels;
}
