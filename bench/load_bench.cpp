// Times a load of one file through the real worker and reports rows, seconds, the
// part spent in the worker's 1 ms yields, the throughput of the work without them,
// and memory. The work is shared by two threads, the read-ahead thread (lines, fields,
// readings) and the worker (labels, ranges, arrays); the read-ahead thread also works
// while the worker yields. So the throughput of each is printed too: without yields
// the load would go at the slower one's. Then the same import runs with the same
// yields on one thread, which is what the read-ahead thread saves.
//
//   load PATH [RUNS]
#include "data/data_manager.h"
#include "data/import/csv_import.h"

#include <chrono>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// User and system processor seconds of the whole process so far.
void CpuSeconds(double* user, double* system)
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    *user = static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) / 1e6;
    *system = static_cast<double>(usage.ru_stime.tv_sec) + static_cast<double>(usage.ru_stime.tv_usec) / 1e6;
}

double PeakMiB()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: load PATH [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    std::ifstream probe(argv[1], std::ios::binary | std::ios::ate);
    if (!probe) {
        std::fprintf(stderr, "load: cannot read %s\n", argv[1]);
        return 2;
    }
    const double fileMiB = static_cast<double>(probe.tellg()) / (1024.0 * 1024.0);

    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    manager->ApplySettings(0, 1, 0, 0, 0, 0);
    const double before = ResidentMiB();
    for (int run = 1; run <= runs; ++run) {
        double user0, system0, user1, system1;
        CpuSeconds(&user0, &system0);
        manager->RequestLoad(argv[1]);
        if (!manager->WaitIdle(600000)) {
            std::fprintf(stderr, "load: no completion\n");
            return 1;
        }
        CpuSeconds(&user1, &system1);
        const CMemoryTransferManage::WorkStatistics& s = manager->GetWorkStatistics();
        const std::vector<QString>* names;
        const CLabelStore* labels;
        const std::vector<CSampleArray>* samples;
        int first, labelCount, count, step;
        manager->GetDataViews(&names, &labels, &samples, &first, &labelCount, &count, &step);
        const double work = s.loadSeconds - s.yieldSeconds;
        const double worker = work - s.waitSeconds;
        const double dataset = ResidentMiB() - before;
        const double megabytes = fileMiB * 1.048576;
        std::printf("run %d: file %.1f MiB, %d channels, %d rows, %llu lines, total %.3f s, yields %.3f s, "
                    "work %.3f s = %.0f MB/s (read-ahead thread %.3f s = %.0f MB/s, worker %.3f s = %.0f MB/s; "
                    "cpu: user %.3f s, system %.3f s), dataset %.1f MiB (%.2f x file), peak RSS %.1f MiB\n",
                    run, fileMiB, static_cast<int>(names->size()), labelCount,
                    static_cast<unsigned long long>(s.lines), s.loadSeconds, s.yieldSeconds, work, megabytes / work,
                    s.readSeconds, megabytes / s.readSeconds, worker, megabytes / worker, user1 - user0,
                    system1 - system0, dataset, dataset / fileMiB, PeakMiB());
    }
    // The worker's timer slack, so that the yields take as long as the worker's.
    prctl(PR_SET_TIMERSLACK, 1000UL);
    for (int run = 1; run <= runs; ++run) {
        CImportSettings settings;
        settings.timeColumn = 0;
        double yields = 0.0;
        CImportControl control;
        control.readAhead = false;
        control.yield = [&yields] {
            const auto slept = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            yields += std::chrono::duration<double>(std::chrono::steady_clock::now() - slept).count();
        };
        const auto started = std::chrono::steady_clock::now();
        const CImportResult imported = ImportDataset(CByteSource::File(argv[1]), settings, control);
        const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("in turn %d (one thread): %zu rows, total %.3f s, yields %.3f s, work %.3f s (reading %.3f s)\n",
                    run, imported.dataset.labels.size(), total, yields, total - yields, imported.fillSeconds);
    }
    return 0;
}
