#include "data/field_splitter.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Bit k is set when byte k of the 16 is a separator; zero bytes are reported apart.
void ClassifyBlock(const char* bytes, uint32_t* separators, uint32_t* zeros)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i sep = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(',')),
                                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                  _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
    *separators = static_cast<uint32_t>(_mm_movemask_epi8(sep));
    *zeros = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
#else
    uint32_t s = 0, z = 0;
    for (int k = 0; k < 16; ++k) {
        const char c = bytes[k];
        s |= static_cast<uint32_t>(c == ',' || c == '\r' || c == '\n') << k;
        z |= static_cast<uint32_t>(c == '\0') << k;
    }
    *separators = s;
    *zeros = z;
#endif
}

}  // namespace

int SplitFields(const char* begin, const char* end, CFieldSpan* fields)
{
    const int length = end - begin < kMaxLineBytes ? static_cast<int>(end - begin) : kMaxLineBytes;
    int starts = 0;
    int ends = 0;
    bool inField = false;  // whether the byte before the block belongs to a field
    for (int base = 0; base < length; base += 16) {
        const int count = length - base < 16 ? length - base : 16;
        uint32_t separators, zeros;
        if (count == 16) {
            ClassifyBlock(begin + base, &separators, &zeros);
        } else {
            // The line's last bytes, padded with separators.
            char block[16];
            std::memset(block, ',', sizeof block);
            std::memcpy(block, begin + base, static_cast<size_t>(count));
            ClassifyBlock(block, &separators, &zeros);
        }
        bool last = base + 16 >= length;
        if (zeros != 0) {
            // Everything from the first zero byte on is not part of the line.
            separators |= ~((zeros & (0u - zeros)) - 1);
            last = true;
        }
        const uint32_t inside = ~separators & 0xFFFFu;
        const uint32_t before = (inside << 1) | (inField ? 1u : 0u);
        uint32_t opened = inside & ~before;
        uint32_t closed = separators & before & 0xFFFFu;
        for (; opened != 0; opened &= opened - 1)
            fields[starts++].begin = static_cast<uint16_t>(base + __builtin_ctz(opened));
        for (; closed != 0; closed &= closed - 1)
            fields[ends++].end = static_cast<uint16_t>(base + __builtin_ctz(closed));
        inField = (inside >> 15) & 1u;
        if (last)
            break;
    }
    if (ends < starts)
        fields[ends++].end = static_cast<uint16_t>(length);
    return starts;
}
