#include "common/file_helpers.h"

#include <QFileInfo>

#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenRegularFile(const char* path, uint64_t* size)
{
    if (path == nullptr)
        return -1;
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; such a file is
    // then refused below as not regular. On a regular file the flag changes nothing.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    *size = static_cast<uint64_t>(st.st_size);
    return fd;
}

unsigned ModuleDirectoryFromPath(const char* path, unsigned length, char* buffer, unsigned size)
{
    if (path == nullptr || buffer == nullptr || length >= size)
        return 0;
    std::memcpy(buffer, path, length);
    buffer[length] = '\0';
    if (length == 1)
        return 1;
    // An absolute path starts with '/', so position 0 is searched too: an
    // executable in the root directory gives "/".
    for (unsigned i = length; i-- > 0;) {
        if (buffer[i] == '/') {
            buffer[i + 1] = '\0';
            return i + 1;
        }
    }
    return 1;
}

unsigned ModuleDirectory(char* buffer, unsigned size)
{
    // readlink neither terminates nor reports truncation, so read into a buffer
    // that grows until the whole path fits.
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n <= 0)
            return 0;
        if (static_cast<size_t>(n) < path.size()) {
            path.resize(static_cast<size_t>(n));
            break;
        }
        if (path.size() >= (1u << 20))
            return 0;
        path.resize(path.size() * 2);
    }
    return ModuleDirectoryFromPath(path.data(), static_cast<unsigned>(path.size()), buffer, size);
}

COutputFile::COutputFile(const QString& path)
    : m_bInPlace(QFileInfo::exists(path) && !QFileInfo(path).isFile()), m_replacing(path), m_inPlace(path)
{
}

bool COutputFile::Open()
{
    return m_bInPlace ? m_inPlace.open(QIODevice::WriteOnly) : m_replacing.open(QIODevice::WriteOnly);
}

QIODevice* COutputFile::Device()
{
    return m_bInPlace ? static_cast<QIODevice*>(&m_inPlace) : static_cast<QIODevice*>(&m_replacing);
}

void COutputFile::Cancel()
{
    if (m_bInPlace)
        m_inPlace.close();
    else
        m_replacing.cancelWriting();
}

bool COutputFile::Commit()
{
    if (!m_bInPlace)
        return m_replacing.commit();
    const bool written = m_inPlace.flush() && m_inPlace.error() == QFileDevice::NoError;
    m_inPlace.close();
    return written && m_inPlace.error() == QFileDevice::NoError;
}
