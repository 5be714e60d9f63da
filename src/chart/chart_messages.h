#pragma once

// Messages the chart posts to its parent (the main window) as CPostedMessage events.
#include <cstdint>

// The user moved the page with the thumb or the track; the new first sample index is
// already in the main window's page state. wParam and lParam are 0.
constexpr uint32_t WM_CURVE_PAGE = 0x2400;
// The cursor line moved to, or reappeared at, a column of the plot area. wParam is
// its x minus the plot's left edge (0 to plot width - 1), lParam 0.
constexpr uint32_t WM_CURVE_CURSOR = 0x2401;
