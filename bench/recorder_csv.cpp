#include "recorder_csv.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

// The text padded with letters a..z to chars characters.
std::string Padded(std::string text, int chars)
{
    for (size_t i = text.size(); static_cast<int>(i) < chars; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

}  // namespace

bool WriteRecorderCsv(const char* path, long long bytes, int labelChars, bool semicolon)
{
    FILE* out = std::fopen(path, "wb");
    if (bytes <= 0 || !out) {
        if (out)
            std::fclose(out);
        return false;
    }
    const char separator = semicolon ? ';' : ',';
    const std::string quote = semicolon ? "\"" : "";
    std::string text = quote + "Time" + quote;
    for (int c = 1; c <= 16; ++c)
        text += separator + quote + Padded(std::string(c < 10 ? "CH0" : "CH") + std::to_string(c), labelChars) + quote;
    text += "\n";

    uint64_t state = 0x2545F4914F6CDD1DULL;
    time_t t = 1714996800;  // 2024-05-06 12:00:00 UTC
    long long written = 0;
    char stamp[32];
    char reading[32];
    while (written < bytes) {
        struct tm fields;
        gmtime_r(&t, &fields);
        std::strftime(stamp, sizeof stamp, semicolon ? "%Y-%m-%d %H:%M:%S" : "%Y/%m/%d %H:%M:%S", &fields);
        text += quote + Padded(stamp, labelChars) + quote;
        for (int c = 0; c < 16; ++c) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const int decimals = 1 + static_cast<int>((state >> 33) % 3);
            const double value = static_cast<double>(static_cast<int64_t>(state >> 40) % 200000) / 1000.0 - 50.0;
            std::snprintf(reading, sizeof reading, "%c%.*f", separator, decimals, value);
            if (semicolon)
                *std::strchr(reading, '.') = ',';
            text += reading;
        }
        text += '\n';
        ++t;
        if (text.size() > (1u << 20) || written + static_cast<long long>(text.size()) >= bytes) {
            const long long room = bytes - written;
            const size_t chunk = static_cast<long long>(text.size()) < room ? text.size() : static_cast<size_t>(room);
            std::fwrite(text.data(), 1, chunk, out);
            written += static_cast<long long>(chunk);
            text.clear();
        }
    }
    return std::fclose(out) == 0;
}
