#pragma once

// The splitter's walk over a line, shared by its portable and its vector build: each
// build includes this file with its own classification of 64 bytes and so gets a copy
// of its own, compiled for its own instructions (hence the unnamed namespace).
#include "data/field_splitter.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int kWordBytes = 64;

// Writes base + the position of each set bit of changes, lowest first, from edge on;
// returns the end of what was written.
inline uint16_t* WriteEdges(uint64_t changes, int base, uint16_t* edge)
{
    for (; changes != 0; changes &= changes - 1)
        *edge++ = static_cast<uint16_t>(base + __builtin_ctzll(changes));
    return edge;
}

// ClassifyWord(word, separators, zeros) sets bit k of separators when byte k of the 64
// at word is a comma, carriage return or line feed, and of zeros when it is a zero
// byte. Edges is WriteEdges or does the same (it may write over the room the edge
// array keeps after its edges).
template <void (*ClassifyWord)(const char*, uint64_t*, uint64_t*),
          uint16_t* (*Edges)(uint64_t, int, uint16_t*) = WriteEdges>
void WalkFields(const char* begin, const char* end, const char* limit, CFieldEdges* fields)
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
        edge = Edges(inside ^ ((inside << 1) | inField), base, edge);
        inField = inside >> 63;
        if (last)
            break;
    }
    if ((edge - fields->edges) % 2 != 0)
        *edge++ = static_cast<uint16_t>(length);
    fields->count = static_cast<int>(edge - fields->edges) / 2;
}

}  // namespace
