#pragma once

// Converts the fields of one data row to their readings: field i is
// [line + spans[2i], line + spans[2i + 1]) and its reading, by the C run-time's atof
// rules (see reading.h), goes to values[i]. Fields are not empty and lie in order;
// bytes up to limit may be read.
#include <cstdint>

void ConvertRowFields(const char* line, const char* limit, const uint16_t* spans, int count, double* values);
