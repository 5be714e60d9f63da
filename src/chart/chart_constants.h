#pragma once

// The constants the chart's screen picture and its printed sheet share, each with its
// value once. Included by the chart's own sources only.
#include "guiex/win_types.h"

constexpr int kPlotColumns = 35;     // grid cells across the plot
constexpr int kPlotRows = 15;        // grid cells down the plot
constexpr int kSolidEvery = 5;       // every fifth grid line is solid, the others dotted
constexpr int kMaxLegendItems = 16;  // one legend item per channel name, at most this many
constexpr int kLegendColumns = 8;    // legend items per row
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kLabelColor = 0x552200;  // text of the value and time labels
constexpr float kLabelAngle = 45.0f;        // time labels turn clockwise by this much
