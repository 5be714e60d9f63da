#pragma once

#include <QString>
#include <cstddef>

// Narrow text in this program is the bytes as a data recorder wrote them. The
// text rule used everywhere: the bytes are UTF-8 when they are valid UTF-8,
// otherwise GB18030 (the Simplified Chinese superset of GBK that recorders on
// Chinese systems write). When no GB18030 decoder is available, the bytes are
// read as UTF-8 with U+FFFD for each bad sequence, so ASCII stays readable.

// Strict UTF-8: shortest forms only, no surrogates (U+D800..U+DFFF), nothing
// above U+10FFFF, no truncated sequences.
bool IsValidUtf8(const char* bytes, size_t length);

// Decodes the bytes by the text rule. A UTF-8 byte-order mark (EF BB BF) at the
// start is dropped first.
QString DecodeText(const char* bytes, size_t length);

// Turns zero-terminated narrow text into zero-terminated UTF-16 by the text rule.
// The buffer keeps its capacity between conversions and grows when a text has
// more bytes than fit; one byte never yields more than one UTF-16 unit, so a
// buffer of byte count + 1 units always holds the result and its terminator.
class clsA2W {
public:
    explicit clsA2W(const char* text, int capacity = 512);
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
};
