#pragma once

// The sniffer's first step: the encoding of a file's first bytes, and their text in a
// form the later steps read.
#include "data/import/dialect.h"

#include <string>

// UTF-16 by its byte-order mark; UTF-8 when the bytes are valid UTF-8 (a multi-byte
// character cut by the end of the bytes included); otherwise GB18030 when the GB2312
// character pairs outnumber the bytes above 0x7F that no such pair explains, and
// Windows-1252 when they do not.
FileEncoding SniffEncoding(const char* bytes, size_t length);

// The bytes as the sniffer reads them: UTF-16 transcoded to UTF-8, other encodings
// as they are (their separators, quotes, digits and line ends are the same ASCII
// bytes), a byte-order mark dropped.
std::string SniffText(const char* bytes, size_t length, FileEncoding encoding);
