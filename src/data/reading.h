#pragma once

// Converts one field of a data row to its reading with the C run-time's atof rules
// in the "C" locale, whatever the process locale: leading blanks skipped, the
// longest numeric prefix counts (decimal, hexadecimal, inf, nan), no number gives 0.0.
#include <cstdint>
#include <cstring>

double ParseReading(const char* begin, const char* end);


// The import's fast path for a whole field [begin, end) of a line that ends at limit
// (limit >= end): the usual reading, an optional sign and at most eight characters
// of digits and one decimal point, converted eight bytes at a time without a branch
// per character. Returns false, with value untouched, for every other form, which
// ParseReading then reads.
inline bool ParseShortReading(const char* begin, const char* end, const char* limit, double* value);

namespace reading_detail {

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x80 * kOnes;

// The high bit of each byte that is not zero.
inline uint64_t NonZeroBytes(uint64_t x)
{
    return (((x & (0x7F * kOnes)) + 0x7F * kOnes) | x) & kHighBits;
}

// The high bit of each byte that is not an ASCII digit.
inline uint64_t NonDigitBytes(uint64_t x)
{
    const uint64_t highNibble = NonZeroBytes((x & (0xF0 * kOnes)) ^ (0x30 * kOnes));
    const uint64_t lowNibbleOver9 = (((x & (0x0F * kOnes)) + 0x06 * kOnes) & (0x10 * kOnes)) << 3;
    return highNibble | lowNibbleOver9;
}

// The value of up to eight digits held in the low bytes of x, most significant first.
inline uint64_t DigitsValue(uint64_t x, int count)
{
    uint64_t v = (x - 0x30 * kOnes) & (~uint64_t{0} >> (64 - 8 * count));
    v <<= 8 * (8 - count);  // leading zeros
    v = v * 10 + (v >> 8);
    return (((v & 0x000000FF000000FFULL) * 0x000F424000000064ULL) +
            (((v >> 16) & 0x000000FF000000FFULL) * 0x0000271000000001ULL)) >> 32;
}

}  // namespace reading_detail

inline bool ParseShortReading(const char* begin, const char* end, const char* limit, double* value)
{
    using namespace reading_detail;
    // Powers of ten that a double holds exactly; an eight-digit mantissa is exact too,
    // so one division rounds the result correctly.
    static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    long length = end - begin;
    uint64_t chunk = 0;
    if (limit - begin >= 8)
        std::memcpy(&chunk, begin, 8);  // one load; the bytes past the field are masked off
    else if (length <= 8)
        std::memcpy(&chunk, begin, static_cast<size_t>(length));  // the line's last field
    // The sign is taken off without a branch: signs are as unpredictable as the data.
    const uint64_t sign = chunk & 0xFF;
    const uint64_t negative = sign == '-';
    const int hasSign = static_cast<int>(negative | (sign == '+'));
    chunk >>= 8 * hasSign;
    length -= hasSign;
    if (length < 1 || length > 8 - hasSign)
        return false;
    const uint64_t keep = ~uint64_t{0} >> (64 - 8 * length);
    chunk &= keep;
    const uint64_t dots = ~NonZeroBytes(chunk ^ (0x2E * kOnes)) & kHighBits & keep;
    // Only digits and at most one decimal point.
    if ((NonDigitBytes(chunk) & keep) != dots || (dots & (dots - 1)) != 0)
        return false;
    int count = static_cast<int>(length);
    int fraction = 0;
    if (dots != 0) {
        const int dot = __builtin_ctzll(dots) >> 3;
        fraction = count - dot - 1;
        --count;
        const uint64_t below = (uint64_t{1} << (8 * dot)) - 1;
        chunk = (chunk & below) | ((chunk >> 8) & ~below);
    }
    if (count == 0)
        return false;  // a lone decimal point
    const double magnitude = static_cast<double>(DigitsValue(chunk, count)) / kPow10[fraction];
    uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    bits |= negative << 63;
    std::memcpy(value, &bits, sizeof bits);
    return true;
}
