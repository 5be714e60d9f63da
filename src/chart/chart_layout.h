#pragma once

// Geometry of the chart window: where its areas lie for a client size, where each
// legend item goes, and the small rectangle helpers the chart works with. Every
// length passes through the display scaling, each constant scaled on its own.
#include "guiex/win_types.h"

#include <QRect>

// The chart's areas in client coordinates (right and bottom exclusive).
struct CChartLayout {
    RECT plot;       // 35 x 15 grid cells of s30
    RECT legend;     // everything above the plot, as wide as the plot
    RECT valueBand;  // right of the plot, from one cell above it to one pixel below it
    RECT timeBand;   // the full width under the plot, from one pixel below it
    RECT track;      // scroll track along the plot's bottom edge, inside the plot
};

// The areas of a chart whose client area is width x height.
CChartLayout ComputeChartLayout(int width, int height);

// The rectangles of one legend item.
struct CLegendItem {
    RECT dot;   // the coloured dot, s12 square
    RECT name;  // where the name is written from, top-left aligned
    RECT hit;   // the area that reacts to the mouse
};

// Item index of count items (count at most 16) laid out in the legend area: eight
// columns, one row when count <= 8, else two, rows spread evenly over the height.
CLegendItem ComputeLegendItem(const RECT& legend, int index, int count);

// Whether the point lies inside (left and top edges inside, right and bottom outside).
inline bool RectContains(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

inline bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline int RectWidth(const RECT& r)
{
    return r.right - r.left;
}

inline int RectHeight(const RECT& r)
{
    return r.bottom - r.top;
}

