#include "data/import/line_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
constexpr size_t kBlockBytes = 4u << 20;
// A piece is decided by at most this many bytes: its characters, a carriage return and a line feed.
constexpr size_t kLookahead = CLineReader::kLineChars + 2;
}  // namespace

bool CLineReader::Open(CByteSource source, uint64_t limit)
{
    m_source = std::move(source);
    if (!m_source.Opened())
        return false;
    // Bytes in memory need no more room than they take (a small input then costs little);
    // a file may grow while it is read.
    m_nBufferBytes = m_source.Fixed() ? static_cast<size_t>(std::clamp<uint64_t>(m_source.Size(), kLookahead, kBlockBytes))
                                      : kBlockBytes;
    m_buffer.resize(m_nBufferBytes + kReadablePast);
    m_bEof = false;
    m_nLeft = limit;
    // A UTF-8 byte-order mark is not part of the first line.
    Refill();
    m_bByteOrderMark = m_nEnd >= 3 && std::memcmp(m_buffer.data(), "\xEF\xBB\xBF", 3) == 0;
    if (m_bByteOrderMark)
        m_nPos = 3;
    return true;
}

void CLineReader::Refill()
{
    if (m_nPos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_nPos, m_nEnd - m_nPos);
        m_nBufferOffset += m_nPos;
        m_nEnd -= m_nPos;
        m_nPos = 0;
    }
    while (m_nEnd < m_nBufferBytes) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(m_nBufferBytes - m_nEnd, m_nLeft));
        const size_t got = want == 0 ? 0 : m_source.Read(m_buffer.data() + m_nEnd, want);
        if (got == 0) {
            m_bEof = true;
            return;
        }
        m_nEnd += got;
        m_nLeft -= got;
    }
}

bool CLineReader::Next(const char*& begin, const char*& end)
{
    if (m_nEnd - m_nPos < kLookahead && !m_bEof)
        Refill();
    const size_t avail = m_nEnd - m_nPos;
    if (avail == 0)
        return false;

    const char* p = m_buffer.data() + m_nPos;
    const size_t window = avail < kLookahead ? avail : kLookahead;
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', window));
    size_t length;
    if (nl) {
        const size_t raw = static_cast<size_t>(nl - p) + 1;
        const size_t chars = raw - (nl > p && nl[-1] == '\r' ? 1 : 0);
        length = chars <= static_cast<size_t>(kLineChars) ? raw : kLineChars;
    } else {
        length = avail < static_cast<size_t>(kLineChars) ? avail : kLineChars;
    }
    begin = p;
    end = p + length;
    m_nPos += length;
    return true;
}
