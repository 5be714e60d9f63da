#pragma once

// What each column of a table holds: the time label (or a date and a time of day
// apart, or Unix seconds), record counters, text, nothing, or measurements.
#include "data/import/sniff_fields.h"
#include "data/time_label.h"

#include <vector>

struct CSniffColumns {
    int timeColumn = -1;
    int clockColumn = -1;
    bool unixSeconds = false;
    std::vector<int> counterColumns;
    std::vector<int> measurementColumns;
    std::vector<int> otherColumns;  // counters, text and empty columns
};

// The kinds of the columns from the header's names and the rows after it that have a
// number; the table is as wide as its header or its widest such row.
CSniffColumns ClassifyColumns(const SniffRow& header, const std::vector<const SniffRow*>& rows,
                              CLocalTimeConverter& converter);

// The row's label: its time field, joined with its time of day when they stand apart;
// empty when the row has no time field.
std::string RowLabel(const SniffRow& row, const CSniffColumns& columns);
