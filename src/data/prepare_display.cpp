// Preparing the displayed page from the loaded dataset (worker thread): the value
// range, the normalised display series and the time-axis label texts.
#include "data/data_manager.h"
#include "data/visibility_flags.h"
#include "guiex/guiex_dc.h"
#include "guiex/parameters_base.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The automatic value axis: whole tens around the data, one ten of margin below.
// Computed in 64 bits from readings clamped to the 32-bit range, so infinite and
// huge readings give a defined axis.
void AutomaticAxis(double dataMin, double dataMax, double* axisMin, double* axisMax)
{
    const auto toInt = [](double v) {
        return static_cast<long long>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
    };
    const long long lo = toInt(std::floor(dataMin));
    const long long hi = toInt(std::ceil(dataMax));
    *axisMin = static_cast<double>(lo / 10 * 10 - 10);
    *axisMax = static_cast<double>((hi / 10 + 1) * 10);
}

double Normalise(double v, double axisMin, double axisMax, double span)
{
    if (v >= axisMax)
        return 1.0;
    if (v <= axisMin)
        return 0.0;
    return (v - axisMin) / span;
}

}  // namespace

void CMemoryTransferManage::AttachChartLayers(COM_GUI_EX::CGUIEXDC* plotBackground,
                                              COM_GUI_EX::CGUIEXDC* valueBackground,
                                              COM_GUI_EX::CGUIEXDC* timeLayer, const CVisibilityFlags* flags)
{
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
    }
    m_nPlotWidth.store(width);
    m_nPlotHeight.store(height);
}

void CMemoryTransferManage::ReleaseWorkSurfaces()
{
    m_pPlotSurface.reset();
    m_pValueSurface.reset();
    m_pTimeSurface.reset();
}

int CMemoryTransferManage::PrepareDisplay()
{
    const int labelSpacing = S(30);
    // Everything this preparation depends on, read once: a change made meanwhile
    // is served by the next request.
    const long long first = m_nPageFirst.load();
    const int count = m_nPageCount.load();
    const int step = m_nStep.load();
    const int timeOrder = m_nTimeOrder.load();
    const int labelFormat = m_nLabelFormat.load();
    const int rangeMode = m_nRangeMode.load();
    const int manualMax = m_nManualMax.load();
    const int manualMin = m_nManualMin.load();
    const int plotWidth = m_nPlotWidth.load();
    const CVisibilityFlags* visibility = m_pVisibility.load();

    ClearDisplaySeries();
    m_dAxisMin = m_dAxisMax = m_dAxisSpan = 0.0;
    m_strAxisLabels.clear();
    if (count <= 0 || m_nChannelCount == 0)
        return 0;

    if (rangeMode != 0) {
        m_dAxisMax = manualMax;
        m_dAxisMin = manualMin;
    } else {
        AutomaticAxis(m_dDataMin, m_dDataMax, &m_dAxisMin, &m_dAxisMax);
    }
    m_dAxisSpan = std::max(0.0, m_dAxisMax - m_dAxisMin);

    bool labelsPending = true;
    std::string text;
    m_displaySeries.resize(static_cast<size_t>(m_nChannelCount));
    for (int c = 0; c < m_nChannelCount; ++c) {
        if (visibility && visibility->IsHidden(c))
            continue;
        const CSampleArray& samples = m_samples[static_cast<size_t>(c)];
        CSampleArray& series = m_displaySeries[static_cast<size_t>(c)];
        for (int i = 0; i < count; ++i) {
            const long long idx = timeOrder != 0 ? first + count - 1 - i : first + i;
            const int x = step * i;
            if (idx >= 0 && static_cast<unsigned long long>(idx) < samples.size()) {
                const double v = samples[static_cast<size_t>(idx)];
                series.push_back(Normalise(v, m_dAxisMin, m_dAxisMax, m_dAxisSpan));
                if (x > plotWidth)
                    break;
            }
            if (labelsPending && idx >= 0 && static_cast<unsigned long long>(idx) < m_labels.size() &&
                x % labelSpacing == 0) {
                FormatTimeLabel(m_labels.GetAt(static_cast<size_t>(idx)).c_str(), labelFormat, &text);
                m_strAxisLabels.push_back(text);
            }
        }
        labelsPending = false;
    }
    return 0;
}
