#pragma once

// Splits one line of a data file into its fields, counted by position as spreadsheets
// count them: the pieces between separators, an empty field being a field. A carriage
// return, a line feed or a zero byte ends the line. Empty fields at the end of a line
// are not fields, so a line of separators only has none. A field that starts with a
// double quote runs to its closing quote: "" inside it is one quote, separators and
// line ends inside are text, and the quotes are not part of the field. A line without
// a quote is classified 16 bytes at a time, which keeps the import's cost per byte low.
#include "data/import/import_limits.h"

#include <cstdint>
#include <vector>

// A field takes at least its separator, so a piece of kLineBuffer bytes has at most
// this many; longer lines of other loggers' files have their first kMaxFields read.
constexpr int kMaxFields = kLineBuffer + 1;
// The longest line looked at; fields beyond it are not read.
constexpr int kMaxSplitBytes = UINT16_MAX;

// The fields of a line as offsets from text: field i is [text + edges[2i], text + edges[2i+1]).
struct CFieldEdges {
    // Room for a word's worth of fields beyond kMaxFields, which the splitter may write
    // before it stops.
    uint16_t edges[2 * kMaxFields + 2 * 64 + 2];
    int count = 0;
    // The line itself, or for a line with quotes its fields' text without the quotes;
    // bytes up to limit may be read.
    const char* text = nullptr;
    const char* limit = nullptr;

    int Begin(int field) const { return edges[2 * field]; }
    int End(int field) const { return edges[2 * field + 1]; }
};

class CFieldSplitter {
public:
    explicit CFieldSplitter(char separator = ',') : m_separator(separator) {}

    // Finds the fields of [begin, end), the first kMaxFields of a line that has more.
    // Bytes up to limit (limit >= end) may be read, which lets most blocks be loaded
    // straight from the line. The fields stay valid until the next call.
    void Split(const char* begin, const char* end, const char* limit, CFieldEdges* fields);

private:
    // The path for a line with a quote: byte by byte, the fields' text into m_unquoted.
    void SplitQuoted(const char* line, int length, CFieldEdges* fields);

    char m_separator;
    std::vector<char> m_unquoted;
};
