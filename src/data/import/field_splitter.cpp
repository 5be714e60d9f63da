#include "data/import/field_splitter.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kWordBytes = 64;

// Bit k of each mask is set when byte k of the 16 is the separator, ends the line
// (carriage return, line feed, zero byte) or is a double quote.
inline void ClassifyBlock(const char* bytes, char separator, uint64_t* separators, uint64_t* ends, uint64_t* quotes)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i end = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_setzero_si128()),
                                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                  _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
    *separators = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(separator))));
    *ends = static_cast<uint32_t>(_mm_movemask_epi8(end));
    *quotes = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('"'))));
#else
    uint64_t s = 0, e = 0, q = 0;
    for (int k = 0; k < 16; ++k) {
        const char c = bytes[k];
        s |= static_cast<uint64_t>(c == separator) << k;
        e |= static_cast<uint64_t>(c == '\r' || c == '\n' || c == '\0') << k;
        q |= static_cast<uint64_t>(c == '"') << k;
    }
    *separators = s;
    *ends = e;
    *quotes = q;
#endif
}

// The same for the 64 bytes at word.
void ClassifyWord(const char* word, char separator, uint64_t* separators, uint64_t* ends, uint64_t* quotes)
{
    *separators = *ends = *quotes = 0;
    for (int offset = 0; offset < kWordBytes; offset += 16) {
        uint64_t s, e, q;
        ClassifyBlock(word + offset, separator, &s, &e, &q);
        *separators |= s << offset;
        *ends |= e << offset;
        *quotes |= q << offset;
    }
}

bool EndsLine(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

// Empty fields at the end of a line are not fields.
void DropTrailingEmpty(CFieldEdges* fields)
{
    while (fields->count > 0 && fields->Begin(fields->count - 1) == fields->End(fields->count - 1))
        --fields->count;
}

}  // namespace

void CFieldSplitter::Split(const char* begin, const char* end, const char* limit, CFieldEdges* fields)
{
    const int length = static_cast<int>(std::min<long>(end - begin, kMaxSplitBytes));
    fields->text = begin;
    fields->limit = limit;
    uint16_t* edge = fields->edges;
    *edge++ = 0;
    int lineEnd = length;
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
        uint64_t separators, ends, quotes;
        ClassifyWord(word, m_separator, &separators, &ends, &quotes);
        const int rest = length - base;
        if (rest < kWordBytes)
            ends |= ~uint64_t{0} << rest;  // bytes past the line
        const uint64_t before = ends == 0 ? ~uint64_t{0} : (ends & (0 - ends)) - 1;  // bytes before the line's end
        if ((quotes & before) != 0) {
            SplitQuoted(begin, length, fields);
            return;
        }
        // Each separator ends a field and starts the next.
        for (uint64_t s = separators & before; s != 0; s &= s - 1) {
            const auto at = static_cast<uint16_t>(base + __builtin_ctzll(s));
            *edge++ = at;
            *edge++ = static_cast<uint16_t>(at + 1);
        }
        if (ends != 0) {
            lineEnd = base + __builtin_ctzll(ends);
            break;
        }
        if ((edge - fields->edges) / 2 >= kMaxFields)
            break;  // the line goes on: its last fields found are not at its end
    }
    *edge++ = static_cast<uint16_t>(lineEnd);
    const int count = static_cast<int>(edge - fields->edges) / 2;
    fields->count = std::min(count, kMaxFields);
    if (count <= kMaxFields)
        DropTrailingEmpty(fields);
}

void CFieldSplitter::SplitQuoted(const char* line, int length, CFieldEdges* fields)
{
    m_unquoted.resize(static_cast<size_t>(length) + 64);
    char* const text = m_unquoted.data();
    char* out = text;
    int count = 0;
    int p = 0;
    bool ended = false;  // the line's end was reached, not the largest field count
    while (!ended && count < kMaxFields) {
        fields->edges[2 * count] = static_cast<uint16_t>(out - text);
        if (p < length && line[p] == '"') {
            for (++p; p < length && line[p] != '\0';) {
                if (line[p] == '"' && (p + 1 >= length || line[p + 1] != '"')) {
                    ++p;  // the closing quote; what follows it up to the separator is text
                    break;
                }
                p += line[p] == '"' ? 2 : 1;  // "" is one quote
                *out++ = line[p - 1];
            }
        }
        for (; p < length && line[p] != m_separator && !EndsLine(line[p]); ++p)
            *out++ = line[p];
        fields->edges[2 * count + 1] = static_cast<uint16_t>(out - text);
        ++count;
        ended = p >= length || EndsLine(line[p]);
        ++p;  // the separator
    }
    std::memset(out, 0, static_cast<size_t>(m_unquoted.data() + m_unquoted.size() - out));
    fields->text = text;
    fields->limit = text + m_unquoted.size();
    fields->count = count;
    if (ended)
        DropTrailingEmpty(fields);
}
