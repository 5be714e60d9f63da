#pragma once

// Converts one field of a data row to its reading with the C run-time's atof rules
// in the "C" locale, whatever the process locale: leading blanks skipped, the
// longest numeric prefix counts (decimal, hexadecimal, inf, nan), no number gives 0.0.
double ParseReading(const char* begin, const char* end);

// The import's fast path for the usual forms (plain decimals with an optional
// exponent): reads the reading that starts at begin, within [begin, end), and returns
// where its numeric prefix stopped. Returns null, with value untouched, for the forms
// it leaves to ParseReading (hexadecimal, inf, nan, no digits, more than 19 digits,
// results that one exact operation cannot round correctly).
const char* ParseReadingPrefix(const char* begin, const char* end, double* value);
