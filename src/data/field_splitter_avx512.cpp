// The field splitter with 512-bit vector instructions: a line's 64 bytes are classified
// in one step and the positions where fields start and end are packed by the vector
// unit instead of picked out bit by bit. This file alone is compiled for them and is
// called only on processors that have them (see reading_row_avx2.cpp for why it
// includes so little).
#include "data/field_splitter.h"

#include "data/field_walk.h"

#include <immintrin.h>

void SplitFieldsAvx512(const char* begin, const char* end, const char* limit, CFieldEdges* fields);

namespace {

// Separator and zero-byte bits of the 64 bytes at word.
void ClassifyWord(const char* word, uint64_t* separators, uint64_t* zeros)
{
    const __m512i v = _mm512_loadu_si512(word);
    *separators = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(',')) | _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r'))
        | _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n'));
    *zeros = _mm512_testn_epi8_mask(v, v);
}

// WriteEdges by packing: the positions 0..63 (plus base) whose bit is set are packed
// into 16-bit lanes 32 at a time and stored whole; what lies past the last edge falls
// in the room the edge array keeps after its edges and is written over or ignored.
uint16_t* PackEdges(uint64_t changes, int base, uint16_t* edge)
{
    const __m512i positions = _mm512_add_epi16(
        _mm512_set_epi16(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8,
                         7, 6, 5, 4, 3, 2, 1, 0),
        _mm512_set1_epi16(static_cast<short>(base)));
    const __mmask32 low = static_cast<__mmask32>(changes);
    const __mmask32 high = static_cast<__mmask32>(changes >> 32);
    _mm512_storeu_si512(edge, _mm512_maskz_compress_epi16(low, positions));
    edge += _mm_popcnt_u32(low);
    _mm512_storeu_si512(edge, _mm512_maskz_compress_epi16(high, _mm512_add_epi16(positions, _mm512_set1_epi16(32))));
    return edge + _mm_popcnt_u32(high);
}

}  // namespace

void SplitFieldsAvx512(const char* begin, const char* end, const char* limit, CFieldEdges* fields)
{
    WalkFields<ClassifyWord, PackEdges>(begin, end, limit, fields);
}
