#include "common/file_helpers.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

bool IsReadableRegularFile(const char* path)
{
    uint64_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
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

bool WriteOutputFile(const QString& path, const QByteArray& bytes)
{
    // A short write is no error to the file classes: every byte is counted here.
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) {
        QFile output(path);
        const bool written = output.open(QIODevice::WriteOnly) && output.write(bytes) == bytes.size() && output.flush();
        output.close();
        return written && output.error() == QFileDevice::NoError;
    }
    // The save file's commit ignores the disk's answer to the sync, which is where a
    // full disk may first show: the sync is asked here.
    QSaveFile output(path);
    if (!output.open(QIODevice::WriteOnly))
        return false;
    if (output.write(bytes) != bytes.size() || !output.flush() || ::fsync(output.handle()) != 0) {
        output.cancelWriting();
        return false;
    }
    return output.commit();
}
