#pragma once

// Converts one field of a data row to its reading with the C run-time's atof rules
// in the "C" locale, whatever the process locale: leading blanks skipped, the
// longest numeric prefix counts (decimal, hexadecimal, inf, nan). A field that does
// not start with a number ("----", "OVER", an empty field) is a missing reading, NaN.
// The decimal mark is the file's: '.' or ','.
#include <cstdint>
#include <cstring>

double ParseReading(const char* begin, const char* end, char decimalMark = '.');

// The import's fast path for a whole field [begin, end), not empty, of a line whose
// bytes may be read up to limit (limit >= end): the usual reading, an optional sign and at most
// eight characters of digits and one decimal mark. Returns false, with value
// untouched, for every other form, which ParseReading then reads.
inline bool ParseShortReading(const char* begin, const char* end, const char* limit, double* value,
                              char decimalMark = '.');

namespace reading_detail {

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x80 * kOnes;

// The value of eight digit values (0..9) in the bytes of x, the most significant in
// the lowest byte.
inline uint64_t EightDigitsValue(uint64_t x)
{
    x = x * 10 + (x >> 8);
    return (((x & 0x000000FF000000FFULL) * 0x000F424000000064ULL) +
            (((x >> 16) & 0x000000FF000000FFULL) * 0x0000271000000001ULL)) >> 32;
}

}  // namespace reading_detail

// ParseShortReading for a field whose digits lie within eight bytes of limit: copied
// into a buffer that can be read whole.
bool ParseShortReadingNearLimit(const char* begin, const char* end, double* value, char decimalMark);

inline bool ParseShortReading(const char* begin, const char* end, const char* limit, double* value,
                              char decimalMark)
{
    using namespace reading_detail;
    // Powers of ten that a double holds exactly; an eight-digit mantissa is exact too,
    // so one division rounds the result correctly.
    static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    if (limit - begin < 9)
        return ParseShortReadingNearLimit(begin, end, value, decimalMark);
    const char first = *begin;
    const bool negative = first == '-';
    const char* digits = begin + (negative || first == '+');
    const long length = end - digits;
    if (length < 1 || length > 8)
        return false;
    uint64_t chunk;
    std::memcpy(&chunk, digits, 8);  // one load; the bytes past the field are shifted out
    // Digit values in place of the characters, moved to the top of the word: the bytes
    // past the field fall off and zeros (leading zero digits) come in below.
    chunk = (chunk ^ (0x30 * kOnes)) << (64 - 8 * length);
    // Bytes that are not digit values (10 and above); a decimal point reads 0x1E, a comma 0x1C.
    const uint64_t others = ((chunk + 0x76 * kOnes) | chunk) & kHighBits;
    int fraction = 0;
    if (others != 0) {
        // Only one such byte, the decimal mark, and at least one digit besides it.
        const int point = __builtin_ctzll(others) - 7;  // its lowest bit
        const auto mark = static_cast<uint64_t>(static_cast<unsigned char>(decimalMark) ^ 0x30);
        if ((others & (others - 1)) != 0 || ((chunk >> point) & 0xFF) != mark || length == 1)
            return false;
        // Drop the point: the digits before it move up one byte.
        chunk = (chunk & (0 - (others << 1))) | ((chunk & ((uint64_t{1} << point) - 1)) << 8);
        fraction = (56 - point) >> 3;
    }
    // The sign by a multiplication, which is exact: signs are as unpredictable as the
    // data, so a branch would often be mispredicted.
    static constexpr double kSign[] = {1.0, -1.0};
    *value = static_cast<double>(EightDigitsValue(chunk)) / kPow10[fraction] * kSign[negative];
    return true;
}
