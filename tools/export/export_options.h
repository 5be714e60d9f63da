#pragma once

// The export tool's command line: one input file and options in any order. Parsing
// checks every value's form and range; what can only be checked against the loaded
// file (a channel to hide) is checked later by the session.
#include "data/time_label.h"

#include <optional>
#include <string>
#include <vector>

struct CExportOptions {
    std::string file;
    bool help = false;
    bool version = false;

    // Outputs.
    bool info = false;
    bool series = false;
    bool timings = false;
    std::string png;
    std::string pdf;

    // Settings taking the place of what the settings file holds.
    std::optional<int> labelColumn;  // 1-based as the user types it, 0 for none
    std::optional<int> timeOrder;    // 0 ascending, 1 descending
    std::optional<int> labelFormat;  // 0..3
    std::optional<bool> manualRange;
    int rangeMin = 0;
    int rangeMax = 0;
    std::optional<std::string> unit;
    std::optional<int> paperSize;    // printer paper code
    std::optional<int> orientation;  // 1 portrait, 2 landscape

    // The query, as the query dialog's OK gives it.
    bool query = false;
    TimeValue queryStart = 0;
    TimeValue queryEnd = 0;
    bool fitAll = false;

    // Steps after the load, in this order.
    std::optional<int> zoomLevel;
    std::optional<int> first;
    std::vector<int> hide;  // 0-based channels, each once, ascending
    std::optional<int> cursor;

    int scale = 100;
};

// Fills options from the arguments (without the program name). Returns false with a
// one-line reason in error for anything it cannot accept.
bool ParseExportOptions(const std::vector<std::string>& args, CExportOptions* options, std::string* error);

// The usage text --help prints (also the source of the tool's manual page).
const char* ExportUsage();

// The line --version prints: the tool's name and the program's version.
const char* ExportVersion();
