// Writes a deterministic recorder-style CSV file of exactly the given size:
// header "Time,CH01..CH16", labels "YYYY/MM/DD HH:MM:SS" one second apart, readings
// with one to three decimals. The last row is cut where the size ends. With
// "semicolon", another logger's way: fields separated by semicolons, the header's
// names and the labels "YYYY-MM-DD HH:MM:SS" in double quotes, decimal commas.
//
//   gen-recorder-csv BYTES PATH [semicolon]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    const bool semicolon = argc == 4 && std::string(argv[3]) == "semicolon";
    if (argc != 3 && !semicolon) {
        std::fprintf(stderr, "usage: gen-recorder-csv BYTES PATH [semicolon]\n");
        return 2;
    }
    const char separator = semicolon ? ';' : ',';
    const char* quote = semicolon ? "\"" : "";
    const long long size = std::atoll(argv[1]);
    FILE* out = std::fopen(argv[2], "wb");
    if (size <= 0 || !out) {
        std::fprintf(stderr, "gen-recorder-csv: cannot write %s\n", argv[2]);
        return 2;
    }
    std::string text = quote + std::string("Time") + quote;
    for (int c = 1; c <= 16; ++c)
        text += separator + (quote + std::string(c < 10 ? "CH0" : "CH") + std::to_string(c) + quote);
    text += "\n";

    uint64_t state = 0x2545F4914F6CDD1DULL;
    time_t t = 1714996800;  // 2024-05-06 12:00:00 UTC
    long long written = 0;
    char line[512];
    while (written < size) {
        struct tm fields;
        gmtime_r(&t, &fields);
        int n = static_cast<int>(
            std::strftime(line, sizeof line, semicolon ? "\"%Y-%m-%d %H:%M:%S\"" : "%Y/%m/%d %H:%M:%S", &fields));
        for (int c = 0; c < 16; ++c) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const int decimals = 1 + static_cast<int>((state >> 33) % 3);
            const double value = static_cast<double>(static_cast<int64_t>(state >> 40) % 200000) / 1000.0 - 50.0;
            const int start = n + 1;
            n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n), "%c%.*f", separator, decimals, value);
            if (semicolon)
                *std::strchr(line + start, '.') = ',';
        }
        line[n++] = '\n';
        text.append(line, static_cast<size_t>(n));
        ++t;
        if (text.size() > (1u << 20) || written + static_cast<long long>(text.size()) >= size) {
            const long long room = size - written;
            const size_t chunk = static_cast<long long>(text.size()) < room ? text.size() : static_cast<size_t>(room);
            std::fwrite(text.data(), 1, chunk, out);
            written += static_cast<long long>(chunk);
            text.clear();
        }
    }
    std::fclose(out);
    return 0;
}
