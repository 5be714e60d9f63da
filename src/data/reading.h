#pragma once

// Converts one field of a data row to its reading with the C run-time's atof rules
// in the "C" locale, whatever the process locale: leading blanks skipped, the
// longest numeric prefix counts (decimal, hexadecimal, inf, nan), no number gives 0.0.
double ParseReading(const char* begin, const char* end);
