#pragma once

// Splits one line of a data file into its fields: the pieces between separators
// (comma, carriage return, line feed), a run of separators counting as one, so there
// are no empty fields; a zero byte ends the line as it ends a C string. The line is
// classified 16 bytes at a time, which keeps the import's cost per byte low.
#include "data/import/import_limits.h"

#include <cstdint>

// A line holds at most kLineBuffer - 1 characters, and a carriage return before its
// line feed (dropped in text mode) may come on top; every field takes at least two of
// these bytes.
constexpr int kMaxLineBytes = kLineBuffer;
constexpr int kMaxFields = kMaxLineBytes / 2;

// The fields of a line as offsets from its first byte: field i is [edges[2i], edges[2i+1]).
struct CFieldEdges {
    uint16_t edges[2 * kMaxFields + 2];
    int count = 0;

    int Begin(int field) const { return edges[2 * field]; }
    int End(int field) const { return edges[2 * field + 1]; }
};

// Finds the fields of [begin, end). Bytes up to limit (limit >= end) may be read, which
// lets most blocks be loaded straight from the line. Bytes beyond the first
// kMaxLineBytes are not looked at.
void SplitFields(const char* begin, const char* end, const char* limit, CFieldEdges* fields);
