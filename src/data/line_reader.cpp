#include "data/line_reader.h"

#include "common/file_helpers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
constexpr size_t kBlockBytes = 4u << 20;
// A piece is decided by at most this many bytes: 1279 characters, a carriage return and a line feed.
constexpr size_t kLookahead = CLineReader::kLineChars + 2;
}  // namespace

CLineReader::CLineReader() : m_buffer(kBlockBytes + kReadablePast) {}

CLineReader::~CLineReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CLineReader::Open(const char* path, uint64_t limit)
{
    m_fd = OpenRegularFile(path, &m_nFileSize);
    if (m_fd < 0)
        return false;
    m_nLeft = limit;
    // A UTF-8 byte-order mark is not part of the first line.
    Refill();
    m_bByteOrderMark = m_nEnd >= 3 && std::memcmp(m_buffer.data(), "\xEF\xBB\xBF", 3) == 0;
    if (m_bByteOrderMark)
        m_nPos = 3;
    return true;
}

bool CLineReader::Refill()
{
    if (m_nPos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_nPos, m_nEnd - m_nPos);
        m_nBufferOffset += m_nPos;
        m_nEnd -= m_nPos;
        m_nPos = 0;
    }
    while (m_nEnd < kBlockBytes) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kBlockBytes - m_nEnd, m_nLeft));
        const ssize_t got = want == 0 ? 0 : ::read(m_fd, m_buffer.data() + m_nEnd, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            m_bEof = true;
            return false;
        }
        m_nEnd += static_cast<size_t>(got);
        m_nLeft -= static_cast<uint64_t>(got);
    }
    return true;
}

bool CLineReader::Next(const char*& begin, const char*& end)
{
    if (m_fd < 0)
        return false;
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
