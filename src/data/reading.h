#pragma once

// Converts one field of a data row to its reading with the C run-time's atof rules
// in the "C" locale, whatever the process locale: leading blanks skipped, the
// longest numeric prefix counts (decimal, hexadecimal, inf, nan), no number gives 0.0.
#include <cstdint>

double ParseReading(const char* begin, const char* end);

// The import's fast path for the usual reading, [sign]digits[.digits] with at most 15
// digits: reads it from begin (not past end) and returns where it stopped. Returns
// null, with value untouched, for every other form (blanks, exponent, hexadecimal,
// inf, nan, no digits, long mantissas), which ParseReading then reads.
inline const char* ParseReadingFast(const char* begin, const char* end, double* value)
{
    // Powers of ten that a double holds exactly: a mantissa of at most 15 digits is
    // exact too, so one division rounds the result correctly.
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = begin;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    uint64_t mantissa = 0;
    const char* q = p;
    for (unsigned digit; q < end && (digit = static_cast<unsigned char>(*q) - '0') <= 9; ++q)
        mantissa = mantissa * 10 + digit;
    long digits = q - p;
    long fraction = 0;
    if (q < end && *q == '.') {
        const char* first = ++q;
        for (unsigned digit; q < end && (digit = static_cast<unsigned char>(*q) - '0') <= 9; ++q)
            mantissa = mantissa * 10 + digit;
        fraction = q - first;
        digits += fraction;
    }
    if (digits == 0 || digits > 15 || (q < end && ((*q | 0x20) == 'e' || (*q | 0x20) == 'x')))
        return nullptr;
    const double magnitude = static_cast<double>(mantissa) / kPow10[fraction];
    *value = negative ? -magnitude : magnitude;
    return q;
}
