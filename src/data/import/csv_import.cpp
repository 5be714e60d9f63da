#include "data/import/csv_import.h"

#include "common/huge_pages.h"
#include "data/import/block_filler.h"
#include "data/import/field_splitter.h"
#include "data/import/read_ahead.h"
#include "data/transfer_messages.h"
#include "guiex/strings.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Rows after which the import estimates the file's row count and reserves its arrays.
constexpr size_t kEstimateRows = 256;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Fills blocks in turn on the import's own thread.
class CBlocksInTurn {
public:
    explicit CBlocksInTurn(std::unique_ptr<CBlockFiller> filler) : m_filler(std::move(filler)) {}

    const CLineBlock* Next()
    {
        if (!m_bMore)
            return nullptr;
        const auto started = Clock::now();
        m_bMore = m_filler->Fill(m_block);
        m_dFillSeconds += Seconds(Clock::now() - started);
        return m_block.lines.empty() ? nullptr : &m_block;
    }
    double FillSeconds() const { return m_dFillSeconds; }
    double WaitSeconds() const { return 0.0; }

private:
    std::unique_ptr<CBlockFiller> m_filler;
    CLineBlock m_block;
    bool m_bMore = true;
    double m_dFillSeconds = 0.0;
};

// Takes the blocks' lines into the dataset: the header's names, then each data row's
// time label, ranges and readings.
class CRowIntake {
public:
    CRowIntake(const CImportSettings& settings, const CLineRules& rules, FileEncoding encoding, uint64_t fileBytes,
               bool byteOrderMark, CDataset& dataset)
        : m_settings(settings), m_rules(rules), m_splitter(rules.separator), m_encoding(encoding),
          m_nFileBytes(fileBytes), m_bByteOrderMark(byteOrderMark), m_dataset(dataset)
    {
        m_dataset.labelReading = rules.labelReading;
    }

    // Takes in the block's lines; false when stopped after line `lines` of the source.
    bool TakeBlock(const CLineBlock& block, const CImportControl& control, uint64_t& lines);
    // Decides the file's encoding from what was read and decodes the names by it.
    void DecodeNames();
    bool DataRead() const { return !m_bFirstValue; }
    int LeftOutColumns() const { return m_nLeftOut; }

private:
    // A header line of this length, kReadablePast bytes after it readable.
    void TakeHeader(const char* line, size_t length);
    // Takes in data row `index` of the block. Rows to keep are appended a run at a
    // time: rows [run, index) of the block are such rows, not appended yet.
    void TakeDataRow(const CLineBlock& block, size_t index, size_t& run);
    void AppendRows(const CLineBlock& block, size_t first, size_t end);
    bool ReadTimeLabel(const char* begin, const char* end);
    void ReserveRows(uint64_t consumed);

    const CImportSettings& m_settings;
    const CLineRules& m_rules;
    CFieldSplitter m_splitter;
    const FileEncoding m_encoding;  // as the dialect found it
    const uint64_t m_nFileBytes;
    const bool m_bByteOrderMark;  // the file starts with the UTF-8 byte-order mark
    CDataset& m_dataset;
    bool m_bFirstValue = true;    // set until the first data row has been read
    bool m_bRangeSet = false;     // a reading that is a number has been read
    bool m_bLabelled = false;     // data rows have a time label
    size_t m_nDataRows = 0;
    int m_nLeftOut = 0;
    uint64_t m_nHeaderEnd = 0;    // source offset after the header line
    std::vector<std::string> m_names;  // the header's names as the file's bytes
    // Every line up to the header (the label column's heading and lines of notes
    // included) and every label so far is valid UTF-8.
    bool m_bTextUtf8 = true;
    CLocalTimeConverter m_converter;
};

bool CRowIntake::TakeBlock(const CLineBlock& block, const CImportControl& control, uint64_t& lines)
{
    size_t run = 0;  // rows [run, i) of the block are rows to keep, not appended yet
    for (size_t i = 0; i < block.lines.size(); ++i) {
        const CBlockLine& line = block.lines[i];
        switch (line.kind) {
        case CBlockLine::kBeforeHeader:
        case CBlockLine::kHeader:
            m_bTextUtf8 = m_bTextUtf8 && IsValidUtf8(block.Text(line), line.textLength);
            if (line.kind == CBlockLine::kHeader) {
                TakeHeader(block.Text(line), line.textLength);
                m_nHeaderEnd = line.fileEnd;
            }
            run = i + 1;
            break;
        case CBlockLine::kSkipped:
            AppendRows(block, run, i);
            run = i + 1;
            break;
        case CBlockLine::kData:
            TakeDataRow(block, i, run);
            if (m_nDataRows == kEstimateRows)
                ReserveRows(line.fileEnd);
            break;
        }
        if (++lines % kYieldInterval == 0) {
            if (control.stopped && control.stopped()) {
                AppendRows(block, run, i + 1);
                return false;
            }
            if (control.yield)
                control.yield();
        }
    }
    AppendRows(block, run, block.lines.size());
    return true;
}

// Makes room for the rows still to come, estimated from the rows read so far, so the
// arrays of a large file never grow by copying. Reserved pages that stay unused are
// never touched and cost no memory. A file that has grown past the size it had when
// opened is estimated to end where it is.
void CRowIntake::ReserveRows(uint64_t consumed)
{
    const uint64_t bytesPerRow = (consumed - m_nHeaderEnd) / m_nDataRows;
    if (bytesPerRow < 8)
        return;
    const uint64_t left = m_nFileBytes > consumed ? m_nFileBytes - consumed : 0;
    const uint64_t expected = m_nDataRows + left / bytesPerRow * 9 / 8 + 16;
    for (CSampleArray& channel : m_dataset.samples) {
        channel.reserve(expected);
        COMMON_EX::AdviseHugePages(channel);
    }
    const uint64_t labelBytes = m_dataset.labels.empty() ? 0 : m_dataset.labels[0].size() + 2;
    m_dataset.labels.reserve(expected, expected * labelBytes);
}

// The header names a channel by each of its channel columns, up to
// kLargestChannelCount; a field it lacks names none (see DecodeNames).
void CRowIntake::TakeHeader(const char* line, size_t length)
{
    CFieldEdges fields;
    m_splitter.Split(line, line + length, line + length + CLineReader::kReadablePast, &fields);
    const std::vector<int> columns = ChannelColumns(m_rules, fields.count);
    const size_t channels = std::min(columns.size(), static_cast<size_t>(kLargestChannelCount));
    m_nLeftOut = static_cast<int>(columns.size() - channels);
    m_bLabelled = HasLabels(m_rules, fields.count);
    for (size_t c = 0; c < channels; ++c) {
        const int field = columns[c];
        if (field < fields.count)
            m_names.emplace_back(fields.text + fields.Begin(field), fields.text + fields.End(field));
        else
            m_names.emplace_back();
    }
    m_dataset.samples.assign(m_names.size(), CSampleArray());
}

void CRowIntake::TakeDataRow(const CLineBlock& block, size_t index, size_t& run)
{
    const CBlockLine& line = block.lines[index];
    const char* const label = block.Text(line);
    const bool labelled = m_bLabelled;
    const bool inRange = !labelled || ReadTimeLabel(label, label + line.textLength);
    if (labelled && m_bTextUtf8)
        m_bTextUtf8 = IsValidUtf8(label, line.textLength);

    // The value range covers the readings that are numbers; a missing reading has no
    // part in it. With the range first, std::min and std::max keep the earlier of
    // equal values, as reading one by one does.
    if (line.low <= line.high) {
        m_dataset.dataMin = m_bRangeSet ? std::min(m_dataset.dataMin, line.low) : line.low;
        m_dataset.dataMax = m_bRangeSet ? std::max(m_dataset.dataMax, line.high) : line.high;
        m_bRangeSet = true;
    }
    m_bFirstValue = false;
    ++m_nDataRows;

    // A row outside the query keeps nothing; its readings and its time still count for
    // the ranges. A kept row gives every channel a sample and, with a time column, a
    // label, empty when the row has none.
    if (inRange) {
        if (labelled)
            m_dataset.labels.push_back(std::string_view(label, line.textLength));
        return;  // appended with its run
    }
    AppendRows(block, run, index);
    run = index + 1;
}

// Appends rows [first, end) of the block, data rows only, to the channel arrays.
void CRowIntake::AppendRows(const CLineBlock& block, size_t first, size_t end)
{
    if (first >= end)
        return;
    for (int c = 0; c < m_dataset.ChannelCount(); ++c) {
        const double* column = block.Channel(c);
        CSampleArray& samples = m_dataset.samples[static_cast<size_t>(c)];
        samples.insert(samples.end(), column + first, column + end);
    }
}

// Names and labels are decoded by the file's one encoding: UTF-16 was read as UTF-8,
// Windows-1252 is what the dialect found, and otherwise UTF-8 when all of the text is
// valid UTF-8, else GB18030. A channel without a name takes the chart's default name.
void CRowIntake::DecodeNames()
{
    if (m_encoding == FileEncoding::Windows1252)
        m_dataset.encoding = TextEncoding::Windows1252;
    else if (m_encoding == FileEncoding::Utf16LE || m_encoding == FileEncoding::Utf16BE)
        m_dataset.encoding = TextEncoding::Utf8;
    else
        m_dataset.encoding = m_bByteOrderMark || m_bTextUtf8 ? TextEncoding::Utf8 : TextEncoding::Gb18030;
    m_dataset.names.clear();
    const QByteArray defaultName = COM_GUI_EX::LoadString(1002).toUtf8();
    for (const std::string& name : m_names) {
        const int number = static_cast<int>(m_dataset.names.size()) + 1;
        m_dataset.names.push_back(name.empty() ? QString::asprintf(defaultName.constData(), number)
                                               : DecodeText(name.data(), name.size(), m_dataset.encoding));
    }
}

// Parses a row's time label into the time range; false when a query is active and
// the time lies outside it.
bool CRowIntake::ReadTimeLabel(const char* begin, const char* end)
{
    TimeValue t = 0;
    if (!ParseTimeLabel(begin, end, &t, m_converter, m_rules.labelReading))
        return true;
    m_dataset.first = m_bFirstValue ? t : std::min(m_dataset.first, t);
    m_dataset.last = m_bFirstValue ? t : std::max(m_dataset.last, t);
    return !m_settings.query || (t >= m_settings.queryStart && t <= m_settings.queryEnd);
}

// Takes every block into the dataset; false when stopped.
template <class Blocks>
bool TakeBlocks(Blocks& blocks, CRowIntake& intake, const CImportControl& control, CImportResult& out)
{
    while (const CLineBlock* block = blocks.Next()) {
        if (!intake.TakeBlock(*block, control, out.lines))
            return false;
    }
    if (control.stopped && control.stopped())
        return false;  // stopped while waiting for a block
    out.fillSeconds = blocks.FillSeconds();
    out.waitSeconds = blocks.WaitSeconds();
    return true;
}

}  // namespace

CLineRules LineRulesFor(const CDialect& dialect, const CImportSettings& settings)
{
    CLineRules rules;
    rules.dialect = dialect;
    const bool automatic = settings.timeColumn == kAutomaticChoice;
    rules.timeColumn = automatic ? dialect.timeColumn : settings.timeColumn;
    // Date and time in two columns make one label where the dialect's column is used.
    rules.clockColumn = rules.timeColumn == dialect.timeColumn ? dialect.clockColumn : -1;
    rules.labelReading.order = dialect.dayMonthOrder;
    rules.labelReading.unixSeconds = dialect.unixSeconds && rules.timeColumn == dialect.timeColumn;
    if (dialect.recorderFormat)
        return rules;
    rules.separator = dialect.separator;
    rules.decimalMark = dialect.decimalMark;
    rules.pieceChars = CLineReader::kLongLineChars;
    rules.headerLine = std::max(dialect.headerLine, 0);
    rules.nonDataLines = dialect.nonDataLines;
    std::sort(rules.nonDataLines.begin(), rules.nonDataLines.end());
    for (int column : dialect.measurementColumns) {
        if (column != rules.timeColumn && column != rules.clockColumn)
            rules.channelColumns.push_back(column);
    }
    return rules;
}

namespace {

// The import, of a file whose dialect is given or, when null, sniffed from its first bytes.
CImportResult Import(CByteSource source, const CDialect* dialect, const CImportSettings& settings,
                     const CImportControl& control)
{
    CImportResult out;
    out.dataset = CDataset::Cleared();
    out.timeOrder = settings.timeOrder == kAutomaticChoice ? 0 : settings.timeOrder;
    auto filler = std::make_unique<CBlockFiller>();
    CLineReader& reader = filler->Reader();
    if (!reader.Open(std::move(source), kLargestFile - 1)) {
        out.result = LOAD_UNREADABLE;
        out.page = OpeningPage(out.dataset, settings.plotWidth, out.timeOrder);  // as for a file without channels
        return out;
    }
    if (reader.FileSize() >= kLargestFile) {
        out.result = LOAD_REFUSED_TOO_LARGE;
        return out;
    }
    size_t headLength = 0;
    const char* head = reader.Head(&headLength);
    out.dialect = dialect ? *dialect : SniffDialect(head, headLength);
    if (settings.timeOrder == kAutomaticChoice && out.dialect.timeOrder == 1)
        out.timeOrder = 1;
    const CLineRules rules = LineRulesFor(out.dialect, settings);
    filler->SetRules(rules);
    if (out.dialect.encoding == FileEncoding::Utf16LE || out.dialect.encoding == FileEncoding::Utf16BE)
        reader.ReadUtf16(out.dialect.encoding == FileEncoding::Utf16BE);

    CRowIntake intake(settings, rules, out.dialect.encoding, reader.FileSize(), reader.ByteOrderMark(), out.dataset);
    bool complete;
    if (control.readAhead) {
        CReadAhead blocks(std::move(filler), control.stopped);
        complete = TakeBlocks(blocks, intake, control, out);
    } else {
        CBlocksInTurn blocks(std::move(filler));
        complete = TakeBlocks(blocks, intake, control, out);
    }
    intake.DecodeNames();
    out.leftOutColumns = intake.LeftOutColumns();
    if (!complete)
        return out;  // stopped: what was read, no page

    out.dataset.dataRead = intake.DataRead();
    const bool fitAll = settings.query && settings.fitAll;
    if (fitAll && out.dataset.ChannelCount() > 0 &&
        out.dataset.samples[0].size() > static_cast<size_t>(settings.plotWidth) + 1)
        CompressToOnePage(out.dataset, settings.plotWidth + 1);
    out.page = OpeningPage(out.dataset, settings.plotWidth, out.timeOrder);
    out.result = LOAD_FINISHED;
    return out;
}

}  // namespace

CImportResult ImportDataset(CByteSource source, const CImportSettings& settings, const CImportControl& control)
{
    return Import(std::move(source), nullptr, settings, control);
}

CImportResult ImportDataset(CByteSource source, const CDialect& dialect, const CImportSettings& settings,
                            const CImportControl& control)
{
    return Import(std::move(source), &dialect, settings, control);
}
