// The cost of sniffing a file's dialect: SniffDialect over the file's first 64 KiB,
// repeated; prints the median and the slowest of the runs.
//
//   sniff PATH [RUNS]
#include "data/import/dialect.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: sniff PATH [RUNS]\n");
        return 2;
    }
    FILE* in = std::fopen(argv[1], "rb");
    if (!in) {
        std::fprintf(stderr, "sniff: cannot read %s\n", argv[1]);
        return 2;
    }
    std::vector<char> bytes(kSniffBytes);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
    std::fclose(in);

    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    std::vector<double> ms;
    size_t channels = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        channels += SniffDialect(bytes.data(), bytes.size()).measurementColumns.size();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("bytes=%zu runs=%d median_ms=%.3f slowest_ms=%.3f channels=%zu\n", bytes.size(), runs,
                ms[ms.size() / 2], ms.back(), channels / static_cast<size_t>(runs));
    return 0;
}
