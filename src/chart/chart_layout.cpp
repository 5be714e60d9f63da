#include "chart/chart_layout.h"

#include "chart/chart_constants.h"
#include "guiex/parameters_base.h"

CChartLayout ComputeChartLayout(int width, int height)
{
    const int cell = S(30);
    const int left = S(22);
    const int bottom = height - S(80);
    CChartLayout layout;
    layout.plot = RECT{left, bottom - kPlotRows * cell, left + kPlotColumns * cell, bottom};
    layout.legend = RECT{left, 0, left + kPlotColumns * cell, height - kPlotRows * cell - S(80)};
    layout.valueBand = RECT{layout.plot.right, layout.plot.top - cell, width, layout.plot.bottom + 1};
    layout.timeBand = RECT{0, layout.plot.bottom + 1, width, height};
    layout.track = RECT{layout.plot.left, layout.plot.bottom - S(10), layout.plot.right, layout.plot.bottom};
    return layout;
}

CLegendItem ComputeLegendItem(const RECT& legend, int index, int count)
{
    const int columnWidth = S(10) + 4 * S(30);
    const int dot = S(12);
    const int height = legend.bottom - legend.top;
    const int gap = count <= kLegendColumns ? (height - dot) / 2 : (height - 2 * dot) / 3;
    const int column = index % kLegendColumns;
    const int row = index / kLegendColumns;

    const int dotLeft = legend.left + column * columnWidth + dot;
    const int rowTop = legend.top + row * (gap + dot) + gap;
    // The name box and the hit area reach to the next column's dot.
    const int itemRight = legend.left + (column + 1) * columnWidth + dot;

    CLegendItem item;
    item.dot = RECT{dotLeft, rowTop, dotLeft + dot, rowTop + dot};
    item.name = RECT{legend.left + column * columnWidth + 2 * (S(1) + dot), rowTop, itemRight, rowTop + dot};
    item.hit = RECT{dotLeft, rowTop - dot / 3, itemRight, rowTop + dot + dot / 3};
    return item;
}
