#pragma once

// The import's first stage, run on a thread of its own: reads the file's lines, splits
// them into fields and converts the readings of data rows, a block of lines at a time,
// while the worker takes in the blocks before. What depends on earlier rows (the time
// range, the query, the value range, the channel arrays) is left to the worker; this
// stage needs only the time-label column and the header line.
#include "data/line_reader.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

// How many channels a header line of this many fields names: every field but the
// time-label column's, up to 16.
int NamedChannels(int fieldCount, int timeColumn);

// One line of the file as the first stage found it.
struct CParsedLine {
    static constexpr int kHeader = -1;  // readings of a line read while no header has named a channel yet

    uint64_t fileEnd = 0;  // file offset after the line
    uint32_t text = 0;     // the line's bytes (header lines) or its time label's (data rows) in the block's text
    uint32_t textLength = 0;
    int readings = 0;      // data rows: readings converted, in column order without the label's column
    bool labelled = false; // data rows: the time-label column is one of the row's fields
    // Data rows: the smallest and largest reading that is a number, the first of equal
    // ones (so -0 and 0 keep their order); HUGE_VAL and -HUGE_VAL when there is none.
    double low = 0.0;
    double high = 0.0;
};

struct CParsedBlock {
    static constexpr int kLines = 2048;
    static constexpr int kChannels = 16;

    std::vector<CParsedLine> lines;
    // The readings channel by channel: line i's reading of channel c at c * kLines + i,
    // so that runs of rows go to the channel arrays in one copy per channel.
    std::vector<double> values = std::vector<double>(static_cast<size_t>(kLines) * kChannels);
    // Header lines, each followed by kReadablePast readable bytes, and time labels.
    std::vector<char> text;

    const char* Text(const CParsedLine& line) const { return text.data() + line.text; }
    const double* Channel(int channel) const { return values.data() + static_cast<size_t>(channel) * kLines; }
};

class CParsedLines {
public:
    // Opens the file and starts the reading thread, which reads fewer than refuseFrom
    // bytes of it. A file that does not open has no lines; neither has one of
    // refuseFrom bytes or more when opened, which is not read at all. Once *stop is
    // non-zero, Next hands out no more blocks.
    CParsedLines(const char* path, int timeColumn, uint64_t refuseFrom = UINT64_MAX,
                 const std::atomic<int>* stop = nullptr);
    // Stops the reading thread, also in the middle of the file. A reading thread held
    // up inside a read (a stalled network share) is not waited for: it keeps what it
    // uses alive and ends once its read returns.
    ~CParsedLines();
    CParsedLines(const CParsedLines&) = delete;
    CParsedLines& operator=(const CParsedLines&) = delete;

    bool Opened() const;
    // The file's size when it was opened.
    uint64_t FileSize() const;
    // Whether the file starts with a UTF-8 byte-order mark.
    bool ByteOrderMark() const;
    // The next block in file order, nullptr after the last one and once stopped. A block
    // stays valid until the next call. An error of the reading thread (out of memory)
    // is thrown here.
    const CParsedBlock* Next();

    // Seconds the reading thread spent filling blocks, and seconds Next waited for one:
    // how the two threads shared the work, for benchmarks.
    double ReadSeconds();
    double WaitSeconds() const { return m_dWaitSeconds; }

private:
    struct Shared;  // the reader and the blocks, shared with the reading thread

    std::shared_ptr<Shared> m_shared;
    const std::atomic<int>* m_pStop;
    double m_dWaitSeconds = 0.0;
    std::thread m_thread;
};
