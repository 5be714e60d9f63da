#pragma once

// Converts the readings of one data row: field i is [line + spans[2i], line + spans[2i + 1])
// and its reading, by the C run-time's atof rules (see reading.h), goes to values[i].
// Fields are not empty and lie in order; bytes up to limit may be read. On processors
// with 256-bit vector instructions four readings are converted at once.
#include <cstdint>

void ReadRowFields(const char* line, const char* limit, const uint16_t* spans, int count, double* values);

// The same, one field after the other, on every processor.
void ReadRowFieldsPortable(const char* line, const char* limit, const uint16_t* spans, int count,
                           double* values);

// One field's reading: the fast path, then the full rules.
double ReadField(const char* begin, const char* end, const char* limit);
