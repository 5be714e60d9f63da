#include "common/text_convert.h"

#include <QStringDecoder>
#include <cstdint>
#include <cstring>

namespace {

// Decodes strict UTF-8 into out, which must hold `length` units (UTF-16 never
// needs more units than UTF-8 has bytes). With out null it only validates.
// Returns the number of units, or -1 when the bytes are not valid UTF-8.
qsizetype DecodeUtf8(const unsigned char* s, size_t length, char16_t* out)
{
    qsizetype units = 0;
    size_t i = 0;
    while (i < length) {
        const unsigned char b0 = s[i];
        if (b0 < 0x80) {
            if (out)
                out[units] = b0;
            ++units;
            ++i;
            continue;
        }
        // The lead byte fixes the sequence length and the allowed range of the
        // second byte; that range is what excludes overlong forms, surrogates
        // and code points above U+10FFFF.
        size_t need;
        unsigned char lo = 0x80, hi = 0xBF;
        char32_t cp;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            need = 1;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            need = 2;
            cp = b0 & 0x0F;
            if (b0 == 0xE0)
                lo = 0xA0;
            else if (b0 == 0xED)
                hi = 0x9F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            need = 3;
            cp = b0 & 0x07;
            if (b0 == 0xF0)
                lo = 0x90;
            else if (b0 == 0xF4)
                hi = 0x8F;
        } else {
            return -1;  // continuation byte without a lead, C0, C1, F5..FF
        }
        if (length - i - 1 < need)
            return -1;
        const unsigned char b1 = s[i + 1];
        if (b1 < lo || b1 > hi)
            return -1;
        cp = (cp << 6) | (b1 & 0x3F);
        for (size_t k = 2; k <= need; ++k) {
            const unsigned char b = s[i + k];
            if (b < 0x80 || b > 0xBF)
                return -1;
            cp = (cp << 6) | (b & 0x3F);
        }
        i += need + 1;
        if (cp >= 0x10000) {
            if (out) {
                out[units] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                out[units + 1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            }
            units += 2;
        } else {
            if (out)
                out[units] = static_cast<char16_t>(cp);
            ++units;
        }
    }
    return units;
}

// Tells whether the bytes hold no byte above 0x7F, eight at a time: the usual label
// and name is ASCII and needs no decoding.
bool IsAscii(const unsigned char* s, size_t length)
{
    uint64_t any = 0;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, s + i, sizeof word);
        any |= word;
    }
    for (; i < length; ++i)
        any |= s[i];
    return (any & 0x8080808080808080ULL) == 0;
}

QString DecodeUtf8Text(const char* bytes, size_t length)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    if (DecodeUtf8(s, length, nullptr) < 0)
        return QString::fromUtf8(bytes, static_cast<qsizetype>(length));
    QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
    const qsizetype units = DecodeUtf8(s, length, reinterpret_cast<char16_t*>(text.data()));
    text.truncate(units);
    return text;
}

// How many of the GB18030 bytes end a character: a lead byte (81..FE) at the end, or
// the first two or three bytes of a four-byte form (lead, then 30..39), are left out.
size_t Gb18030FinishedLength(const unsigned char* s, size_t length)
{
    size_t i = 0;
    while (i < length) {
        size_t size = 1;
        if (s[i] >= 0x81 && s[i] <= 0xFE)
            size = i + 1 < length && s[i + 1] >= 0x30 && s[i + 1] <= 0x39 ? 4 : 2;
        if (size > length - i)
            return i;
        i += size;
    }
    return length;
}

QString DecodeGb18030Text(const char* bytes, size_t length)
{
    // The GB18030 byte-order mark (84 31 95 33) is kept as U+FEFF, like any other
    // character, so the decoder is asked not to drop it.
    QStringDecoder decoder("GB18030", QStringConverter::Flag::ConvertInitialBom);
    if (!decoder.isValid())
        return QString::fromUtf8(bytes, static_cast<qsizetype>(length));
    // The decoder keeps an unfinished last character for more bytes that never come:
    // it is a bad sequence like any other.
    const size_t finished = Gb18030FinishedLength(reinterpret_cast<const unsigned char*>(bytes), length);
    QString text = decoder.decode(QByteArrayView(bytes, static_cast<qsizetype>(finished)));
    if (finished < length)
        text += QChar::ReplacementCharacter;
    return text;
}

// Windows-1252: Latin-1 but for 0x80..0x9F, which hold typographic characters; the
// five bytes it leaves undefined keep their Latin-1 control characters.
QString DecodeWindows1252Text(const char* bytes, size_t length)
{
    static const char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        out[i] = c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c;
    }
    return text;
}

}  // namespace

bool StartsWithUtf8Mark(const char* bytes, size_t length)
{
    return length >= kUtf8MarkBytes && std::memcmp(bytes, "\xEF\xBB\xBF", kUtf8MarkBytes) == 0;
}

bool IsValidUtf8(const char* bytes, size_t length)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    return length == 0 || IsAscii(s, length) || DecodeUtf8(s, length, nullptr) >= 0;
}

TextEncoding EncodingOfValue(const char* bytes, size_t length)
{
    return IsValidUtf8(bytes, length) ? TextEncoding::Utf8 : TextEncoding::Gb18030;
}

QString DecodeText(const char* bytes, size_t length, TextEncoding encoding)
{
    if (length == 0)
        return QString();
    if (IsAscii(reinterpret_cast<const unsigned char*>(bytes), length))
        return QString::fromLatin1(bytes, static_cast<qsizetype>(length));
    switch (encoding) {
    case TextEncoding::Utf8:
        return DecodeUtf8Text(bytes, length);
    case TextEncoding::Gb18030:
        return DecodeGb18030Text(bytes, length);
    case TextEncoding::Windows1252:
        return DecodeWindows1252Text(bytes, length);
    }
    return QString();
}

clsA2W::clsA2W(const char* text, int capacity, TextEncoding encoding)
    : m_pBuffer(nullptr), m_nCapacity(capacity < 1 ? 1 : capacity), m_nLength(0), m_encoding(encoding)
{
    m_pBuffer = new char16_t[static_cast<size_t>(m_nCapacity)]();
    Convert(text);
}

clsA2W::~clsA2W()
{
    delete[] m_pBuffer;
}

int clsA2W::Convert(const char* text)
{
    const size_t n = text ? std::strlen(text) : 0;
    if (n > static_cast<size_t>(m_nCapacity) - 1) {
        delete[] m_pBuffer;
        m_pBuffer = nullptr;
        m_nCapacity = static_cast<int>(n + 1);
        m_pBuffer = new char16_t[n + 1]();
    }
    const QString wide = DecodeText(text, n, m_encoding);
    // Never more units than bytes, so this holds; a result that did not fit
    // would count as a failed conversion.
    if (wide.size() <= m_nCapacity - 1) {
        m_nLength = static_cast<int>(wide.size());
        std::memcpy(m_pBuffer, wide.utf16(), static_cast<size_t>(m_nLength) * sizeof(char16_t));
    } else {
        m_nLength = 0;
    }
    m_pBuffer[m_nLength] = u'\0';
    return m_nLength;
}

std::string CutUtf8(std::string text, size_t maxBytes)
{
    if (text.size() > maxBytes)
        text.resize(maxBytes);
    // Back over the continuation bytes at the end to the last sequence's lead byte.
    size_t lead = text.size();
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead == 0)
        return text;
    const unsigned char b = static_cast<unsigned char>(text[lead - 1]);
    const size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (text.size() - (lead - 1) < need)
        text.resize(lead - 1);
    return text;
}
