#pragma once

// Reads a byte source in large blocks and hands out its lines in the pieces that a
// C run-time fgets with a buffer of kLineBuffer bytes returns in text mode: at most
// kLineBuffer - 1 characters up to and including the line feed; a carriage return
// right before the line feed does not count (text mode drops it), so a longer
// physical line comes out as several pieces, each parsed as a line of its own.
#include "data/import/byte_source.h"
#include "data/import/import_limits.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CLineReader {
public:
    static constexpr int kLineChars = kLineBuffer - 1;
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
    // Whether the source starts with a UTF-8 byte-order mark (which no line holds).
    bool ByteOrderMark() const { return m_bByteOrderMark; }
    // The next piece as [begin, end); false at the end of the source. A read error
    // throws CReadError.
    // The piece stays valid until the next call.
    bool Next(const char*& begin, const char*& end);
    // Bytes of the source handed out so far.
    uint64_t Consumed() const { return m_nBufferOffset + m_nPos; }

private:
    void Refill();

    CByteSource m_source;
    bool m_bEof = true;
    bool m_bByteOrderMark = false;
    std::vector<char> m_buffer;  // m_nBufferBytes and kReadablePast more
    size_t m_nBufferBytes = 0;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    uint64_t m_nBufferOffset = 0;  // source offset of m_buffer[0]
    uint64_t m_nLeft = 0;          // bytes the limit still allows to be read
};
