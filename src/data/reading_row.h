#pragma once

// Converts the readings of one data row: field i is [line + spans[2i], line + spans[2i + 1])
// and its reading, by the C run-time's atof rules (see reading.h), goes to values[i].
// Fields are not empty and lie in order; bytes up to limit may be read.
#include <cstdint>
#include <vector>

// Uses the fastest build of the row reader the processor runs.
void ReadRowFields(const char* line, const char* limit, const uint16_t* spans, int count, double* values);

using RowReader = void (*)(const char* line, const char* limit, const uint16_t* spans, int count, double* values);
// Every build of the row reader this processor runs, fastest last: one field after the
// other on every processor; four at once with 256-bit vectors; eight with 512-bit ones.
std::vector<RowReader> RowReaders();

// One field's reading: the fast path, then the full rules.
double ReadField(const char* begin, const char* end, const char* limit);
