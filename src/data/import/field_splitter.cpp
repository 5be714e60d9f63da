#include "data/import/field_splitter.h"

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

// Bit k of separators is set when byte k of the 64 at word is a comma, carriage return
// or line feed, and of zeros when it is a zero byte.
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

// Writes base + the position of each set bit of changes, lowest first, from edge on;
// returns the end of what was written.
inline uint16_t* WriteEdges(uint64_t changes, int base, uint16_t* edge)
{
    for (; changes != 0; changes &= changes - 1)
        *edge++ = static_cast<uint16_t>(base + __builtin_ctzll(changes));
    return edge;
}

}  // namespace

void SplitFields(const char* begin, const char* end, const char* limit, CFieldEdges* fields)
{
    const int length = end - begin < kMaxLineBytes ? static_cast<int>(end - begin) : kMaxLineBytes;
    uint16_t* edge = fields->edges;  // where fields start and end, alternately
    uint64_t inField = 0;            // whether the byte before the word belongs to a field
    for (int base = 0; base < length; base += kWordBytes) {
        // A word that would reach past limit is classified from a copy, so nothing
        // beyond limit is read.
        const char* word = begin + base;
        char copy[kWordBytes];
        if (limit - word < kWordBytes) {
            std::memset(copy, 0, sizeof copy);
            if (word < limit)
                std::memcpy(copy, word, static_cast<size_t>(limit - word));
            word = copy;
        }
        uint64_t separators, zeros;
        ClassifyWord(word, &separators, &zeros);
        const int rest = length - base;
        bool last = rest <= kWordBytes;
        if (rest < kWordBytes)
            separators |= ~uint64_t{0} << rest;  // bytes past the line
        if (zeros != 0) {
            separators |= ~((zeros & (0 - zeros)) - 1);  // nothing from the first zero byte on
            last = true;
        }
        const uint64_t inside = ~separators;
        edge = WriteEdges(inside ^ ((inside << 1) | inField), base, edge);
        inField = inside >> 63;
        if (last)
            break;
    }
    if ((edge - fields->edges) % 2 != 0)
        *edge++ = static_cast<uint16_t>(length);
    fields->count = static_cast<int>(edge - fields->edges) / 2;
}
