#pragma once

// Preparing one page of a dataset: the value axis and its labels, the normalised
// display series, the curves and the time-axis labels. A function of its inputs; it
// draws only into the surfaces it is given (none: it computes the page alone).
#include "data/dataset.h"

#include <QString>
#include <vector>

struct CVisibilityFlags;
namespace COM_GUI_EX {
class CGUIEXDC;
}

// Everything a preparation depends on, taken once at its start.
struct CPageRequest {
    long long first = 0;  // the page window
    int count = 0;
    int step = 1;
    int timeOrder = 1;
    int labelFormat = 0;
    int rangeMode = 0;  // 0 automatic axis, else manualMin..manualMax
    int manualMax = 0;
    int manualMin = 0;
    int plotWidth = 0;
    int plotHeight = 0;
    int labelSpacing = 30;  // pixels between time labels (display-scaled)
    int labelOffset = 22;   // pixels from a label's column to where its text starts
    const CVisibilityFlags* visibility = nullptr;  // null: every channel shown
};

// Where a preparation draws; any of them may be null.
struct CPageSurfaces {
    COM_GUI_EX::CGUIEXDC* plot = nullptr;
    const COM_GUI_EX::CGUIEXDC* plotBackground = nullptr;
    COM_GUI_EX::CGUIEXDC* value = nullptr;
    const COM_GUI_EX::CGUIEXDC* valueBackground = nullptr;
    COM_GUI_EX::CGUIEXDC* time = nullptr;
    int penWidth = 1;
    int valueCell = 30;   // height of one value label (display-scaled)
    int valueMargin = 10;
    int tickHeight = 1;
};

struct CPreparedPage {
    double axisMin = 0.0;
    double axisMax = 0.0;
    double axisSpan = 0.0;  // axisMax - axisMin, never negative
    // One array of 0..1 values per channel (empty for a hidden channel).
    std::vector<CSampleArray> series;
    // The time-axis labels drawn, left to right, decoded.
    std::vector<QString> axisLabels;
};

CPreparedPage PreparePage(const CDataset& dataset, const CPageRequest& request, const CPageSurfaces& surfaces);
