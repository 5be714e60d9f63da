// Four readings at once with 256-bit vector instructions; this file alone is compiled
// for them and is called only on processors that have them. It uses nothing but the
// vector intrinsics and plain functions of other files, so no inline function of a
// shared header is ever compiled here with instructions other files must not meet.
#include "data/reading_row.h"

#include <cstdint>
#include <cstring>
#include <immintrin.h>

void ReadRowFieldsAvx2(const char* line, const char* limit, const uint16_t* spans, int count, double* values);

namespace {

__m256i Bytes(char c) { return _mm256_set1_epi8(c); }
__m256i Words(int64_t v) { return _mm256_set1_epi64x(v); }

// Lanes whose 64 bits are all zero.
__m256i IsZero(__m256i v) { return _mm256_cmpeq_epi64(v, _mm256_setzero_si256()); }

// The readings of four fields whose eight bytes from their start may be read, each lane
// holding one field. Works like the one-field fast path: the field's characters move to
// the top of the lane as digit values, leading zeros below; the form is checked for all
// lanes at once; the decimal point is taken out and the digits combined pairwise. Returns
// the lanes (bit i for field i) that hold the usual reading; the others are left to the
// full rules.
int ReadFour(const char* line, const uint16_t* spans, double* values)
{
    uint64_t chunk[4];
    for (int i = 0; i < 4; ++i)
        std::memcpy(&chunk[i], line + spans[2 * i], 8);
    // Field lengths from the (begin, end) pairs: end - begin in each 32-bit pair.
    const __m128i edges = _mm_loadu_si128(reinterpret_cast<const __m128i*>(spans));
    const __m128i lengths32 = _mm_sub_epi32(_mm_srli_epi32(edges, 16), _mm_and_si128(edges, _mm_set1_epi32(0xFFFF)));
    const __m256i length = _mm256_cvtepu32_epi64(lengths32);
    const __m256i lengthFits = _mm256_and_si256(_mm256_cmpgt_epi64(length, Words(0)), _mm256_cmpgt_epi64(Words(9), length));
    const __m256i shift = _mm256_sub_epi64(Words(64), _mm256_slli_epi64(length, 3));  // over 63 for long fields: all zero

    const __m256i raw = _mm256_set_epi64x(static_cast<int64_t>(chunk[3]), static_cast<int64_t>(chunk[2]),
                                          static_cast<int64_t>(chunk[1]), static_cast<int64_t>(chunk[0]));
    __m256i digits = _mm256_sllv_epi64(_mm256_xor_si256(raw, Bytes(0x30)), shift);
    const __m256i field = _mm256_sllv_epi64(Words(-1), shift);
    const __m256i firstByte = _mm256_andnot_si256(_mm256_slli_epi64(field, 8), field);

    // Signs (after the exclusive or: '-' 0x1D, '+' 0x1B) count only as the first byte.
    const __m256i minus = _mm256_and_si256(_mm256_cmpeq_epi8(digits, Bytes(0x1D)), firstByte);
    const __m256i sign = _mm256_or_si256(minus, _mm256_and_si256(_mm256_cmpeq_epi8(digits, Bytes(0x1B)), firstByte));
    const __m256i dots = _mm256_cmpeq_epi8(digits, Bytes(0x1E));
    const __m256i high = Bytes(static_cast<char>(0x80));
    const __m256i others = _mm256_and_si256(_mm256_or_si256(_mm256_add_epi64(digits, Bytes(0x76)), digits), high);
    const __m256i dotBits = _mm256_and_si256(dots, high);
    // Usual readings: every byte that is not a digit is the sign or a decimal point, there
    // is one point at most, and a digit besides them.
    const __m256i onlyAllowed = _mm256_cmpeq_epi64(others, _mm256_and_si256(_mm256_or_si256(dots, sign), high));
    const __m256i onePoint = IsZero(_mm256_and_si256(dotBits, _mm256_sub_epi64(dotBits, Words(1))));
    const __m256i noDigit = IsZero(_mm256_andnot_si256(_mm256_or_si256(dots, sign), field));
    const __m256i usual = _mm256_andnot_si256(noDigit, _mm256_and_si256(_mm256_and_si256(onlyAllowed, onePoint), lengthFits));

    // Take out the sign and the point: the digits before the point move up one byte.
    digits = _mm256_andnot_si256(sign, digits);
    const __m256i pointed = _mm256_xor_si256(IsZero(dotBits), Words(-1));
    const __m256i below = _mm256_and_si256(_mm256_sub_epi64(_mm256_srli_epi64(dotBits, 7), Words(1)), pointed);
    const __m256i above = _mm256_xor_si256(_mm256_or_si256(below, dots), Words(-1));
    digits = _mm256_or_si256(_mm256_and_si256(digits, above), _mm256_slli_epi64(_mm256_and_si256(digits, below), 8));
    // Digits after the point: the bytes above it.
    const __m256i fraction = _mm256_sad_epu8(_mm256_and_si256(_mm256_and_si256(above, pointed), Bytes(1)),
                                             _mm256_setzero_si256());

    // Eight digits, the most significant in the lowest byte: pairs, fours, then the lane.
    const __m256i pairs = _mm256_maddubs_epi16(digits, _mm256_set1_epi16(0x010A));
    const __m256i fours = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00010064));
    const __m256i whole = _mm256_add_epi64(_mm256_mul_epu32(fours, Words(10000)), _mm256_srli_epi64(fours, 32));
    const __m256i lowHalves = _mm256_setr_epi32(0, 2, 4, 6, 0, 0, 0, 0);
    const __m128i mantissa = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(whole, lowHalves));
    // The power of ten by the digits after the point, picked from a register: a float
    // holds 1e0..1e7 exactly. (A lane that is not a reading may ask for the ninth; it
    // gets some power and is discarded.)
    const __m256 powers = _mm256_setr_ps(1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f);
    const __m256 power = _mm256_permutevar8x32_ps(powers, _mm256_permutevar8x32_epi32(fraction, lowHalves));
    // The mantissa and the power of ten are exact, so one division rounds correctly.
    __m256d result = _mm256_div_pd(_mm256_cvtepi32_pd(mantissa), _mm256_cvtps_pd(_mm256_castps256_ps128(power)));
    const __m256i negative = _mm256_xor_si256(IsZero(minus), Words(-1));
    result = _mm256_xor_pd(result, _mm256_castsi256_pd(_mm256_and_si256(negative, Words(INT64_MIN))));
    _mm256_storeu_pd(values, result);
    return _mm256_movemask_pd(_mm256_castsi256_pd(usual));
}

}  // namespace

void ReadRowFieldsAvx2(const char* line, const char* limit, const uint16_t* spans, int count, double* values)
{
    int i = 0;
    // Every field of a group needs eight readable bytes from its start; the last field
    // ends last.
    if (count > 0 && limit - (line + spans[2 * count - 1]) >= 8) {
        for (; i + 4 <= count; i += 4) {
            const int usual = ReadFour(line, spans + 2 * i, values + i);
            if (usual == 0xF)
                continue;
            for (int k = 0; k < 4; ++k) {
                if ((usual >> k & 1) == 0)
                    values[i + k] = ReadField(line + spans[2 * (i + k)], line + spans[2 * (i + k) + 1], limit);
            }
        }
    }
    for (; i < count; ++i)
        values[i] = ReadField(line + spans[2 * i], line + spans[2 * i + 1], limit);
}
