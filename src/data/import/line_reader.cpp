#include "data/import/line_reader.h"

#include "common/text_convert.h"
#include "data/import/utf16_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
constexpr size_t kBlockBytes = 4u << 20;
// Text room below which a refill stops: a character of UTF-16 text takes up to 4 bytes.
constexpr size_t kSmallestRead = 8;
constexpr size_t kHeadBytes = 64 * 1024;
}  // namespace

bool CLineReader::Open(CByteSource source, uint64_t limit)
{
    m_source = std::move(source);
    if (!m_source.Opened())
        return false;
    // Bytes in memory need no more room than they take (a small input then costs little);
    // a file may grow while it is read.
    const size_t lookahead = static_cast<size_t>(m_nPieceChars) + 2;
    m_nBufferBytes = m_source.Fixed() ? static_cast<size_t>(std::clamp<uint64_t>(m_source.Size(), lookahead, kBlockBytes))
                                      : kBlockBytes;
    m_buffer.resize(m_nBufferBytes + kReadablePast);
    m_bEof = false;
    m_nLeft = limit;
    // A UTF-8 byte-order mark is not part of the first line.
    Refill();
    m_bByteOrderMark = StartsWithUtf8Mark(m_buffer.data(), m_nEnd);
    if (m_bByteOrderMark)
        m_nPos = kUtf8MarkBytes;
    return true;
}

const char* CLineReader::Head(size_t* length) const
{
    *length = std::min(m_nEnd, kHeadBytes);
    return m_buffer.data();
}

void CLineReader::SetLines(int pieceChars, char separator)
{
    m_nPieceChars = pieceChars;
    m_separator = separator;
    const size_t lookahead = static_cast<size_t>(pieceChars) + 2;
    if (m_nBufferBytes < lookahead) {
        m_nBufferBytes = lookahead;
        m_buffer.resize(m_nBufferBytes + kReadablePast);
    }
}

void CLineReader::ReadUtf16(bool bigEndian)
{
    // What was read is UTF-16; it is turned into text from after its byte-order mark on.
    m_raw.assign(m_buffer.data() + std::min<size_t>(m_nEnd, 2), m_buffer.data() + m_nEnd);
    m_nRawPos = 0;
    m_nPos = m_nEnd = 0;
    m_bByteOrderMark = false;
    m_bUtf16 = true;
    m_bBigEndian = bigEndian;
    m_bEof = false;
    Refill();
}

size_t CLineReader::ReadSource(char* into, size_t want)
{
    want = static_cast<size_t>(std::min<uint64_t>(want, m_nLeft));
    const size_t got = want == 0 ? 0 : m_source.Read(into, want);
    m_nLeft -= got;
    return got;
}

size_t CLineReader::ReadText(char* into, size_t room)
{
    if (!m_bUtf16)
        return ReadSource(into, room);
    // Two bytes of UTF-16 give at most three of UTF-8.
    const size_t want = room / 3 * 2;
    bool final = false;
    if (m_raw.size() - m_nRawPos < want) {
        m_raw.erase(m_raw.begin(), m_raw.begin() + static_cast<long>(m_nRawPos));
        m_nRawPos = 0;
        const size_t had = m_raw.size();
        m_raw.resize(std::max(want, had));
        m_raw.resize(had + ReadSource(m_raw.data() + had, m_raw.size() - had));
        final = m_raw.size() == had;
    }
    size_t used = 0;
    const size_t made = Utf16ToUtf8(m_raw.data() + m_nRawPos, m_raw.size() - m_nRawPos, m_bBigEndian, final, into,
                                    room, &used);
    m_nRawPos += used;
    return made;
}

void CLineReader::Refill()
{
    if (m_nPos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_nPos, m_nEnd - m_nPos);
        m_nBufferOffset += m_nPos;
        m_nEnd -= m_nPos;
        m_nPos = 0;
    }
    while (m_nEnd + kSmallestRead <= m_nBufferBytes) {
        const size_t got = ReadText(m_buffer.data() + m_nEnd, m_nBufferBytes - m_nEnd);
        if (got == 0) {
            m_bEof = true;
            return;
        }
        m_nEnd += got;
    }
}

const char* CLineReader::LineEnd(const char* p, size_t window) const
{
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', window));
    if (nl == nullptr || std::memchr(p, '"', static_cast<size_t>(nl - p)) == nullptr)
        return nl;
    // A line with a quote: a line feed inside a quoted field is text.
    const char* const end = p + window;
    bool quoted = false;
    bool fieldStart = true;
    for (const char* q = p; q < end; ++q) {
        if (quoted) {
            if (*q == '"' && q + 1 < end && q[1] == '"')
                ++q;
            else if (*q == '"')
                quoted = false;
            continue;
        }
        if (*q == '\n')
            return q;
        quoted = *q == '"' && fieldStart;
        fieldStart = *q == m_separator;
    }
    return nullptr;
}

bool CLineReader::Next(const char*& begin, const char*& end)
{
    const size_t lookahead = static_cast<size_t>(m_nPieceChars) + 2;
    if (m_nEnd - m_nPos < lookahead && !m_bEof)
        Refill();
    const size_t avail = m_nEnd - m_nPos;
    if (avail == 0)
        return false;

    const char* p = m_buffer.data() + m_nPos;
    const size_t window = avail < lookahead ? avail : lookahead;
    const char* nl = LineEnd(p, window);
    const auto pieceChars = static_cast<size_t>(m_nPieceChars);
    size_t length;
    if (nl) {
        const size_t raw = static_cast<size_t>(nl - p) + 1;
        const size_t chars = raw - (nl > p && nl[-1] == '\r' ? 1 : 0);
        length = chars <= pieceChars ? raw : pieceChars;
    } else {
        length = avail < pieceChars ? avail : pieceChars;
    }
    begin = p;
    end = p + length;
    m_nPos += length;
    return true;
}
