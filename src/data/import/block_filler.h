#pragma once

// The import's first stage: reads lines, splits them into fields and converts the
// readings of data rows, a block of lines at a time. What depends on earlier rows (the
// time range, the query, the value range, the channel arrays) is left to the import
// that takes the blocks in; this stage needs only the time-label column and the header
// line.
#include "data/import/import_limits.h"
#include "data/import/line_reader.h"

#include <cstdint>
#include <memory>
#include <vector>

// How many channels a header line of this many fields names: every field but the
// time-label column's, up to kLargestChannelCount.
int NamedChannels(int fieldCount, int timeColumn);

// One line as the first stage found it.
struct CBlockLine {
    static constexpr int kHeader = -1;  // readings of a line read while no header has named a channel yet

    uint64_t fileEnd = 0;  // source offset after the line
    uint32_t text = 0;     // the line's bytes (header lines) or its time label's (data rows) in the block's text
    uint32_t textLength = 0;
    int readings = 0;      // data rows: readings converted, in column order without the label's column
    bool labelled = false; // data rows: the time-label column is one of the row's fields
    // Data rows: the smallest and largest reading that is a number, the first of equal
    // ones (so -0 and 0 keep their order); HUGE_VAL and -HUGE_VAL when there is none.
    double low = 0.0;
    double high = 0.0;
};

// kYieldInterval lines, so that the import's yields fall on a block's last line.
struct CLineBlock {
    static constexpr int kLines = kYieldInterval;

    CLineBlock();

    std::vector<CBlockLine> lines;
    // Header lines, each followed by kReadablePast readable bytes, and time labels.
    std::vector<char> text;

    const char* Text(const CBlockLine& line) const { return text.data() + line.text; }
    // The readings channel by channel: line i's reading of channel c at Channel(c)[i],
    // so that runs of rows go to the channel arrays in one copy per channel. Left
    // uninitialised: only the readings a line has are written and read, and the pages
    // of channels a file does not have are never touched.
    double* Channel(int channel) { return m_values.get() + static_cast<size_t>(channel) * kLines; }
    const double* Channel(int channel) const { return m_values.get() + static_cast<size_t>(channel) * kLines; }

private:
    std::unique_ptr<double[]> m_values;
};

class CBlockFiller {
public:
    explicit CBlockFiller(int timeColumn) : m_nTimeColumn(timeColumn) {}

    CLineReader& Reader() { return m_reader; }
    // Fills the block with the next lines; false once the source has no more (the
    // block may still hold the last lines).
    bool Fill(CLineBlock& block);

private:
    void FillLine(const char* begin, const char* end, CLineBlock& block);

    CLineReader m_reader;
    const int m_nTimeColumn;
    int m_nChannels = 0;  // named by the header; 0 while none has been read
};
