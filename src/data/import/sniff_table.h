#pragma once

// Where the table of a file lies: its separator, its header line and its width. Like
// the well-known CSV sniffers, each candidate separator splits every line and is
// scored by how many rows share one field count; the best candidate wins.
#include "data/import/sniff_fields.h"

#include <string_view>
#include <vector>

struct CSniffTable {
    char separator = ',';
    bool separatorLine = false;  // a "sep=X" line before the table named the separator
    int headerLine = 0;
    int firstDataLine = -1;      // -1: no data row in the sniffed lines
    int width = 0;               // the field count of the data rows
    std::vector<SniffRow> rows;  // the fields of every line, split at the separator
};

// The table of the lines. Without a run of rows of two or more fields, the header is
// the first line that is not blank, the separator a comma and there is no data row.
CSniffTable FindTable(const std::vector<std::string_view>& lines);
