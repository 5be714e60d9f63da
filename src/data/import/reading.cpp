#include "data/import/reading.h"

#include "data/import/import_limits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

constexpr double kMissingReading = NAN;

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// strtod in the "C" locale on a zero-terminated copy: the rare forms (hexadecimal,
// inf, nan, values beyond the double range) that the fast path leaves to it.
double StrtodC(const char* begin, const char* end)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    char copy[kLineBuffer];
    size_t n = static_cast<size_t>(end - begin);
    if (n >= sizeof copy)
        n = sizeof copy - 1;
    std::memcpy(copy, begin, n);
    copy[n] = '\0';
    char* stop = nullptr;
    const double value = strtod_l(copy, &stop, cLocale);
    return stop == copy ? kMissingReading : value;
}

// A field with another decimal mark: read with a point in its place. A point in it
// then ends the number, as a second decimal mark would.
double ParseReadingWithMark(const char* begin, const char* end, char decimalMark)
{
    char copy[kLineBuffer];
    const size_t n = std::min(static_cast<size_t>(end - begin), sizeof copy);
    for (size_t i = 0; i < n; ++i)
        copy[i] = begin[i] == decimalMark ? '.' : begin[i] == '.' ? ',' : begin[i];
    return ParseReading(copy, copy + n);
}

}  // namespace

double ParseReading(const char* begin, const char* end, char decimalMark)
{
    if (decimalMark != '.')
        return ParseReadingWithMark(begin, end, decimalMark);
    const char* p = begin;
    while (p < end && IsCSpace(*p))
        ++p;
    const char* number = p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const bool hex = p + 1 < end && p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    if (p < end && (IsDigit(*p) || *p == '.') && !hex) {
        double value = 0.0;
        const std::from_chars_result r = std::from_chars(p, end, value, std::chars_format::general);
        if (r.ec == std::errc())
            return negative ? -value : value;
        if (r.ec == std::errc::invalid_argument)
            return kMissingReading;  // "." or ".e1": no digits, no number
    }
    return StrtodC(number, end);
}

bool ParseShortReadingNearLimit(const char* begin, const char* end, double* value, char decimalMark)
{
    char copy[32] = {};
    const long length = end - begin;
    if (length > 9)
        return false;  // more than a sign and eight characters
    std::memcpy(copy, begin, static_cast<size_t>(length));
    return ParseShortReading(copy, copy + length, copy + sizeof copy, value, decimalMark);
}
