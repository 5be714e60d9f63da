#pragma once

#include <QString>
#include <cstddef>
#include <string>

// Narrow text in this program is bytes as a source wrote them. Every source of text
// has one encoding, decided once for the whole source, and its bytes are decoded by
// that encoding only; texts of different sources are composed after decoding.
//   - a data file: UTF-8 when it starts with a UTF-8 byte-order mark or all the text
//     it contributes (channel names, time labels) is valid UTF-8, else GB18030 (the
//     Simplified Chinese superset of GBK that recorders on Chinese systems write);
//     Windows-1252 when the file's dialect says so (single-byte Western text such as
//     °C); a UTF-16 file is read as UTF-8;
//   - a settings value: UTF-8 when valid, else GB18030 (files of the Windows program);
//   - the string table and the program's own literals: UTF-8;
//   - file names: the file system's encoding (QFile::decodeName).
enum class TextEncoding { Utf8, Gb18030, Windows1252 };

// The UTF-8 byte-order mark's length, and whether the bytes start with it.
constexpr size_t kUtf8MarkBytes = 3;
bool StartsWithUtf8Mark(const char* bytes, size_t length);

// Strict UTF-8: shortest forms only, no surrogates (U+D800..U+DFFF), nothing
// above U+10FFFF, no truncated sequences.
bool IsValidUtf8(const char* bytes, size_t length);

// The encoding of a text that stands alone, such as one settings value: UTF-8 when
// the bytes are valid UTF-8, otherwise GB18030.
TextEncoding EncodingOfValue(const char* bytes, size_t length);

// Decodes the bytes by the encoding, each bad sequence (an unfinished last character
// too) becoming U+FFFD. A byte-order mark is a character like any other here: a
// source drops its own before its texts are decoded. When no GB18030 decoder is
// available, GB18030 bytes are read as UTF-8, so ASCII stays readable.
QString DecodeText(const char* bytes, size_t length, TextEncoding encoding);

// UTF-8 text cut to at most maxBytes, never inside a character: a last character the
// cut (or the text's end) leaves unfinished goes whole.
std::string CutUtf8(std::string text, size_t maxBytes);

// Turns zero-terminated narrow text of one encoding into zero-terminated UTF-16.
// The buffer keeps its capacity between conversions and grows when a text has
// more bytes than fit; one byte never yields more than one UTF-16 unit, so a
// buffer of byte count + 1 units always holds the result and its terminator.
class clsA2W {
public:
    explicit clsA2W(const char* text, int capacity = 512, TextEncoding encoding = TextEncoding::Utf8);
    virtual ~clsA2W();

    clsA2W(const clsA2W&) = delete;
    clsA2W& operator=(const clsA2W&) = delete;

    // Converts the text (null converts as empty) and returns the new length.
    int Convert(const char* text);

    const char16_t* GetBuffer() const { return m_pBuffer; }
    int GetLength() const { return m_nLength; }
    // Buffer size in UTF-16 units, terminator included.
    int GetCapacity() const { return m_nCapacity; }

private:
    char16_t* m_pBuffer;
    int m_nCapacity;
    int m_nLength;
    TextEncoding m_encoding;
};
