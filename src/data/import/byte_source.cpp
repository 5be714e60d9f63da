#include "data/import/byte_source.h"

#include "common/file_helpers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

CByteSource CByteSource::File(const char* path)
{
    CByteSource source;
    source.m_fd = OpenRegularFile(path, &source.m_nSize);
    return source;
}

CByteSource CByteSource::Memory(const char* data, size_t size)
{
    static const char kNoBytes = 0;
    CByteSource source;
    source.m_pMemory = data ? data : &kNoBytes;
    source.m_nSize = data ? size : 0;
    return source;
}

CByteSource::CByteSource(CByteSource&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_pMemory(std::exchange(other.m_pMemory, nullptr)),
      m_nSize(other.m_nSize), m_nRead(other.m_nRead)
{
}

CByteSource& CByteSource::operator=(CByteSource&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_pMemory = std::exchange(other.m_pMemory, nullptr);
        m_nSize = other.m_nSize;
        m_nRead = other.m_nRead;
    }
    return *this;
}

CByteSource::~CByteSource()
{
    Close();
}

void CByteSource::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_pMemory = nullptr;
}

size_t CByteSource::Read(char* into, size_t want)
{
    if (m_pMemory) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(want, m_nSize - m_nRead));
        std::memcpy(into, m_pMemory + m_nRead, n);
        m_nRead += n;
        return n;
    }
    if (m_fd < 0 || want == 0)
        return 0;
    for (;;) {
        const ssize_t got = ::read(m_fd, into, want);
        if (got >= 0)
            return static_cast<size_t>(got);
        if (errno != EINTR)
            throw CReadError(std::strerror(errno));
    }
}
