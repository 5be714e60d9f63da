// Reading a recorder's comma-separated file into channel names, raw time labels and
// one sample array per channel (worker thread).
#include "common/file_helpers.h"
#include "common/huge_pages.h"
#include "data/data_manager.h"
#include "data/line_reader.h"
#include "data/field_splitter.h"
#include "data/reading_row.h"
#include "data/row_staging.h"
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
    CLocalTimeConverter converter;
    CRowStaging staging;  // whole rows not yet appended to the channel arrays
};

int CMemoryTransferManage::LoadFile()
{
    const auto started = std::chrono::steady_clock::now();
    ClearData();
    m_statistics.lines = 0;
    m_statistics.yieldSeconds = 0.0;
    m_dDataMin = m_dDataMax = 0.0;
    m_bDataRead = false;
    TodayRange(&m_tFirst, &m_tLast);

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

    const uint64_t fileBytes = QueryFileSize(path.c_str());
    if (fileBytes >= kLargestFile)
        return LOAD_REFUSED_TOO_LARGE;

    CLineReader reader;
    if (reader.Open(path.c_str())) {
        const char* begin = nullptr;
        const char* end = nullptr;
        while (reader.Next(begin, end)) {
            const bool headerPending = m_nChannelCount == 0;
            ParseLine(begin, end, end + CLineReader::kReadablePast, state);
            if (headerPending)
                state.headerEnd = reader.Consumed();
            else if (state.dataRows == kEstimateRows)
                ReserveRows(fileBytes, state.headerEnd, reader.Consumed(), state.dataRows);
            if (++m_statistics.lines % kYieldLines == 0) {
                if (m_bStop.load() != 0) {
                    state.staging.Flush(m_samples);
                    return LOAD_FINISHED;
                }
                const auto slept = std::chrono::steady_clock::now();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                m_statistics.yieldSeconds +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - slept).count();
            }
        }
    }

    state.staging.Flush(m_samples);
    m_bDataRead = !state.firstValue;
    if (fitAll && m_nChannelCount > 0 && m_samples[0].size() > static_cast<size_t>(plotWidth) + 1)
        CompressToOnePage(plotWidth + 1);
    InitPageWindow(plotWidth, timeOrder);
    m_statistics.loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return LOAD_FINISHED;
}

// Makes room for the rows still to come, estimated from the rows read so far, so the
// arrays of a large file never grow by copying. Reserved pages that stay unused are
// never touched and cost no memory.
void CMemoryTransferManage::ReserveRows(uint64_t fileBytes, uint64_t headerEnd, uint64_t consumed, size_t rows)
{
    const uint64_t bytesPerRow = (consumed - headerEnd) / rows;
    if (bytesPerRow < 8)
        return;
    const uint64_t expected = rows + (fileBytes - consumed) / bytesPerRow * 9 / 8 + 16;
    for (CSampleArray& channel : m_samples) {
        channel.reserve(expected);
        COMMON_EX::AdviseHugePages(channel);
    }
    const uint64_t labelBytes = m_labels.empty() ? 0 : m_labels[0].size() + 2;
    m_labels.reserve(expected, expected * labelBytes);
}

void CMemoryTransferManage::ParseLine(const char* begin, const char* end, const char* limit, ImportState& state)
{
    CFieldEdges fields;
    SplitFields(begin, end, limit, &fields);
    if (m_strNames.empty())
        ParseHeader(begin, fields, state.timeColumn);
    else
        ParseDataRow(begin, limit, fields, state);
}

// The first line that yields a name: every field but the time-label column names a
// channel, up to 16.
void CMemoryTransferManage::ParseHeader(const char* line, const CFieldEdges& fields, int timeColumn)
{
    for (int column = 0; column < fields.count && m_strNames.size() < static_cast<size_t>(kMaxChannels); ++column) {
        if (column != timeColumn)
            m_strNames.emplace_back(line + fields.Begin(column), line + fields.End(column));
    }
    m_nChannelCount = static_cast<int>(m_strNames.size());
    if (m_nChannelCount > 0)
        m_samples.assign(static_cast<size_t>(m_nChannelCount), CSampleArray());
}

void CMemoryTransferManage::ParseDataRow(const char* line, const char* limit, const CFieldEdges& fields,
                                         ImportState& state)
{
    const int timeColumn = state.timeColumn;
    const bool labelled = timeColumn >= 0 && timeColumn < fields.count;
    bool inRange = true;
    if (labelled)
        inRange = ReadTimeLabel(line + fields.Begin(timeColumn), line + fields.End(timeColumn), state);

    // The reading columns: those before the label's and those after it, as many as
    // there are channels.
    const int channels = m_nChannelCount;
    const int end = std::min(fields.count, channels + (labelled && timeColumn <= channels ? 1 : 0));
    const int split = labelled ? std::min(timeColumn, end) : end;
    const int readings = end > split ? end - 1 : end;
    const uint16_t* spans = fields.edges + (split == 0 ? 2 : 0);
    uint16_t joined[2 * kMaxChannels];
    if (split > 0 && split < end) {
        // The label sits between readings: the spans on both sides of it are joined.
        std::copy(fields.edges, fields.edges + 2 * split, joined);
        std::copy(fields.edges + 2 * (split + 1), fields.edges + 2 * end, joined + 2 * split);
        spans = joined;
    }
    double row[kMaxChannels];
    ReadRowFields(line, limit, spans, readings, row);

    // The readings go to the staging slots; the value range is kept in registers for the
    // row. The first data row starts the range at its first reading that is a number. A
    // reading that is not a number never enters the range: with the range first,
    // std::min and std::max keep it when the reading is not a number.
    const bool firstRow = state.firstValue;
    double low = firstRow ? HUGE_VAL : m_dDataMin;
    double high = firstRow ? -HUGE_VAL : m_dDataMax;
    double* slot = state.staging.Row();
    for (int c = 0; c < readings; ++c, slot += CRowStaging::kRows) {
        *slot = row[c];
        low = std::min(low, row[c]);
        high = std::max(high, row[c]);
    }
    if (low > high)
        low = high = 0.0;  // a first row without a reading that is a number leaves the range at zero
    m_dDataMin = low;
    m_dDataMax = high;
    state.firstValue = false;
    ++state.dataRows;

    // A row outside the query keeps nothing; its readings and its time still count for the ranges.
    if (!inRange)
        return;
    if (labelled)
        m_labels.push_back(std::string_view(line + fields.Begin(timeColumn),
                                            static_cast<size_t>(fields.End(timeColumn) - fields.Begin(timeColumn))));
    if (readings == channels) {
        if (state.staging.Commit())
            state.staging.Flush(m_samples);
        return;
    }
    // A short row: the rows before it go first, then its readings to the first channels.
    state.staging.Flush(m_samples);
    for (int c = 0; c < readings; ++c)
        m_samples[static_cast<size_t>(c)].push_back(row[c]);
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
