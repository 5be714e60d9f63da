#pragma once

// Reads a byte source in large blocks and hands out its lines. A file in the recorder's
// format comes in the pieces that a C run-time fgets with a buffer of kLineBuffer bytes
// returns in text mode: at most kLineBuffer - 1 characters up to and including the line
// feed; a carriage return right before the line feed does not count (text mode drops
// it), so a longer physical line comes out as several pieces, each parsed as a line of
// its own. Other files come in whole lines of up to kLongLineChars characters. A line
// feed inside a quoted field (see field_splitter.h) does not end the line.
#include "data/import/byte_source.h"
#include "data/import/import_limits.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CLineReader {
public:
    static constexpr int kLineChars = kLineBuffer - 1;
    static constexpr int kLongLineChars = UINT16_MAX - 2;
    // Bytes past the end of a piece that may be read (their values are unspecified):
    // lets the parser load whole blocks without checking each against the piece's end.
    static constexpr int kReadablePast = 64;

    CLineReader() = default;
    CLineReader(const CLineReader&) = delete;
    CLineReader& operator=(const CLineReader&) = delete;

    // Takes the source and reads at most `limit` bytes of it, however much it holds
    // or grows while read; false when the source did not open (a read error throws).
    bool Open(CByteSource source, uint64_t limit = UINT64_MAX);
    // The source's size when it was opened.
    uint64_t FileSize() const { return m_source.Size(); }
    // The first bytes of the source, byte-order mark included, before any line is read.
    const char* Head(size_t* length) const;
    // Whether the source starts with a UTF-8 byte-order mark (which no line holds).
    bool ByteOrderMark() const { return m_bByteOrderMark; }
    // How lines are cut, set before the first line is read: the longest piece in
    // characters and the separator that tells where a quoted field starts.
    void SetLines(int pieceChars, char separator);
    // Reads the source, which starts with a UTF-16 byte-order mark, as UTF-8 text.
    void ReadUtf16(bool bigEndian);
    // The next piece as [begin, end); false at the end of the source. A read error
    // throws CReadError.
    // The piece stays valid until the next call.
    bool Next(const char*& begin, const char*& end);
    // Bytes of the text handed out so far (of the UTF-8 text for a UTF-16 source).
    uint64_t Consumed() const { return m_nBufferOffset + m_nPos; }

private:
    void Refill();
    size_t ReadSource(char* into, size_t want);
    size_t ReadText(char* into, size_t room);
    // The line feed that ends the line at p within window bytes, or null.
    const char* LineEnd(const char* p, size_t window) const;

    CByteSource m_source;
    bool m_bEof = true;
    bool m_bByteOrderMark = false;
    int m_nPieceChars = kLineChars;
    char m_separator = ',';
    std::vector<char> m_buffer;  // m_nBufferBytes and kReadablePast more
    size_t m_nBufferBytes = 0;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    uint64_t m_nBufferOffset = 0;  // text offset of m_buffer[0]
    uint64_t m_nLeft = 0;          // bytes the limit still allows to be read
    // A UTF-16 source: its bytes read but not yet turned into text.
    bool m_bUtf16 = false;
    bool m_bBigEndian = false;
    std::vector<char> m_raw;
    size_t m_nRawPos = 0;
};
