// Times one printed sheet on A4 landscape and one on A3 portrait through the print
// command's path (the page taken from the worker, the sheet drawn at the printer's
// resolution, the page written), into a PDF file as a print queue would receive it,
// for the first page of three files: the one given, sixteen channels of random
// readings, and labels and channel names of 1279 characters. Prints each sheet's
// time (elapsed and processor), and the peak resident memory it added to the program
// with the first file open.
//
//   print PATH [DPI]     (PATH: e.g. examples/recorder-day.csv; DPI 300 unless given)
#include "app/main_dlg.h"
#include "bench_window.h"
#include "recorder_csv.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <ctime>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Size of the generated files: a few pages of rows.
constexpr long long kGeneratedBytes = 2000000;
// The longest label or name the import reads (a line of 1280 bytes less one).
constexpr int kLongLabel = 1279;

// Processor time of the whole program so far, in seconds.
double ProcessorSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Resident memory now, from /proc/self/statm, in MiB.
double ResidentMb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Highest resident memory so far, in MiB.
double PeakMb()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: print PATH [DPI]\n");
        return 2;
    }
    const int dpi = argc > 2 ? std::atoi(argv[2]) : 300;
    QTemporaryDir folder;
    const std::string noisy = folder.filePath("noisy.csv").toStdString();
    const std::string labels = folder.filePath("labels.csv").toStdString();
    if (!WriteRecorderCsv(noisy.c_str(), kGeneratedBytes, 0) ||
        !WriteRecorderCsv(labels.c_str(), kGeneratedBytes, kLongLabel)) {
        std::fprintf(stderr, "print: cannot write the generated files\n");
        return 2;
    }
    return RunWithFileOpen("print", argv[0], argv[1], [&](CMainDlg& window) {
        const double baseMb = ResidentMb();
        const struct {
            const char* name;
            const char* path;
        } pages[] = {{"given", argv[1]}, {"noisy", noisy.c_str()}, {"labels", labels.c_str()}};
        const struct {
            const char* name;
            int16_t paper;
            int16_t orientation;
        } sheets[] = {{"A4", 9, 2}, {"A3", 8, 1}};
        for (const auto& page : pages) {
            if (page.path != argv[1]) {
                window.OpenPath(page.path);
                SettleWindow(window);
            }
            // The A3 sheet is the larger, so the peak after it is its own.
            for (const auto& sheet : sheets) {
                window.SetPageSetup(sheet.paper, sheet.orientation);
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(folder.filePath(QString::fromLatin1(sheet.name) + ".pdf"));
                printer.setResolution(dpi);
                const Clock::time_point start = Clock::now();
                const double processorStart = ProcessorSeconds();
                const bool printed = window.PrintToPrinter(printer);
                const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
                const double processor = ProcessorSeconds() - processorStart;
                if (!printed) {
                    std::fprintf(stderr, "print: the %s sheet of %s was not printed\n", sheet.name, page.name);
                    return 2;
                }
                std::printf("%s %s dpi=%d seconds=%.3f processor_seconds=%.3f added_peak_mb=%.1f\n", page.name,
                            sheet.name, dpi, seconds, processor, PeakMb() - baseMb);
            }
        }
        return 0;
    });
}
