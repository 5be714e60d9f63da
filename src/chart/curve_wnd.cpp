// The chart window's life cycle and the operations the main window calls on it.
#include "chart/curve_wnd.h"

#include "chart/chart_constants.h"
#include "guiex/guiex_dc.h"
#include "guiex/strings.h"

#include <algorithm>

namespace {

// How long the destructor waits for a preparation in flight before it takes the
// layers back (the worker reads them while it prepares a page).
constexpr int kWorkerWaitMs = 3000;

}  // namespace

CCurveWnd::CCurveWnd(int labelFormat, const RECT* rect, unsigned id, COM_GUI_EX::CGUIEXDC* parentBackground,
                     QWidget* parent)
    : m_pParentBackground(parentBackground), m_pNotify(parent), m_nTimeLabelFormat(labelFormat)
{
    if (rect)
        m_rcChart = *rect;
    // Moves without a button pressed move the cursor line and the pointer shape.
    setMouseTracking(true);
    if (!Create(m_rcChart, parent, id))
        return;
    LoadDefaultChannelNames();
    RenderBackground();
}

CCurveWnd::~CCurveWnd()
{
    if (!m_pPlotBackground)
        return;  // never created: nothing was lent
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    // A preparation in flight copies from the background layers and reads the flags;
    // let it finish before they go away.
    manager->WaitIdle(kWorkerWaitMs);
    manager->ReleaseWorkSurfaces();
    // The manager must not keep pointers to the layers and flags destroyed with this
    // object: a later preparation would read the flags of a dead chart.
    manager->AttachChartLayers(nullptr, nullptr, nullptr, nullptr);
}

void CCurveWnd::BindPageState(int* timeOrder, int* first, int* total, int* pageCount, int*)
{
    m_pTimeOrder = timeOrder;
    m_pFirst = first;
    m_pTotal = total;
    m_pPageCount = pageCount;
}

void CCurveWnd::LoadDefaultChannelNames()
{
    const QByteArray format = COM_GUI_EX::LoadString(1002).toUtf8();
    for (int i = 1; i <= kMaxLegendItems; ++i)  // 通道01 to 通道16, one per legend item
        m_strNames.push_back(QString::asprintf(format.constData(), i));
}

void CCurveWnd::SetChannelNames(const std::vector<QString>* names, const CLabelStore*,
                                const std::vector<CSampleArray>*)
{
    m_strNames.clear();
    if (names)
        m_strNames = *names;
    m_legendHits.clear();
    m_legendDots.clear();
    m_visibility.m_nSize.store(0);
    if (!m_pBackBuffer)
        return;  // the window was never created
    // A load without channels prepares no page: nothing of the previous file may stay.
    if (m_strNames.empty())
        ClearLayers();
    else
        RenderBackground();
    update();
}

void CCurveWnd::ClearLayers()
{
    m_pTimeLayer.reset();  // the background pass makes it anew, with the placeholder labels
    RenderBackground();
    m_pPlotLayer->CopyFromDC(m_pPlotBackground->GetMemDC());
    m_pValueLayer->CopyFromDC(m_pValueBackground->GetMemDC());
}

void CCurveWnd::SetTimeLabelFormat(int format)
{
    m_nTimeLabelFormat = format;
    if (!m_pBackBuffer)
        return;
    RenderBackground();
    update();
}

void CCurveWnd::RefreshLayers()
{
    CMemoryTransferManage::GetInstance()->CopyWorkSurfaces(m_pPlotLayer.get(), m_pValueLayer.get(),
                                                           m_pTimeLayer.get());
    update(ToQRect(m_rcPlot));
    update(ToQRect(m_rcValueBand));
    update(ToQRect(m_rcTimeBand));
}
