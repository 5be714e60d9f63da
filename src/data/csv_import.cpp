// Reading a recorder's comma-separated file into channel names, raw time labels and
// one sample array per channel (worker thread).
#include "common/file_helpers.h"
#include "data/data_manager.h"
#include "data/line_reader.h"
#include "data/field_splitter.h"
#include "data/reading.h"
#include "data/transfer_messages.h"

#include <chrono>
#include <cmath>
#include <ctime>

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
            ParseLine(begin, end, state);
            if (headerPending)
                state.headerEnd = reader.Consumed();
            else if (state.dataRows == kEstimateRows)
                ReserveRows(fileBytes, state.headerEnd, reader.Consumed(), state.dataRows);
            if (++m_statistics.lines % kYieldLines == 0) {
                if (m_bStop.load() != 0)
                    return LOAD_FINISHED;
                const auto slept = std::chrono::steady_clock::now();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                m_statistics.yieldSeconds +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - slept).count();
            }
        }
    }

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
    for (CSampleArray& channel : m_samples)
        channel.reserve(expected);
    const uint64_t labelBytes = m_labels.empty() ? 0 : m_labels[0].size() + 2;
    m_labels.reserve(expected, expected * labelBytes);
}

void CMemoryTransferManage::ParseLine(const char* begin, const char* end, ImportState& state)
{
    if (m_strNames.empty())
        ParseHeader(begin, end, state.timeColumn);
    else
        ParseDataRow(begin, end, state);
}

// The first line that yields a name: every field but the time-label column names a
// channel, up to 16.
void CMemoryTransferManage::ParseHeader(const char* begin, const char* end, int timeColumn)
{
    CFieldSpan fields[kMaxFields];
    const int count = SplitFields(begin, end, fields);
    for (int column = 0; column < count && m_strNames.size() < static_cast<size_t>(kMaxChannels); ++column) {
        if (column != timeColumn)
            m_strNames.emplace_back(begin + fields[column].begin, begin + fields[column].end);
    }
    m_nChannelCount = static_cast<int>(m_strNames.size());
    if (m_nChannelCount > 0)
        m_samples.assign(static_cast<size_t>(m_nChannelCount), CSampleArray());
}

void CMemoryTransferManage::ParseDataRow(const char* begin, const char* end, ImportState& state)
{
    CFieldSpan fields[kMaxFields];
    const int count = SplitFields(begin, end, fields);
    int channel = 0;
    bool inRange = true;
    bool labelTaken = false;
    bool rangeStarts = state.firstValue;  // the first reading of the first data row starts the range
    // The value range is kept in registers for the row: a member would be reloaded after every store.
    double low = m_dDataMin;
    double high = m_dDataMax;

    for (int column = 0; column < count; ++column) {
        const char* field = begin + fields[column].begin;
        const char* fieldEnd = begin + fields[column].end;
        if (column != state.timeColumn) {
            if (channel < m_nChannelCount) {
                double v;
                if (!ParseShortReading(field, fieldEnd, end, &v))
                    v = ParseReading(field, fieldEnd);
                m_samples[static_cast<size_t>(channel)].push_back(v);
                // A reading that is not a number never enters the value range: with the
                // range first, std::min and std::max keep it when v is not a number.
                if (rangeStarts && !std::isnan(v)) {
                    low = high = v;
                    rangeStarts = false;
                }
                low = std::min(low, v);
                high = std::max(high, v);
            }
            ++channel;
            continue;
        }
        TimeValue t = 0;
        if (ParseTimeLabel(field, fieldEnd, &t, state.converter)) {
            m_tFirst = state.firstValue ? t : std::min(m_tFirst, t);
            m_tLast = state.firstValue ? t : std::max(m_tLast, t);
            if (state.query && (t < state.queryStart || t > state.queryEnd))
                inRange = false;
        }
        m_labels.push_back(std::string_view(field, static_cast<size_t>(fieldEnd - field)));
        labelTaken = true;
    }

    m_dDataMin = low;
    m_dDataMax = high;
    state.firstValue = false;
    ++state.dataRows;
    if (!inRange) {
        // The row lies outside the query: take back what it appended. Its readings
        // and its time still count for the ranges.
        const int taken = std::min(channel, m_nChannelCount);
        for (int c = 0; c < taken; ++c)
            m_samples[static_cast<size_t>(c)].pop_back();
        if (labelTaken)
            m_labels.pop_back();
    }
}
