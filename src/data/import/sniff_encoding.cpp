#include "data/import/sniff_encoding.h"

#include "common/text_convert.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>

namespace {

bool StartsWith(const char* bytes, size_t length, const char* mark, size_t markLength)
{
    return length >= markLength && std::equal(mark, mark + markLength, bytes);
}

// The length of the UTF-8 sequence a lead byte starts, 0 for a byte no sequence
// starts with (a continuation byte, an overlong or out-of-range lead).
int Utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool IsValidUtf8(const unsigned char* bytes, size_t length)
{
    size_t i = 0;
    while (i < length) {
        const int sequence = Utf8SequenceLength(bytes[i]);
        if (sequence == 0)
            return false;
        size_t k = 1;
        for (; k < static_cast<size_t>(sequence) && i + k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += k;
    }
    return true;
}

bool IsGb2312Pair(unsigned char lead, unsigned char trail)
{
    return lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

// Chinese text when GB2312 pairs explain most of its bytes above 0x7F: single-byte
// Western text (°C is B0 43, µm B5 6D) rarely puts two such bytes side by side.
bool LooksLikeGb18030(const unsigned char* bytes, size_t length)
{
    size_t pairs = 0, strays = 0;
    for (size_t i = 0; i < length; ++i) {
        if (bytes[i] < 0x80)
            continue;
        if (i + 1 < length && IsGb2312Pair(bytes[i], bytes[i + 1])) {
            ++pairs;
            ++i;
        } else if (i + 1 < length) {
            ++strays;
        }
    }
    return pairs > strays;
}

}  // namespace

FileEncoding SniffEncoding(const char* bytes, size_t length)
{
    if (StartsWith(bytes, length, "\xFF\xFE", 2))
        return FileEncoding::Utf16LE;
    if (StartsWith(bytes, length, "\xFE\xFF", 2))
        return FileEncoding::Utf16BE;
    const auto* unsignedBytes = reinterpret_cast<const unsigned char*>(bytes);
    if (StartsWithUtf8Mark(bytes, length) || IsValidUtf8(unsignedBytes, length))
        return FileEncoding::Utf8;
    return LooksLikeGb18030(unsignedBytes, length) ? FileEncoding::Gb18030 : FileEncoding::Windows1252;
}

std::string SniffText(const char* bytes, size_t length, FileEncoding encoding)
{
    if (encoding == FileEncoding::Utf16LE || encoding == FileEncoding::Utf16BE) {
        QStringDecoder decoder(encoding == FileEncoding::Utf16LE ? QStringConverter::Utf16LE
                                                                 : QStringConverter::Utf16BE);
        const QString text = decoder(QByteArrayView(bytes + 2, static_cast<qsizetype>(length - 2)));
        return text.toUtf8().toStdString();
    }
    if (StartsWithUtf8Mark(bytes, length))
        return std::string(bytes + kUtf8MarkBytes, length - kUtf8MarkBytes);
    return std::string(bytes, length);
}
