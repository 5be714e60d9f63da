// Printing the chart: the sheet layout on 39 x 21 cells, its parts, and the one-page
// print job that draws the sheet at the printer's resolution.
#include "chart/chart_print.h"

#include "chart/chart_constants.h"
#include "data/visibility_flags.h"
#include "guiex/guiex_dc.h"
#include "guiex/strings.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QPagedPaintDevice>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kFontSize = 9;
constexpr int kUnderline = 4;
constexpr int kLegendRows = 2;
constexpr int kValueColumns = 2;
constexpr int kValueLabels = 16;
constexpr int kTickHeight = 2;
constexpr int kSideMarginMm = 15;
constexpr int kTopMarginMm = 15;
constexpr int kBottomMarginMm = 18;

int MarginPixels(int pixels, int millimetres, int marginMm)
{
    if (millimetres <= 0)
        return 0;
    return static_cast<int>(static_cast<long long>(pixels) * marginMm / millimetres);
}

// A normalised value (not NaN) limited to 0 .. 1.
double Clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

// Draws the points gathered so far as one curve and starts the next run.
void DrawRun(COM_GUI_EX::CGUIEXDC* dc, std::vector<QPoint>& points, COLORREF color)
{
    if (points.size() > 1)
        dc->DrawSmoothPolyline(points.data(), static_cast<int>(points.size()), color, CChartPrint::kCurveWidth);
    points.clear();
}

}  // namespace

bool TakePrintPage(const CMemoryTransferManage& manager, int timeoutMs, CPrintPage* page)
{
    if (!page || !manager.WaitIdle(timeoutMs))
        return false;
    int step = 1;
    const std::vector<CSampleArray>* series = manager.GetDisplaySeries(&step);
    page->step = step;
    if (series)
        page->series = *series;
    else
        page->series.clear();
    manager.GetAxisRange(&page->axisMin, &page->axisMax);
    manager.GetAxisLabels(&page->timeLabels);
    return true;
}

CPrintMargins ComputePrintMargins(int widthPixels, int heightPixels, int widthMm, int heightMm)
{
    CPrintMargins margins;
    margins.side = MarginPixels(widthPixels, widthMm, kSideMarginMm);
    margins.top = MarginPixels(heightPixels, heightMm, kTopMarginMm);
    margins.bottom = MarginPixels(heightPixels, heightMm, kBottomMarginMm);
    return margins;
}

CChartPrint::CChartPrint(const std::vector<QString>& names, const CVisibilityFlags& flags,
                         const CPrintPage& page, int screenCell)
    : m_names(names), m_flags(flags), m_page(page), m_nScreenCell(screenCell)
{
}

void CChartPrint::PrintChart(COM_GUI_EX::CGUIEXDC* dc, const RECT* area)
{
    if (!dc || !area)
        return;
    dc->SetFont(COM_GUI_EX::LoadString(1000), kFontSize);
    const int width = area->right - area->left;
    const int height = area->bottom - area->top;
    const int cw = width / kColumns;
    const int ch = height / kRows;
    m_nCellWidth = cw;
    m_nCellHeight = ch;
    if (cw <= 0 || ch <= 0)
        return;  // the grid lines would never advance
    // The grid is centred in the area. Columns 0 and 38 stay free; the plot takes
    // columns 1 to 35, the value labels 36 and 37. Rows: legend 0 and 1, plot 2 to
    // 16, time labels 17 to 20.
    const int offsetX = (width - kColumns * cw) / 2;
    const int offsetY = (height - kRows * ch) / 2;
    const int x = area->left + offsetX + cw;
    const int y = area->top + offsetY;

    const RECT legend{x, y, x + kPlotColumns * cw, y + kLegendRows * ch};
    PrintLegend(dc, &legend);

    const RECT plot{x, y + kLegendRows * ch, x + kPlotColumns * cw, y + (kLegendRows + kPlotRows) * ch};
    dc->DrawFrameRect(&plot, kGridColor, 1);
    // Vertical lines from the frame's left edge on; the frame itself is the right edge.
    for (int i = 0, gx = plot.left; gx <= plot.right; ++i, gx = plot.left + i * cw) {
        if (gx < plot.right)
            dc->DrawLine(gx, plot.top, gx, plot.bottom, kGridColor, 1, i % kSolidEvery == 0 ? PS_SOLID : PS_DOT);
    }
    // Horizontal lines counted up from the bottom edge, inside the frame.
    for (int j = 1, gy = plot.bottom - ch; gy > plot.top; ++j, gy = plot.bottom - j * ch)
        dc->DrawLine(plot.left, gy, plot.right, gy, kGridColor, 1, j % kSolidEvery == 0 ? PS_SOLID : PS_DOT);

    PrintCurves(dc, &plot);

    const RECT values{plot.right, plot.top, plot.right + kValueColumns * cw, plot.bottom};
    PrintValueAxis(dc, &values);

    const RECT times{x, plot.bottom, x + (kPlotColumns + kValueColumns) * cw, y + kRows * ch};
    PrintTimeAxis(dc, &times);
}

void CChartPrint::PrintLegend(COM_GUI_EX::CGUIEXDC* dc, const RECT* area)
{
    if (!dc || !area)
        return;
    const int columnWidth = (area->right - area->left) / kLegendColumns;
    const int dot = m_nCellWidth / 2;
    const int count = std::min(static_cast<int>(m_names.size()), kMaxLegendItems);
    const int height = area->bottom - area->top;
    const int gap = count <= kLegendColumns ? (height - dot) / 2 : (height - 2 * dot) / 3;
    for (int i = 0; i < count; ++i) {
        const int column = i % kLegendColumns;
        const int row = i / kLegendColumns;
        const COLORREF color = CMemoryTransferManage::kPalette[i];
        dc->SetBrushColor(color);
        const int left = area->left + column * columnWidth + dot;
        const int top = area->top + row * (gap + dot) + gap;
        // A hidden channel keeps its ring, so the sheet still names every channel.
        if (m_flags.IsHidden(i))
            dc->DrawEllipse(left, top, dot, dot, color);
        else
            dc->FillEllipse(left, top, dot, dot, color);
        const int nameLeft = left + dot + dot / 4;
        const RECT name{nameLeft, top - gap / 2, nameLeft - dot + columnWidth, top + dot + gap / 2};
        dc->DrawTextInRect(m_names[static_cast<size_t>(i)], &name, 1, COM_GUI_EX::CGUIEXDC::kElideBelow);
    }
}

void CChartPrint::PrintValueAxis(COM_GUI_EX::CGUIEXDC* dc, const RECT* area)
{
    if (!dc || !area)
        return;
    const double minimum = m_page.axisMin;
    const double maximum = m_page.axisMax;
    if (!(maximum - minimum >= kMinValueRange))
        return;  // sixteen labels would repeat one another
    const std::vector<std::string> labels = CMemoryTransferManage::MakeValueLabels(minimum, maximum);
    dc->SetBrushColor(kLabelColor);
    // Label i sits on its grid line: its box is the cell above the line.
    for (int i = 0; i < kValueLabels; ++i) {
        const RECT box{area->left, area->top + (i - 1) * m_nCellHeight, area->right, area->top + i * m_nCellHeight};
        dc->DrawTextInRect(QString::fromStdString(labels[static_cast<size_t>(i)]), &box, 8, 0);
        const RECT tick{area->left, box.bottom - kTickHeight, area->right, box.bottom};
        dc->FillGradientH(&tick, kWhite, kLabelColor, 255);
    }
}

void CChartPrint::PrintTimeAxis(COM_GUI_EX::CGUIEXDC* dc, const RECT* area)
{
    if (!dc || !area)
        return;
    dc->SetFont(COM_GUI_EX::LoadString(1000), kFontSize, kUnderline);
    dc->SetBrushColor(kLabelColor);
    // One label per vertical grid line, the frame's right edge included.
    const size_t count = std::min(m_page.timeLabels.size(), static_cast<size_t>(kMaxTimeLabels));
    for (size_t i = 0; i < count; ++i) {
        const float x = static_cast<float>(area->left + static_cast<int>(i) * m_nCellWidth);
        dc->DrawRotatedText(m_page.timeLabels[i], x, static_cast<float>(area->top), kLabelAngle);
    }
}

void CChartPrint::PrintCurves(COM_GUI_EX::CGUIEXDC* dc, const RECT* area)
{
    if (!dc || !area || m_nScreenCell <= 0)
        return;
    // A page sample sits where it sits on screen relative to the grid.
    const double spacing = static_cast<double>(m_nCellWidth) * m_page.step / m_nScreenCell;
    const int height = area->bottom - area->top;
    const size_t channels = std::min(m_page.series.size(), static_cast<size_t>(CMemoryTransferManage::kMaxChannels));
    std::vector<QPoint> points;
    for (size_t k = 0; k < channels; ++k) {
        const CSampleArray& series = m_page.series[k];
        const COLORREF color = CMemoryTransferManage::kPalette[k];
        points.clear();
        for (size_t j = 0; j < series.size(); ++j) {
            const int x = area->left + static_cast<int>(static_cast<double>(j) * spacing + 0.5);
            // The prepared series may run one sample past the plot's right edge; the
            // screen leaves that sample out, and so does the sheet.
            if (x > area->right)
                break;
            // A reading that is not a number is a gap: the run before it ends there.
            if (std::isnan(series[j])) {
                DrawRun(dc, points, color);
                continue;
            }
            const double v = Clamp01(series[j]);
            const int y = area->top + static_cast<int>((1.0 - v) * height + 0.5);
            points.emplace_back(x, y);
        }
        DrawRun(dc, points, color);
    }
}

bool PrintSheet(QPagedPaintDevice& device, CChartPrint& chart, const std::function<void()>& betweenSteps)
{
    // The paper in device pixels and in millimetres; device coordinates start at its
    // top-left corner.
    const CPrintMargins margins =
        ComputePrintMargins(device.width(), device.height(), device.widthMM(), device.heightMM());
    const int width = device.width() - 2 * margins.side;
    const int height = device.height() - margins.top - margins.bottom;
    QImage sheet;
    {
        // Fonts in points come out at the device's resolution; every coordinate is a
        // device pixel.
        COM_GUI_EX::CGUIEXDC surface(&device, width, height);
        surface.SetPageUnit(1, 2);
        surface.FillSolid(kWhite);
        const RECT area{0, 0, width, height};
        chart.PrintChart(&surface, &area);
        if (const QImage* image = surface.GetMemDC())
            sheet = *image;
    }
    if (betweenSteps)
        betweenSteps();
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    if (!sheet.isNull()) {
        // Every pixel is opaque: the sheet goes to the page without an alpha channel.
        // The surface is gone, so the pixels are not copied again.
        sheet.reinterpretAsFormat(QImage::Format_RGB32);
        // Thin lines and small text must not blur: no lossy image compression on
        // devices that would otherwise apply it.
        painter.setRenderHint(QPainter::LosslessImageRendering, true);
        painter.drawImage(QPoint(margins.side, margins.top), sheet);
    }
    painter.end();
    return true;
}
