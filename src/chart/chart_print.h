#pragma once

// The chart drawn again for paper: one sheet at the printer's own resolution, laid
// out on a grid of 39 x 21 cells that takes the place of the screen's fixed cells.
// A two-row legend at the top, the 35 x 15-cell plot with frame, grid and curves,
// two cells of value labels right of it and four rows of time labels below.
//
// What is printed is a copy of the data manager's last finished preparation
// (TakePrintPage), taken while the worker is idle: the worker rewrites the display
// series, the value range and the time labels while it prepares a page, so they are
// read only between preparations. The legend names and the shown/hidden flags come
// from the chart.
#include "data/data_manager.h"
#include "guiex/win_types.h"

#include <functional>
#include <string>
#include <vector>

class QPagedPaintDevice;
struct CVisibilityFlags;
namespace COM_GUI_EX {
class CGUIEXDC;
}

// The page a print shows: the prepared page's step (screen pixels between two
// samples), one normalised series per channel (0 bottom .. 1 top, left to right,
// empty for a hidden channel), the value range and the time-label texts.
struct CPrintPage {
    int step = 1;
    std::vector<CSampleArray> series;
    double axisMin = 0.0;
    double axisMax = 0.0;
    std::vector<QString> timeLabels;
};

// Waits up to timeoutMs until the worker has no load or preparation pending or
// running, then copies the last finished page into page. Only the user-interface
// thread asks the worker for work, so the page cannot change while that thread
// copies it. Returns false, copying nothing, when the worker is still busy at the
// deadline.
bool TakePrintPage(const CMemoryTransferManage& manager, int timeoutMs, CPrintPage* page);

// Margins of the sheet in device pixels: 15 mm left, right and top, 18 mm at the
// bottom, from the paper's size in pixels and millimetres (integer
// division, truncating). A size of 0 mm or less gives a margin of 0.
struct CPrintMargins {
    int side = 0;    // left and right
    int top = 0;
    int bottom = 0;
};
CPrintMargins ComputePrintMargins(int widthPixels, int heightPixels, int widthMm, int heightMm);

class CChartPrint {
public:
    static constexpr int kColumns = 39;
    static constexpr int kRows = 21;
    static constexpr COLORREF kGridColor = 0x333333;   // frame and grid lines
    static constexpr int kMaxTimeLabels = 36;
    // Value ranges narrower than this print no value labels.
    static constexpr double kMinValueRange = 0.01;
    static constexpr int kCurveWidth = 2;  // device pixels

    // names and flags are the chart's legend, page the page to print; all are
    // borrowed and must outlive the object. screenCell is the screen's grid cell in
    // pixels (s30): the curves keep their place relative to the grid.
    CChartPrint(const std::vector<QString>& names, const CVisibilityFlags& flags, const CPrintPage& page,
                int screenCell);

    // Draws the whole chart into the area of the surface. An area smaller than one
    // pixel per grid cell draws nothing.
    void PrintChart(COM_GUI_EX::CGUIEXDC* dc, const RECT* area);
    // The parts; they use the cell size of the last PrintChart.
    void PrintLegend(COM_GUI_EX::CGUIEXDC* dc, const RECT* area);
    void PrintValueAxis(COM_GUI_EX::CGUIEXDC* dc, const RECT* area);
    void PrintTimeAxis(COM_GUI_EX::CGUIEXDC* dc, const RECT* area);
    void PrintCurves(COM_GUI_EX::CGUIEXDC* dc, const RECT* area);

    // Cell size of the last PrintChart.
    int GetCellWidth() const { return m_nCellWidth; }
    int GetCellHeight() const { return m_nCellHeight; }

private:
    const std::vector<QString>& m_names;
    const CVisibilityFlags& m_flags;
    const CPrintPage& m_page;
    int m_nScreenCell;
    int m_nCellWidth = 0;
    int m_nCellHeight = 0;
};

// Prints the chart on one page of the device as it is set up (paper, orientation,
// resolution, document name and output are the caller's; the page's margins are
// expected to be zero, so device pixels count from the paper's edge). The sheet is
// drawn inside the margins into a surface of the device's resolution, then copied
// onto the page at the margins; between the two, betweenSteps runs (the window
// repaints there). Returns false when the device could not start a document.
bool PrintSheet(QPagedPaintDevice& device, CChartPrint& chart, const std::function<void()>& betweenSteps);
