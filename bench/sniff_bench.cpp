// The cost of sniffing a file's dialect: SniffDialect over the file's first 64 KiB,
// repeated; prints the median and the slowest of the runs, in wall time and in the
// thread's processor time (which other work on a shared machine does not inflate).
//
//   sniff PATH [RUNS]
#include "data/import/dialect.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
    std::vector<double> wallMs, cpuMs;
    size_t channels = 0;
    for (int i = 0; i < runs; ++i) {
        timespec cpuStart{}, cpuEnd{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
        const auto start = std::chrono::steady_clock::now();
        channels += SniffDialect(bytes.data(), bytes.size()).measurementColumns.size();
        wallMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
        cpuMs.push_back((cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3 + (cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e6);
    }
    std::sort(wallMs.begin(), wallMs.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    std::printf("bytes=%zu runs=%d median_ms=%.3f slowest_ms=%.3f cpu_median_ms=%.3f channels=%zu\n", bytes.size(),
                runs, wallMs[wallMs.size() / 2], wallMs.back(), cpuMs[cpuMs.size() / 2],
                channels / static_cast<size_t>(runs));
    return 0;
}
