#pragma once

// Splits one line of a data file into its fields: the pieces between separators
// (comma, carriage return, line feed), a run of separators counting as one, so there
// are no empty fields; a zero byte ends the line as it ends a C string. The line is
// scanned 16 bytes at a time, which keeps the import's cost per byte low.
#include <cstdint>

struct CFieldSpan {
    uint16_t begin;  // offset of the field's first byte in the line
    uint16_t end;    // offset just past its last byte
};

// A line holds at most 1279 characters, and a carriage return before its line feed
// (dropped in text mode) may come on top; every field takes at least two of these bytes.
constexpr int kMaxLineBytes = 1280;
constexpr int kMaxFields = kMaxLineBytes / 2;

// Writes the fields of [begin, end) to fields, which has room for kMaxFields, and
// returns their number. Bytes beyond the first kMaxLineBytes are not looked at.
int SplitFields(const char* begin, const char* end, CFieldSpan* fields);
