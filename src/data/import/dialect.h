#pragma once

// How a data file is written: what its first bytes tell about reading all of it. A
// file in the recorder's own format reads by the recorder's rules; a file from another
// logger is read the way SniffDialect found it written.
#include "data/time_label.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
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
    // Fields of the channels, in order, before any cap; in the recorder's format every
    // field of the header but the time column.
    std::vector<int> measurementColumns;
    std::vector<int> otherColumns;  // fields that are neither: record counters, text, always empty
};

// Finds the dialect from the first `length` bytes of a file (at most kSniffBytes; a
// last line without a line feed is left out when length reaches kSniffBytes, as it
// may be cut). A pure function of the bytes. Lines are counted by line feeds in the
// decoded text; the fields of a line by position, split at the separator outside
// double quotes (RFC 4180), empty fields at the end of a line not counted.
//
// Encoding: UTF-16 by its byte-order mark (the rest is sniffed on its UTF-8
// transcoding); UTF-8 when the bytes are valid UTF-8; else GB18030 when GB2312
// character pairs explain most bytes above 0x7F, else Windows-1252.
// Table: each separator (comma, semicolon, tab) splits every line; the field count
// most rows with a number share is the table's width, and the separator whose width
// most rows (and the header) have wins. A first line "sep=X" names the separator.
// The first data row is the first row of that width with a number in every column
// where nearly all such rows have one; the header is the earliest line of that width
// in the run of lines of two or more fields without a number right before it.
// Columns: the time column is the one whose fields mostly read as time labels; a
// column of dates alone followed by a column of times of day is split date and time;
// without labels, a column headed as a time (time, Zeit, unix, epoch, 时间) holding
// whole seconds is Unix seconds. Record counters (#, No., RECORD, Index, 序号, or
// integers stepping by one) are not measurements, nor are columns where no field
// starts with a number (text, status, always empty); every other column is.
// Decimal comma: with semicolons or tabs, when readings like 21,5 outnumber 21.5.
// Day/month order and time order: see DecideDayMonthOrder (time_label.h) and TimeOrderOf (sniff_time.h).
CDialect SniffDialect(const char* bytes, size_t length);

// Whether a line after the header, split into its fields (unquoted, by position), is
// a data row of the dialect: it has a number in a measurement column, or its time
// label reads and no measurement column holds words (a row of missing readings such
// as ----, ERR or nan). A units row, sample kinds, tags, events and trailers are not.
// Every row of a file in the recorder's format is a data row.
bool IsDataRow(const std::string_view* fields, int count, const CDialect& dialect);
