#pragma once

// Converts the channel fields of one data row to their readings: channel c reads field
// columns[c] of the row by the rules of reading.h and goes to values[c]. A field the
// row lacks (a short row) is a missing reading, NaN, like a field without a number.
#include "data/import/field_splitter.h"

void ConvertRowFields(const CFieldEdges& fields, const int* columns, int count, char decimalMark, double* values);
