#pragma once

// Where an import's bytes come from: a regular file, read through its descriptor, or
// bytes in memory (the fuzzer's inputs). Owned by one reader at a time (move-only).
#include <cstddef>
#include <cstdint>
#include <stdexcept>

// A read of the source that failed: thrown by Read, so that a load ends as failed
// instead of as a shorter file.
class CReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CByteSource {
public:
    // A regular file (anything else does not open, see OpenRegularFile).
    static CByteSource File(const char* path);
    // The bytes [data, data + size), which must outlive the source.
    static CByteSource Memory(const char* data, size_t size);

    CByteSource() = default;
    CByteSource(CByteSource&& other) noexcept;
    CByteSource& operator=(CByteSource&& other) noexcept;
    ~CByteSource();

    bool Opened() const { return m_fd >= 0 || m_pMemory != nullptr; }
    // The size when opened (a file may grow or shrink while it is read).
    uint64_t Size() const { return m_nSize; }
    // Whether Size is all the source will ever hand out (bytes in memory).
    bool Fixed() const { return m_pMemory != nullptr; }
    // Reads up to `want` bytes into `into`; 0 at the end. Throws CReadError when the
    // read fails.
    size_t Read(char* into, size_t want);

private:
    void Close();

    int m_fd = -1;
    const char* m_pMemory = nullptr;
    uint64_t m_nSize = 0;
    uint64_t m_nRead = 0;  // memory: bytes handed out so far
};
