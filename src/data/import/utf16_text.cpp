#include "data/import/utf16_text.h"

#include <cstdint>

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

uint32_t Unit(const char* p, bool bigEndian)
{
    const auto a = static_cast<unsigned char>(p[0]);
    const auto b = static_cast<unsigned char>(p[1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
}

size_t Utf8Length(uint32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

char* PutUtf8(uint32_t c, char* out)
{
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | c >> 6);
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | c >> 12);
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | c >> 18);
        *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

size_t Utf16ToUtf8(const char* raw, size_t length, bool bigEndian, bool final, char* out, size_t room, size_t* used)
{
    size_t in = 0;
    char* const start = out;
    while (in < length) {
        uint32_t c = kReplacement;
        size_t take = 2;
        if (length - in < 2) {
            if (!final)
                break;
            take = 1;  // an odd byte at the end
        } else {
            const uint32_t unit = Unit(raw + in, bigEndian);
            if (unit >= 0xD800 && unit < 0xDC00) {
                if (length - in < 4 && !final)
                    break;  // its pair may come with the next bytes
                const uint32_t low = length - in >= 4 ? Unit(raw + in + 2, bigEndian) : 0;
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    take = 4;
                }
            } else if (unit < 0xDC00 || unit >= 0xE000) {
                c = unit;
            }
        }
        if (Utf8Length(c) > room - static_cast<size_t>(out - start))
            break;
        out = PutUtf8(c, out);
        in += take;
    }
    *used = in;
    return static_cast<size_t>(out - start);
}
