// Reading a recorder's comma-separated file into channel names, raw time labels and
// one sample array per channel (worker thread).
#include "common/huge_pages.h"
#include "data/data_manager.h"
#include "data/field_splitter.h"
#include "data/parsed_lines.h"
#include "data/transfer_messages.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <algorithm>

namespace {

// Today's first and last second in local time: the time range of a file whose labels never parse.
void TodayRange(TimeValue* first, TimeValue* last)
{
    const time_t now = time(nullptr);
    struct tm day = {};
    localtime_r(&now, &day);
    day.tm_hour = 0;
    day.tm_min = 0;
    day.tm_sec = 0;
    day.tm_isdst = -1;
    struct tm end = day;
    *first = static_cast<TimeValue>(mktime(&day));
    end.tm_hour = 23;
    end.tm_min = 59;
    end.tm_sec = 59;
    end.tm_isdst = -1;
    *last = static_cast<TimeValue>(mktime(&end));
}

static_assert(CParsedBlock::kChannels == CMemoryTransferManage::kMaxChannels, "a block holds a reading per channel");

// Rows after which the load estimates the file's row count and reserves its arrays.
constexpr size_t kEstimateRows = 256;

}  // namespace

// What one load reads once at its start, and the state that runs across its lines.
struct CMemoryTransferManage::ImportState {
    int timeColumn = -1;
    bool query = false;
    TimeValue queryStart = 0;
    TimeValue queryEnd = 0;
    bool firstValue = true;  // set until the first data row has been read
    size_t dataRows = 0;
    uint64_t headerEnd = 0;  // file offset after the header line
    std::vector<std::string> names;  // the header's names as the file's bytes
    bool byteOrderMark = false;      // the file starts with the UTF-8 byte-order mark
    // Every line up to the header (the label column's heading and lines of notes
    // included) and every label so far is valid UTF-8.
    bool textUtf8 = true;
    CLocalTimeConverter converter;
};

int CMemoryTransferManage::LoadFile()
{
    const auto started = std::chrono::steady_clock::now();
    ClearLoad();
    m_statistics.lines = 0;
    m_statistics.yieldSeconds = 0.0;
    m_statistics.readSeconds = 0.0;
    m_statistics.waitSeconds = 0.0;

    ImportState state;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(m_pathLock);
        path = m_strFilePath;
    }
    state.timeColumn = m_nTimeColumn.load();
    state.query = m_bQuery.load() != 0;
    state.queryStart = m_tQueryStart.load();
    state.queryEnd = m_tQueryEnd.load();
    const bool fitAll = state.query && m_bFitAll.load() != 0;
    const int timeOrder = m_nTimeOrder.load();
    const int plotWidth = m_nPlotWidth.load();

    // A thread of its own reads, splits and converts the lines ahead; the worker takes
    // them in, in file order. It reads less than the largest file, also from a file
    // that grows while it is read.
    CParsedLines lines(path.c_str(), state.timeColumn, kLargestFile, &m_bStop);
    if (!lines.Opened()) {
        InitPageWindow(plotWidth, timeOrder);  // as for a file without channels
        return LOAD_UNREADABLE;
    }
    const uint64_t fileBytes = lines.FileSize();
    state.byteOrderMark = lines.ByteOrderMark();
    if (fileBytes >= kLargestFile)
        return LOAD_REFUSED_TOO_LARGE;
    while (const CParsedBlock* block = lines.Next()) {
        size_t run = 0;  // rows [run, i) of the block are whole rows to keep, not appended yet
        for (size_t i = 0; i < block->lines.size(); ++i) {
            const CParsedLine& line = block->lines[i];
            if (line.readings == CParsedLine::kHeader) {
                state.textUtf8 = state.textUtf8 && IsValidUtf8(block->Text(line), line.textLength);
                ParseHeader(block->Text(line), line.textLength, state);
                state.headerEnd = line.fileEnd;
                run = i + 1;
            } else {
                ParseDataRow(*block, i, run, state);
                if (state.dataRows == kEstimateRows)
                    ReserveRows(fileBytes, state.headerEnd, line.fileEnd, state.dataRows);
            }
            if (++m_statistics.lines % kYieldLines == 0) {
                if (m_bStop.load() != 0) {
                    AppendRows(*block, run, i + 1);
                    DecodeNames(state);
                    return LOAD_FINISHED;
                }
                const auto slept = std::chrono::steady_clock::now();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                m_statistics.yieldSeconds +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - slept).count();
            }
        }
        AppendRows(*block, run, block->lines.size());
    }
    m_statistics.readSeconds = lines.ReadSeconds();
    m_statistics.waitSeconds = lines.WaitSeconds();

    m_bDataRead = !state.firstValue;
    DecodeNames(state);
    if (fitAll && m_nChannelCount > 0 && m_samples[0].size() > static_cast<size_t>(plotWidth) + 1)
        CompressToOnePage(plotWidth + 1);
    InitPageWindow(plotWidth, timeOrder);
    m_statistics.loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return LOAD_FINISHED;
}

// The dataset, the page window, the display series and the ranges of the last load:
// at the start of every load, and after a load that failed.
void CMemoryTransferManage::ClearLoad()
{
    ClearData();
    m_dDataMin = m_dDataMax = 0.0;
    m_bDataRead = false;
    TodayRange(&m_tFirst, &m_tLast);
}

// Makes room for the rows still to come, estimated from the rows read so far, so the
// arrays of a large file never grow by copying. Reserved pages that stay unused are
// never touched and cost no memory. A file that has grown past the size it had when
// opened is estimated to end where it is.
void CMemoryTransferManage::ReserveRows(uint64_t fileBytes, uint64_t headerEnd, uint64_t consumed, size_t rows)
{
    const uint64_t bytesPerRow = (consumed - headerEnd) / rows;
    if (bytesPerRow < 8)
        return;
    const uint64_t left = fileBytes > consumed ? fileBytes - consumed : 0;
    const uint64_t expected = rows + left / bytesPerRow * 9 / 8 + 16;
    for (CSampleArray& channel : m_samples) {
        channel.reserve(expected);
        COMMON_EX::AdviseHugePages(channel);
    }
    const uint64_t labelBytes = m_labels.empty() ? 0 : m_labels[0].size() + 2;
    m_labels.reserve(expected, expected * labelBytes);
}

// The first line that yields a name: every field but the time-label column names a
// channel, up to 16.
void CMemoryTransferManage::ParseHeader(const char* line, size_t length, ImportState& state)
{
    CFieldEdges fields;
    SplitFields(line, line + length, line + length + CLineReader::kReadablePast, &fields);
    const size_t channels = static_cast<size_t>(NamedChannels(fields.count, state.timeColumn));
    for (int column = 0; column < fields.count && state.names.size() < channels; ++column) {
        if (column == state.timeColumn)
            continue;
        state.names.emplace_back(line + fields.Begin(column), line + fields.End(column));
    }
    m_nChannelCount = static_cast<int>(state.names.size());
    if (m_nChannelCount > 0)
        m_samples.assign(static_cast<size_t>(m_nChannelCount), CSampleArray());
}

void CMemoryTransferManage::ParseDataRow(const CParsedBlock& block, size_t index, size_t& run, ImportState& state)
{
    const CParsedLine& line = block.lines[index];
    const char* const label = block.Text(line);
    const bool inRange = !line.labelled || ReadTimeLabel(label, label + line.textLength, state);
    if (line.labelled && state.textUtf8)
        state.textUtf8 = IsValidUtf8(label, line.textLength);

    // The first data row starts the value range at its first reading that is a number;
    // one without such a reading leaves the range at zero. With the range first,
    // std::min and std::max keep the earlier of equal values, as reading one by one does.
    if (state.firstValue) {
        const bool numbers = line.low <= line.high;
        m_dDataMin = numbers ? line.low : 0.0;
        m_dDataMax = numbers ? line.high : 0.0;
        state.firstValue = false;
    } else {
        m_dDataMin = std::min(m_dDataMin, line.low);
        m_dDataMax = std::max(m_dDataMax, line.high);
    }
    ++state.dataRows;

    // A row outside the query keeps nothing; its readings and its time still count for the ranges.
    if (inRange && line.labelled)
        m_labels.push_back(std::string_view(label, line.textLength));
    if (inRange && line.readings == m_nChannelCount)
        return;  // a whole row: appended with its run
    AppendRows(block, run, index);
    run = index + 1;
    if (!inRange)
        return;
    // A short row: its readings go to the first channels.
    for (int c = 0; c < line.readings; ++c)
        m_samples[static_cast<size_t>(c)].push_back(block.Channel(c)[index]);
}

// Appends rows [first, end) of the block, whole rows, to the channel arrays.
void CMemoryTransferManage::AppendRows(const CParsedBlock& block, size_t first, size_t end)
{
    if (first >= end)
        return;
    for (int c = 0; c < m_nChannelCount; ++c) {
        const double* column = block.Channel(c);
        m_samples[static_cast<size_t>(c)].insert(m_samples[static_cast<size_t>(c)].end(), column + first, column + end);
    }
}

void CMemoryTransferManage::DecodeNames(ImportState& state)
{
    m_textEncoding = state.byteOrderMark || state.textUtf8 ? TextEncoding::Utf8 : TextEncoding::Gb18030;
    m_strNames.clear();
    for (const std::string& name : state.names)
        m_strNames.push_back(DecodeText(name.data(), name.size(), m_textEncoding));
}

// Parses a row's time label into the time range; false when a query is active and
// the time lies outside it.
bool CMemoryTransferManage::ReadTimeLabel(const char* begin, const char* end, ImportState& state)
{
    TimeValue t = 0;
    if (!ParseTimeLabel(begin, end, &t, state.converter))
        return true;
    m_tFirst = state.firstValue ? t : std::min(m_tFirst, t);
    m_tLast = state.firstValue ? t : std::max(m_tLast, t);
    return !state.query || (t >= state.queryStart && t <= state.queryEnd);
}
