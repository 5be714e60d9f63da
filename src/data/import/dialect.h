#pragma once

// How a data file is written: what its first bytes tell about reading all of it. A
// file in the recorder's own format reads by the recorder's rules; a file from another
// logger is read the way SniffDialect found it written.
#include "data/time_label.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The bytes SniffDialect looks at, from the start of the file.
constexpr size_t kSniffBytes = 64 * 1024;

enum class FileEncoding : uint8_t {
    Utf8,         // also plain ASCII; a UTF-8 byte-order mark is dropped
    Gb18030,      // Chinese text written on a Chinese Windows system
    Windows1252,  // single-byte Western text (°C, µm)
    Utf16LE,      // by its byte-order mark
    Utf16BE,      // by its byte-order mark
};

struct CDialect {
    FileEncoding encoding = FileEncoding::Utf8;
    char separator = ',';    // ',', ';' or '\t'
    char decimalMark = '.';  // '.' or ','
    // The recorder's own format: comma-separated, its header the first line that yields
    // a name. Everything below but the encoding then follows the user's settings.
    bool recorderFormat = true;
    int headerLine = 0;              // 0-based line of the header; the lines before it are skipped
    std::vector<int> nonDataLines;   // 0-based lines after the header that hold no data (units, tags)
    int timeColumn = -1;             // field of the time label (of the date when clockColumn is set); -1: none
    int clockColumn = -1;            // field of the time of day when date and time stand apart; -1: none
    bool unixSeconds = false;        // the time column counts seconds since 1970-01-01 00:00:00 UTC
    DayMonthOrder dayMonthOrder = DayMonthOrder::MonthFirst;
    int timeOrder = -1;              // 0: labels run ascending, 1: descending, -1: not found
    std::vector<int> measurementColumns;  // fields of the channels, in order, before any cap
};

// Finds the dialect from the first `length` bytes of a file (at most kSniffBytes; the
// last line may be cut). A pure function of the bytes.
CDialect SniffDialect(const char* bytes, size_t length);
