#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Opens a regular file for reading and returns its descriptor, with the file's size
// in *size; -1 when the path is null, missing or unreadable, or names anything but a
// regular file (a folder, a device, a FIFO, or a link to one). The test is made on the
// opened descriptor, so the file read is the file tested; a FIFO without a writer
// does not make the open wait.
int OpenRegularFile(const char* path, uint64_t* size);

// Whether OpenRegularFile would open the path: the one test of a file the program
// may load.
bool IsReadableRegularFile(const char* path);

// Writes the directory of the running executable, with its trailing '/', into
// the buffer and returns the directory's length. Returns 0 and leaves the buffer
// untouched when the path cannot be obtained or does not fit in `size` bytes
// with its terminator.
unsigned ModuleDirectory(char* buffer, unsigned size);

// The cutting step of ModuleDirectory for a given path of `length` characters:
// copies the path with a terminator into the buffer, then cuts it after the last
// '/' and returns the directory's length. A path of one character returns 1; a
// path without '/' stays whole and returns 1. A null path, or one that does not
// fit with its terminator, returns 0 and leaves the buffer untouched.
unsigned ModuleDirectoryFromPath(const char* path, unsigned length, char* buffer, unsigned size);

// Saves bytes as the file at path; false when they could not all be written, flushed
// and synced (a full disk or device, a missing folder). A missing file or a regular
// one is replaced in one step: the bytes go to a temporary file beside it, renamed
// over it only when whole, so a failure leaves the old file as it was. An output
// that exists and is anything else (a device such as /dev/null or /dev/stdout, a
// FIFO, or a link to one) is written into and never replaced; a FIFO's open waits
// for its reader.
bool WriteOutputFile(const QString& path, const QByteArray& bytes);
