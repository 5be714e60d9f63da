#include "data/field_splitter.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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

// Separator and zero-byte bits of the 64 bytes at base; bytes past the line's
// length count as separators.
void ClassifyWord(const char* line, int base, int length, uint64_t* separators, uint64_t* zeros)
{
    *separators = 0;
    *zeros = 0;
    for (int offset = 0; offset < 64; offset += 16) {
        const int at = base + offset;
        uint64_t s, z;
        if (at + 16 <= length) {
            ClassifyBlock(line + at, &s, &z);
        } else {
            char block[16];
            std::memset(block, ',', sizeof block);
            if (at < length)
                std::memcpy(block, line + at, static_cast<size_t>(length - at));
            ClassifyBlock(block, &s, &z);
        }
        *separators |= s << offset;
        *zeros |= z << offset;
    }
}

}  // namespace

int SplitFields(const char* begin, const char* end, CFieldSpan* fields)
{
    const int length = end - begin < kMaxLineBytes ? static_cast<int>(end - begin) : kMaxLineBytes;
    // Offsets where a field starts or ends, alternately: the places where bytes switch
    // between separator and field.
    uint16_t edges[kMaxLineBytes + 2];
    int count = 0;
    uint64_t inField = 0;  // whether the byte before the word belongs to a field
    for (int base = 0; base < length; base += 64) {
        uint64_t separators, zeros;
        ClassifyWord(begin, base, length, &separators, &zeros);
        const bool last = zeros != 0 || base + 64 >= length;
        if (zeros != 0)
            separators |= ~((zeros & (0 - zeros)) - 1);  // nothing from the first zero byte on
        const uint64_t inside = ~separators;
        for (uint64_t edge = inside ^ ((inside << 1) | inField); edge != 0; edge &= edge - 1)
            edges[count++] = static_cast<uint16_t>(base + __builtin_ctzll(edge));
        inField = inside >> 63;
        if (last)
            break;
    }
    if (count % 2 != 0)
        edges[count++] = static_cast<uint16_t>(length);
    for (int i = 0; i < count / 2; ++i)
        fields[i] = CFieldSpan{edges[2 * i], edges[2 * i + 1]};
    return count / 2;
}
