// The chart's pictures: the background pass (back buffer, legend, frame and grid,
// the layers on the first pass) and the composition of every paint.
#include "chart/curve_wnd.h"

#include "chart/chart_constants.h"
#include "guiex/guiex_dc.h"
#include "guiex/parameters_base.h"
#include "guiex/strings.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <ctime>

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr uint8_t kPlotFillAlpha = 144;
constexpr uint8_t kCursorAlpha = 144;
constexpr uint8_t kTrackAlpha = 48;
constexpr COLORREF kThumbTop = 0xCCCCCC;
constexpr COLORREF kThumbBottom = 0xECC3A1;
constexpr uint8_t kThumbAlpha = 192;
constexpr int kLegendFontSize = 9;
constexpr int kTimeFontSize = 8;
constexpr int kTimeFontStyle = 4;  // underline

// Copies width x height pixels from (sx, sy) of the source to (x, y) of the target,
// replacing what was there; parts outside either surface are left out.
void CopyRect(COM_GUI_EX::CGUIEXDC* target, int x, int y, int width, int height, const COM_GUI_EX::CGUIEXDC* source,
              int sx, int sy)
{
    if (!target || !source)
        return;
    QImage* to = target->GetMemDC();
    const QImage* from = source->GetMemDC();
    if (!to || !from || width <= 0 || height <= 0)
        return;
    const QRect wanted = QRect(sx, sy, width, height).intersected(from->rect());
    const QRect placed = wanted.translated(x - sx, y - sy).intersected(to->rect());
    if (placed.isEmpty())
        return;
    QPainter painter(to);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(placed.topLeft(), *from, placed.translated(sx - x, sy - y));
}

// Copies a whole layer to (x, y) of the target.
void CopyLayer(COM_GUI_EX::CGUIEXDC* target, int x, int y, const COM_GUI_EX::CGUIEXDC* layer)
{
    if (layer)
        CopyRect(target, x, y, layer->GetSize().width(), layer->GetSize().height(), layer, 0, 0);
}

// The current local time in the chart's label format.
std::string NowAsLabel(int format)
{
    const char* pattern = "%y/%m/%d %H:%M:%S";
    switch (format) {
    case 1: pattern = "%y/%m/%d %H:%M"; break;
    case 2: pattern = "%m/%d %H:%M"; break;
    case 3: pattern = "%H:%M:%S"; break;
    default: break;
    }
    const time_t now = std::time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    char text[64] = {};
    std::strftime(text, sizeof text, pattern, &local);
    return text;
}

}  // namespace

void CCurveWnd::RenderBackground()
{
    const int width = this->width();
    const int height = this->height();
    const CChartLayout layout = ComputeChartLayout(width, height);
    const int cell = S(30);
    const QString face = COM_GUI_EX::LoadString(1000);

    if (!m_pBackBuffer)
        m_pBackBuffer.reset(new COM_GUI_EX::CGUIEXDC(this, width, height));
    COM_GUI_EX::CGUIEXDC* back = m_pBackBuffer.get();
    // Start again from the parent's pixels under the chart, which erases the previous
    // pass; without a parent background the chart stands on white.
    if (m_pParentBackground)
        CopyRect(back, 0, 0, width, height, m_pParentBackground, m_rcChart.left, m_rcChart.top);
    else
        back->FillSolid(kWhite);
    back->SetFont(face, kLegendFontSize, 0);

    m_rcLegend = layout.legend;
    DrawLegend(m_rcLegend);

    const RECT& plot = layout.plot;
    back->FillAlphaRect(&plot, kWhite, kPlotFillAlpha);
    back->DrawFrameRect(&plot, kGridColor, 1);

    // The time-axis layer is made once; until the first page is prepared it shows the
    // chart's creation time under every vertical grid line.
    const bool placeholders = !m_pTimeLayer;
    if (placeholders) {
        m_rcTimeBand = layout.timeBand;
        m_pTimeLayer.reset(new COM_GUI_EX::CGUIEXDC(this, RectWidth(m_rcTimeBand), RectHeight(m_rcTimeBand)));
        m_pTimeLayer->FillSolid(kWhite);
        m_pTimeLayer->SetFont(face, kTimeFontSize, kTimeFontStyle);
        m_pTimeLayer->SetBrushColor(kLabelColor);
    }
    const QString now = placeholders ? QString::fromLatin1(NowAsLabel(m_nTimeLabelFormat)) : QString();

    // Vertical lines: 35 of them, the first on the frame's left edge; the frame is the
    // right edge. The placeholder labels go under all 36 positions.
    for (int i = 0, x = plot.left; x <= plot.right; ++i, x = plot.left + i * cell) {
        if (x < plot.right)
            back->DrawLine(x, plot.top, x, plot.bottom, kGridColor, 1, i % kSolidEvery == 0 ? PS_SOLID : PS_DOT);
        if (placeholders)  // the time band starts at client x = 0
            m_pTimeLayer->DrawRotatedText(now, static_cast<float>(x), 0.0f, kLabelAngle);
    }
    // Horizontal lines: 14 inside the frame, counted up from the bottom.
    for (int j = 1, y = plot.bottom - cell; y > plot.top; ++j, y = plot.bottom - j * cell)
        back->DrawLine(plot.left, y, plot.right, y, kGridColor, 1, j % kSolidEvery == 0 ? PS_SOLID : PS_DOT);

    if (!m_pPlotBackground)
        CreateLayers(layout);

    // The thumb has no width until UpdateThumb places it.
    m_rcTrack = layout.track;
    m_rcThumb = RECT{m_rcTrack.left, m_rcTrack.top, m_rcTrack.left, m_rcTrack.bottom};
}

void CCurveWnd::CreateLayers(const CChartLayout& layout)
{
    m_rcPlot = layout.plot;
    const int plotWidth = RectWidth(m_rcPlot);
    const int plotHeight = RectHeight(m_rcPlot);
    m_pPlotBackground.reset(new COM_GUI_EX::CGUIEXDC(this, plotWidth, plotHeight));
    m_pPlotLayer.reset(new COM_GUI_EX::CGUIEXDC(this, plotWidth, plotHeight));
    CopyRect(m_pPlotBackground.get(), 0, 0, plotWidth, plotHeight, m_pBackBuffer.get(), m_rcPlot.left, m_rcPlot.top);
    m_pPlotLayer->CopyFromDC(m_pPlotBackground->GetMemDC());

    m_rcValueBand = layout.valueBand;
    const int bandWidth = RectWidth(m_rcValueBand);
    const int bandHeight = RectHeight(m_rcValueBand);
    m_pValueBackground.reset(new COM_GUI_EX::CGUIEXDC(this, bandWidth, bandHeight));
    m_pValueLayer.reset(new COM_GUI_EX::CGUIEXDC(this, bandWidth, bandHeight));
    CopyRect(m_pValueBackground.get(), 0, 0, bandWidth, bandHeight, m_pBackBuffer.get(), m_rcValueBand.left,
             m_rcValueBand.top);
    m_pValueLayer->CopyFromDC(m_pValueBackground->GetMemDC());

    // Lent once, for the chart's whole life: the two backgrounds are never drawn
    // into again, so the worker may copy from them while it prepares a page.
    CMemoryTransferManage::GetInstance()->AttachChartLayers(m_pPlotBackground.get(), m_pValueBackground.get(),
                                                            m_pTimeLayer.get(), &m_visibility);
}

void CCurveWnd::DrawLegend(const RECT& area)
{
    m_legendHits.clear();
    m_legendHits.shrink_to_fit();
    m_legendDots.clear();
    m_legendDots.shrink_to_fit();
    // The worker may be reading the flags: they are only ever stored into, and the
    // size goes up once every flag of the new legend is set.
    m_visibility.m_nSize.store(0);
    const int count = std::min(static_cast<int>(m_strNames.size()), kMaxLegendItems);
    if (count <= 0)
        return;
    COM_GUI_EX::CGUIEXDC* back = m_pBackBuffer.get();
    for (int i = 0; i < count; ++i) {
        const CLegendItem item = ComputeLegendItem(area, i, count);
        const COLORREF color = CMemoryTransferManage::kPalette[i];
        back->SetBrushColor(color);
        back->DrawTextInRect(m_strNames[static_cast<size_t>(i)], &item.name, 5, COM_GUI_EX::CGUIEXDC::kElideBelow);
        back->FillEllipse(item.dot.left, item.dot.top, RectWidth(item.dot), RectHeight(item.dot), color);
        back->DrawEllipse(item.dot.left, item.dot.top, RectWidth(item.dot), RectHeight(item.dot), color);
        m_legendDots.push_back(item.dot);
        m_legendHits.push_back(item.hit);
        m_visibility.m_nFlag[i].store(1);
    }
    m_visibility.m_nSize.store(count);
}

void CCurveWnd::DrawClient(COM_GUI_EX::CGUIEXDC* dc, const RECT* client)
{
    if (m_pBackBuffer) {
        DrawContent(dc);
        DrawLegendDots(dc);
    }
    CGUIEXWnd::DrawClient(dc, client);
}

void CCurveWnd::DrawContent(COM_GUI_EX::CGUIEXDC* dc)
{
    if (!dc || !m_pBackBuffer)
        return;
    dc->CopyFromDC(m_pBackBuffer->GetMemDC());
    CopyLayer(dc, m_rcPlot.left, m_rcPlot.top, m_pPlotLayer.get());
    CopyLayer(dc, m_rcTimeBand.left, m_rcTimeBand.top, m_pTimeLayer.get());
    CopyLayer(dc, m_rcValueBand.left, m_rcValueBand.top, m_pValueLayer.get());
    // The alpha fill leaves out the last column and row: the line is one pixel wide.
    if (PageValue(m_pTotal) != 0 && RectWidth(m_rcCursor) > 0 && RectHeight(m_rcCursor) > 0)
        dc->FillAlphaRect(&m_rcCursor, kBlack, kCursorAlpha);
    dc->FillAlphaRect(&m_rcTrack, kGridColor, kTrackAlpha);
    if (RectWidth(m_rcThumb) > 0)
        dc->FillGradientV(&m_rcThumb, kThumbTop, kThumbBottom, kThumbAlpha);
}

void CCurveWnd::DrawLegendDots(COM_GUI_EX::CGUIEXDC* dc)
{
    if (!dc)
        return;
    const size_t count = std::min({m_strNames.size(), static_cast<size_t>(kMaxLegendItems), m_legendDots.size()});
    for (size_t i = 0; i < count; ++i) {
        const RECT& dot = m_legendDots[i];
        const COLORREF color = CMemoryTransferManage::kPalette[i];
        const COLORREF fill = m_visibility.m_nFlag[i].load() != 0 ? color : kHiddenDotColor;
        dc->FillEllipse(dot.left, dot.top, RectWidth(dot), RectHeight(dot), fill);
        dc->DrawEllipse(dot.left, dot.top, RectWidth(dot), RectHeight(dot), color);
    }
}
