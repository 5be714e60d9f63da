#include "data/reading.h"

#include <charconv>
#include <cstdint>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

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
    char copy[1280];
    size_t n = static_cast<size_t>(end - begin);
    if (n >= sizeof copy)
        n = sizeof copy - 1;
    std::memcpy(copy, begin, n);
    copy[n] = '\0';
    return strtod_l(copy, nullptr, cLocale);
}

}  // namespace

double ParseReading(const char* begin, const char* end)
{
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
            return 0.0;  // "." or ".e1": no digits, no number
    }
    return StrtodC(number, end);
}

namespace {

// Powers of ten that a double holds exactly.
const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A reading of at most seven characters of digits and one decimal point, read from
// eight bytes at once without a branch per character. Returns null when the reading
// is of another shape (or may go on past the eight bytes): the caller then reads it
// character by character.
const char* ParseShortDecimal(const char* p, bool negative, double* value)
{
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    uint64_t chunk;
    std::memcpy(&chunk, p, sizeof chunk);  // byte k is character k
    // The high bit of byte k is set when character k is not a digit.
    const uint64_t x = (chunk & (0xF0 * kOnes)) ^ (0x30 * kOnes);
    const uint64_t highNibbleOff = (((x & (0x7F * kOnes)) + 0x7F * kOnes) | x) & (0x80 * kOnes);
    const uint64_t lowNibbleOver9 = (((chunk & (0x0F * kOnes)) + 0x06 * kOnes) & (0x10 * kOnes)) << 3;
    const uint64_t nonDigit = highNibbleOff | lowNibbleOver9;
    if (nonDigit == 0)
        return nullptr;
    const int stop1 = __builtin_ctzll(nonDigit) >> 3;
    int stop = stop1;
    int fraction = 0;
    uint64_t digits = chunk;
    if (p[stop1] == '.') {
        const uint64_t after = stop1 == 7 ? 0 : nonDigit & (~uint64_t{0} << (8 * stop1 + 8));
        if (after == 0)
            return nullptr;
        stop = __builtin_ctzll(after) >> 3;
        fraction = stop - stop1 - 1;
        // Close the gap of the decimal point: the fraction digits move down one byte.
        const uint64_t below = stop1 == 0 ? 0 : digits & (~uint64_t{0} >> (64 - 8 * stop1));
        digits = below | ((digits >> 8) & (~uint64_t{0} << (8 * stop1)));
    }
    const int count = stop1 + fraction;
    const char next = p[stop];
    if (count == 0 || next == 'e' || next == 'E' || next == 'x' || next == 'X')
        return nullptr;
    // Digit values, right-aligned in eight places (leading zeros in the low bytes).
    uint64_t v = (digits - 0x30 * kOnes) & (~uint64_t{0} >> (64 - 8 * count));
    v <<= 8 * (8 - count);
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FFULL) * 0x000F424000000064ULL) +
         (((v >> 16) & 0x000000FF000000FFULL) * 0x0000271000000001ULL)) >> 32;
    const double magnitude = static_cast<double>(v) / kPow10[fraction];
    *value = negative ? -magnitude : magnitude;
    return p + stop;
}

}  // namespace

const char* ParseReadingPrefix(const char* begin, const char* end, double* value)
{
    constexpr uint64_t kExactMantissa = uint64_t{1} << 53;

    const char* p = begin;
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\v' || *p == '\f'))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (end - p >= 8) {
        if (const char* stop = ParseShortDecimal(p, negative, value))
            return stop;
    }
    uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    while (p < end && IsDigit(*p)) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p++ - '0');
        ++digits;
    }
    if (digits == 1 && mantissa == 0 && p < end && (*p == 'x' || *p == 'X'))
        return nullptr;  // hexadecimal
    if (p < end && *p == '.') {
        ++p;
        while (p < end && IsDigit(*p)) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p++ - '0');
            ++digits;
            ++fraction;
        }
    }
    if (digits == 0 || digits > 19)
        return nullptr;
    int exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        // The exponent counts only when digits follow; "1e" reads as 1.
        const char* q = p + 1;
        bool negativeExponent = false;
        if (q < end && (*q == '+' || *q == '-')) {
            negativeExponent = *q == '-';
            ++q;
        }
        if (q < end && IsDigit(*q)) {
            while (q < end && IsDigit(*q)) {
                if (exponent < 100000)
                    exponent = exponent * 10 + (*q - '0');
                ++q;
            }
            exponent = negativeExponent ? -exponent : exponent;
            p = q;
        }
    }
    const int scale = exponent - fraction;
    double v;
    if (mantissa == 0) {
        v = 0.0;
    } else if (mantissa <= kExactMantissa && scale >= -22 && scale <= 22) {
        // Both operands are exact, so one multiplication or division rounds correctly.
        v = static_cast<double>(mantissa);
        v = scale < 0 ? v / kPow10[-scale] : v * kPow10[scale];
    } else {
        return nullptr;
    }
    *value = negative ? -v : v;
    return p;
}
