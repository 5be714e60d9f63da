#include "data/field_splitter.h"

#include "data/field_walk.h"
#include "data/vector_support.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(TRANDOR_IMPORT_X86)
// Defined in field_splitter_avx2.cpp and field_splitter_avx512.cpp, which alone are
// compiled for those vector instructions.
void SplitFieldsAvx2(const char* begin, const char* end, const char* limit, CFieldEdges* fields);
void SplitFieldsAvx512(const char* begin, const char* end, const char* limit, CFieldEdges* fields);
#endif

namespace {

// Bit k is set when byte k of the 16 is a separator; zero bytes are reported apart.
inline void ClassifyBlock(const char* bytes, uint64_t* separators, uint64_t* zeros)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i sep = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(',')),
                                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                  _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
    *separators = static_cast<uint32_t>(_mm_movemask_epi8(sep));
    *zeros = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
#else
    uint64_t s = 0, z = 0;
    for (int k = 0; k < 16; ++k) {
        const char c = bytes[k];
        s |= static_cast<uint64_t>(c == ',' || c == '\r' || c == '\n') << k;
        z |= static_cast<uint64_t>(c == '\0') << k;
    }
    *separators = s;
    *zeros = z;
#endif
}

// Separator and zero-byte bits of the 64 bytes at word, 16 at a time.
void ClassifyWord(const char* word, uint64_t* separators, uint64_t* zeros)
{
    *separators = 0;
    *zeros = 0;
    for (int offset = 0; offset < kWordBytes; offset += 16) {
        uint64_t s, z;
        ClassifyBlock(word + offset, &s, &z);
        *separators |= s << offset;
        *zeros |= z << offset;
    }
}

void SplitFieldsPortable(const char* begin, const char* end, const char* limit, CFieldEdges* fields)
{
    WalkFields<ClassifyWord>(begin, end, limit, fields);
}

}  // namespace

std::vector<FieldSplitter> FieldSplitters()
{
    std::vector<FieldSplitter> splitters{SplitFieldsPortable};
#if defined(TRANDOR_IMPORT_X86)
    if (ProcessorHasAvx2())
        splitters.push_back(SplitFieldsAvx2);
    if (ProcessorHasAvx512())
        splitters.push_back(SplitFieldsAvx512);
#endif
    return splitters;
}

void SplitFields(const char* begin, const char* end, const char* limit, CFieldEdges* fields)
{
    static const FieldSplitter splitter = FieldSplitters().back();
    splitter(begin, end, limit, fields);
}
