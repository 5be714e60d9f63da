#include "data/field_splitter.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kWordBytes = 64;

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

// Separator and zero-byte bits of the 64 bytes at word. A block that would reach
// past limit is copied first, so nothing beyond limit is read.
void ClassifyWord(const char* word, const char* limit, uint64_t* separators, uint64_t* zeros)
{
    *separators = 0;
    *zeros = 0;
    for (int offset = 0; offset < kWordBytes; offset += 16) {
        const char* at = word + offset;
        uint64_t s, z;
        if (limit - at >= 16) {
            ClassifyBlock(at, &s, &z);
        } else {
            char block[16] = {};
            if (at < limit)
                std::memcpy(block, at, static_cast<size_t>(limit - at));
            ClassifyBlock(block, &s, &z);
        }
        *separators |= s << offset;
        *zeros |= z << offset;
    }
}

}  // namespace

void SplitFields(const char* begin, const char* end, const char* limit, CFieldEdges* fields)
{
    const int length = end - begin < kMaxLineBytes ? static_cast<int>(end - begin) : kMaxLineBytes;
    uint16_t* edge = fields->edges;  // where fields start and end, alternately
    uint64_t inField = 0;            // whether the byte before the word belongs to a field
    for (int base = 0; base < length; base += kWordBytes) {
        uint64_t separators, zeros;
        ClassifyWord(begin + base, limit, &separators, &zeros);
        const int rest = length - base;
        bool last = rest <= kWordBytes;
        if (rest < kWordBytes)
            separators |= ~uint64_t{0} << rest;  // bytes past the line
        if (zeros != 0) {
            separators |= ~((zeros & (0 - zeros)) - 1);  // nothing from the first zero byte on
            last = true;
        }
        const uint64_t inside = ~separators;
        for (uint64_t change = inside ^ ((inside << 1) | inField); change != 0; change &= change - 1)
            *edge++ = static_cast<uint16_t>(base + __builtin_ctzll(change));
        inField = inside >> 63;
        if (last)
            break;
    }
    if ((edge - fields->edges) % 2 != 0)
        *edge++ = static_cast<uint16_t>(length);
    fields->count = static_cast<int>(edge - fields->edges) / 2;
}
