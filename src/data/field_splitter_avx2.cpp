// The field splitter with 256-bit vector instructions and the bit-manipulation ones
// that come with them; this file alone is compiled for them and is called only on
// processors that have them (see reading_row_avx2.cpp for why it includes so little).
#include "data/field_splitter.h"

#include "data/field_walk.h"

#include <immintrin.h>

void SplitFieldsAvx2(const char* begin, const char* end, const char* limit, CFieldEdges* fields);

namespace {

// Bit k of the result is set when byte k of the 32 at bytes is one of the separators
// (comma, carriage return, line feed); zero bytes are reported apart.
void ClassifyBlock(const char* bytes, uint64_t* separators, uint64_t* zeros)
{
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
    const __m256i sep = _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(',')),
                                        _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('\r')),
                                                        _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n'))));
    *separators = static_cast<uint32_t>(_mm256_movemask_epi8(sep));
    *zeros = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
}

// Separator and zero-byte bits of the 64 bytes at word.
void ClassifyWord(const char* word, uint64_t* separators, uint64_t* zeros)
{
    uint64_t lowSeparators, lowZeros, highSeparators, highZeros;
    ClassifyBlock(word, &lowSeparators, &lowZeros);
    ClassifyBlock(word + 32, &highSeparators, &highZeros);
    *separators = lowSeparators | highSeparators << 32;
    *zeros = lowZeros | highZeros << 32;
}

}  // namespace

void SplitFieldsAvx2(const char* begin, const char* end, const char* limit, CFieldEdges* fields)
{
    WalkFields<ClassifyWord>(begin, end, limit, fields);
}
