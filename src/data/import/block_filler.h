#pragma once

// The import's first stage: reads lines, splits them into fields and converts the
// readings of data rows, a block of lines at a time. What depends on earlier rows (the
// time range, the query, the value range, the channel arrays) is left to the import
// that takes the blocks in; this stage needs only the rules of the file's lines.
#include "data/import/dialect.h"
#include "data/import/field_splitter.h"
#include "data/import/import_limits.h"
#include "data/import/line_reader.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// How the import reads a file's lines: decided once per file from its dialect and the
// user's settings.
struct CLineRules {
    char separator = ',';
    char decimalMark = '.';
    int pieceChars = CLineReader::kLineChars;  // the longest line read in one piece
    // The 0-based line of the header, the lines before it skipped; -1: the first line
    // that names a channel, as in the recorder's format.
    int headerLine = -1;
    std::vector<int> nonDataLines;  // 0-based lines after the header that hold no data, ascending
    // Lines past the sniffed bytes are data rows when IsDataRow says so of this dialect.
    CDialect dialect;
    int timeColumn = -1;            // field of the time label (of its date with clockColumn); -1: none
    int clockColumn = -1;           // field of the time of day when date and time stand apart; -1: none
    // With a header line: the fields of the channels, in order, before the cap.
    std::vector<int> channelColumns;
    // How the labels read: the dialect's day/month order, and Unix seconds where its
    // time column is the one read.
    CLabelReading labelReading;
};

// The fields of a header of fieldCount fields that are channels, in order and before
// the kLargestChannelCount cap: with a header line the rules' channel columns; else
// every field but the time label's (and the clock's).
std::vector<int> ChannelColumns(const CLineRules& rules, int fieldCount);

// Whether the rows of a file whose header has fieldCount fields have time labels:
// with a time column the header has, or that the dialect found.
bool HasLabels(const CLineRules& rules, int fieldCount);

// One line as the first stage found it.
struct CBlockLine {
    enum Kind : uint8_t {
        kBeforeHeader,  // a line of the recorder's format before its header: text kept
        kHeader,        // the header line: text kept
        kSkipped,       // a line that is no data row: before a header line, not data, blank
        kData,          // a data row: every channel's reading, and its time label's text
    };

    uint64_t fileEnd = 0;  // text offset after the line
    uint32_t text = 0;     // the line's bytes (header lines) or its time label's (data rows) in the block's text
    uint32_t textLength = 0;
    Kind kind = kSkipped;
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
    // uninitialised: only data rows' readings are written and read, and the pages of
    // channels a file does not have are never touched.
    double* Channel(int channel) { return m_values.get() + static_cast<size_t>(channel) * kLines; }
    const double* Channel(int channel) const { return m_values.get() + static_cast<size_t>(channel) * kLines; }

private:
    std::unique_ptr<double[]> m_values;
};

class CBlockFiller {
public:
    explicit CBlockFiller(const CLineRules& rules = CLineRules()) { SetRules(rules); }

    CLineReader& Reader() { return m_reader; }
    // Sets the rules of the lines, before the first block is filled.
    void SetRules(const CLineRules& rules);
    // Fills the block with the next lines; false once the source has no more (the
    // block may still hold the last lines).
    bool Fill(CLineBlock& block);

private:
    void FillLine(const char* begin, const char* end, CLineBlock& block);
    void TakeHeader(const CFieldEdges& fields);
    bool NotData(uint64_t line);
    bool IsData(const CFieldEdges& fields);

    CLineReader m_reader;
    CLineRules m_rules;
    CFieldSplitter m_splitter;
    std::vector<int> m_columns;  // the channels' fields, once the header is read
    bool m_bHeaderRead = false;
    bool m_bLabelled = false;    // data rows have a time label
    uint64_t m_nLine = 0;        // 0-based number of the next line
    size_t m_nNextNotData = 0;   // the first of the rules' lines without data still to come
    std::vector<std::string_view> m_fields;  // a line's fields for IsDataRow
};
