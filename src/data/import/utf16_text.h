#pragma once

// Turns UTF-16 text (a file that starts with a UTF-16 byte-order mark) into UTF-8 as
// its bytes are read, so that the import reads it as any UTF-8 file. A lone surrogate
// becomes U+FFFD, as does an odd byte at the end of the file.
#include <cstddef>

// Converts the whole units of raw[0, length) into out, writing at most room bytes.
// Sets *used to the raw bytes taken; a unit cut by the end of raw is left for the next
// call unless final, when it becomes U+FFFD. Returns the bytes written.
size_t Utf16ToUtf8(const char* raw, size_t length, bool bigEndian, bool final, char* out, size_t room, size_t* used);
