// Eight readings at once with 512-bit vector instructions; this file alone is compiled
// for them and is called only on processors that have them (see reading_row_avx2.cpp
// for why it includes so little). The steps are those of the four-lane build, with
// byte masks in mask registers.
#include "data/reading_row.h"

#include <cstring>
#include <immintrin.h>

void ReadRowFieldsAvx512(const char* line, const char* limit, const uint16_t* spans, int count, double* values);
// The four-lane build (reading_row_avx2.cpp) takes what is left of a row.
void ReadRowFieldsAvx2(const char* line, const char* limit, const uint16_t* spans, int count, double* values);

namespace {

__m512i Bytes(char c) { return _mm512_set1_epi8(c); }
__m512i Words(int64_t v) { return _mm512_set1_epi64(v); }

// Lanes (of 64 bits) holding a byte of the byte mask.
__mmask8 LanesWith(__mmask64 bytes)
{
    const __m512i spread = _mm512_movm_epi8(bytes);
    return _mm512_test_epi64_mask(spread, spread);
}

// The readings of eight fields whose eight bytes from their start may be read; returns
// the lanes that hold the usual reading (see ReadFour in reading_row_avx2.cpp).
int ReadEight(const char* line, const uint16_t* spans, double* values)
{
    uint64_t chunk[8];
    for (int i = 0; i < 8; ++i)
        std::memcpy(&chunk[i], line + spans[2 * i], 8);
    const __m256i edges = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(spans));
    const __m256i lengths32 =
        _mm256_sub_epi32(_mm256_srli_epi32(edges, 16), _mm256_and_si256(edges, _mm256_set1_epi32(0xFFFF)));
    const __m512i length = _mm512_cvtepu32_epi64(lengths32);
    const __mmask8 lengthFits = _mm512_cmpgt_epi64_mask(length, Words(0)) & _mm512_cmpgt_epi64_mask(Words(9), length);
    const __m512i shift = _mm512_sub_epi64(Words(64), _mm512_slli_epi64(length, 3));

    const __m512i raw = _mm512_set_epi64(static_cast<int64_t>(chunk[7]), static_cast<int64_t>(chunk[6]),
                                         static_cast<int64_t>(chunk[5]), static_cast<int64_t>(chunk[4]),
                                         static_cast<int64_t>(chunk[3]), static_cast<int64_t>(chunk[2]),
                                         static_cast<int64_t>(chunk[1]), static_cast<int64_t>(chunk[0]));
    __m512i digits = _mm512_sllv_epi64(_mm512_xor_si512(raw, Bytes(0x30)), shift);
    const __m512i field = _mm512_sllv_epi64(Words(-1), shift);
    const __mmask64 fieldBytes = _mm512_test_epi8_mask(field, field);
    const __mmask64 firstByte = fieldBytes & ~_mm512_test_epi8_mask(_mm512_slli_epi64(field, 8), field);

    const __mmask64 minus = _mm512_cmpeq_epi8_mask(digits, Bytes(0x1D)) & firstByte;
    const __mmask64 sign = minus | (_mm512_cmpeq_epi8_mask(digits, Bytes(0x1B)) & firstByte);
    const __mmask64 dots = _mm512_cmpeq_epi8_mask(digits, Bytes(0x1E));
    const __mmask64 others = _mm512_cmpgt_epu8_mask(digits, Bytes(9));
    // Usual readings: every byte that is not a digit is the sign or a decimal point, there
    // is one point at most, and a digit besides them.
    const __m512i dotBits = _mm512_and_si512(_mm512_movm_epi8(dots), Bytes(static_cast<char>(0x80)));
    const __mmask8 onePoint = _mm512_testn_epi64_mask(dotBits, _mm512_sub_epi64(dotBits, Words(1)));
    const __mmask8 usual = lengthFits & onePoint & ~LanesWith(others & ~(dots | sign))
        & LanesWith(fieldBytes & ~(dots | sign));

    // Take out the sign and the point: the digits before the point move up one byte.
    digits = _mm512_maskz_mov_epi8(~sign, digits);
    const __mmask8 pointed = _mm512_test_epi64_mask(dotBits, dotBits);
    const __m512i below = _mm512_maskz_sub_epi64(pointed, _mm512_srli_epi64(dotBits, 7), Words(1));
    const __m512i above = _mm512_andnot_si512(_mm512_or_si512(below, _mm512_movm_epi8(dots)), Words(-1));
    digits = _mm512_or_si512(_mm512_and_si512(digits, above), _mm512_slli_epi64(_mm512_and_si512(digits, below), 8));
    // Digits after the point: the bytes above it.
    const __m512i fraction = _mm512_sad_epu8(_mm512_maskz_and_epi64(pointed, above, Bytes(1)), _mm512_setzero_si512());

    // Eight digits, the most significant in the lowest byte: pairs, fours, then the lane.
    const __m512i pairs = _mm512_maddubs_epi16(digits, _mm512_set1_epi16(0x010A));
    const __m512i fours = _mm512_madd_epi16(pairs, _mm512_set1_epi32(0x00010064));
    const __m512i whole = _mm512_add_epi64(_mm512_mul_epu32(fours, Words(10000)), _mm512_srli_epi64(fours, 32));
    // The power of ten by the digits after the point, picked from a register (a float
    // holds 1e0..1e7 exactly); mantissa and power are exact, so one division rounds
    // correctly.
    const __m256 powers = _mm256_setr_ps(1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f);
    const __m256 power = _mm256_permutevar8x32_ps(powers, _mm512_cvtepi64_epi32(fraction));
    __m512d result = _mm512_div_pd(_mm512_cvtepi32_pd(_mm512_cvtepi64_epi32(whole)), _mm512_cvtps_pd(power));
    const __m512i bits = _mm512_castpd_si512(result);
    result = _mm512_castsi512_pd(_mm512_mask_xor_epi64(bits, LanesWith(minus), bits, Words(INT64_MIN)));
    _mm512_storeu_pd(values, result);
    return usual;
}

}  // namespace

void ReadRowFieldsAvx512(const char* line, const char* limit, const uint16_t* spans, int count, double* values)
{
    int i = 0;
    // Every field of a group needs eight readable bytes from its start; the last field
    // ends last.
    if (count > 0 && limit - (line + spans[2 * count - 1]) >= 8) {
        for (; i + 8 <= count; i += 8) {
            const int usual = ReadEight(line, spans + 2 * i, values + i);
            if (usual == 0xFF)
                continue;
            for (int k = 0; k < 8; ++k) {
                if ((usual >> k & 1) == 0)
                    values[i + k] = ReadField(line + spans[2 * (i + k)], line + spans[2 * (i + k) + 1], limit);
            }
        }
    }
    // The rest, fewer than eight, four at a time.
    ReadRowFieldsAvx2(line, limit, spans + 2 * i, count - i, values + i);
}
