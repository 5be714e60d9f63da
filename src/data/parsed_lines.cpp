#include "data/parsed_lines.h"

#include "data/field_splitter.h"
#include "data/reading_row.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#if defined(__linux__)
#include <pthread.h>
#endif

int NamedChannels(int fieldCount, int timeColumn)
{
    const int names = fieldCount - (timeColumn >= 0 && timeColumn < fieldCount ? 1 : 0);
    return std::min(names, CParsedBlock::kChannels);
}

CParsedLines::CParsedLines(const char* path, int timeColumn) : m_nTimeColumn(timeColumn)
{
    for (CParsedBlock& block : m_blocks)
        block.lines.reserve(CParsedBlock::kLines);
    m_bOpened = m_reader.Open(path);
    if (m_bOpened)
        m_thread = std::thread(&CParsedLines::ReadMain, this);
}

CParsedLines::~CParsedLines()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_bCancelled = true;
    }
    m_freeSignal.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

const CParsedBlock* CParsedLines::Next()
{
    if (!m_bOpened)
        return nullptr;
    std::unique_lock<std::mutex> lock(m_lock);
    // The block taken last is given back: the reading thread may fill it again.
    m_nReleased = m_nTaken;
    m_freeSignal.notify_one();
    if (m_nTaken == m_nFilled && !m_bEnded) {
        const auto waited = std::chrono::steady_clock::now();
        m_filledSignal.wait(lock, [this] { return m_nTaken < m_nFilled || m_bEnded; });
        m_dWaitSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - waited).count();
    }
    if (m_nTaken < m_nFilled)
        return &m_blocks[m_nTaken++ % kBlocks];
    if (m_error)
        std::rethrow_exception(m_error);
    return nullptr;
}

double CParsedLines::ReadSeconds()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_dReadSeconds;
}

void CParsedLines::ReadMain()
{
#if defined(__linux__)
    pthread_setname_np(pthread_self(), "import-reader");  // tells it apart in profilers and debuggers
#endif
    try {
        for (;;) {
            CParsedBlock* block;
            {
                std::unique_lock<std::mutex> lock(m_lock);
                m_freeSignal.wait(lock, [this] { return m_nFilled - m_nReleased < kBlocks || m_bCancelled; });
                if (m_bCancelled)
                    return;
                block = &m_blocks[m_nFilled % kBlocks];
            }
            const auto started = std::chrono::steady_clock::now();
            const bool more = FillBlock(*block);
            const auto filled = std::chrono::steady_clock::now();
            {
                std::lock_guard<std::mutex> lock(m_lock);
                m_dReadSeconds += std::chrono::duration<double>(filled - started).count();
                if (!block->lines.empty())
                    ++m_nFilled;
                m_bEnded = !more;
            }
            m_filledSignal.notify_one();
            if (!more)
                return;
        }
    } catch (const std::exception&) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_error = std::current_exception();
        m_bEnded = true;
        m_filledSignal.notify_one();
    }
}

bool CParsedLines::FillBlock(CParsedBlock& block)
{
    block.lines.clear();
    block.text.clear();
    const char* begin = nullptr;
    const char* end = nullptr;
    while (block.lines.size() < static_cast<size_t>(CParsedBlock::kLines)) {
        if (!m_reader.Next(begin, end))
            return false;
        ParseLine(begin, end, block);
    }
    return true;
}

void CParsedLines::ParseLine(const char* begin, const char* end, CParsedBlock& block)
{
    const char* const limit = end + CLineReader::kReadablePast;
    CFieldEdges fields;
    SplitFields(begin, end, limit, &fields);
    // Written in place: the lines are reserved, and a copy would be read back before its
    // bytes reached the cache.
    const size_t index = block.lines.size();
    CParsedLine& line = block.lines.emplace_back();
    line.fileEnd = m_reader.Consumed();
    if (m_nChannels == 0) {
        // Read by the worker as the header: it splits the line again for the names.
        line.readings = CParsedLine::kHeader;
        KeepText(begin, end, CLineReader::kReadablePast, block, line);
        m_nChannels = NamedChannels(fields.count, m_nTimeColumn);
        return;
    }

    // The reading columns: those before the label's and those after it, as many as
    // there are channels.
    const int timeColumn = m_nTimeColumn;
    line.labelled = timeColumn >= 0 && timeColumn < fields.count;
    const int last = std::min(fields.count, m_nChannels + (line.labelled && timeColumn <= m_nChannels ? 1 : 0));
    const int split = line.labelled ? std::min(timeColumn, last) : last;
    line.readings = last > split ? last - 1 : last;
    const uint16_t* spans = fields.edges + (split == 0 ? 2 : 0);
    uint16_t joined[2 * CParsedBlock::kChannels];
    if (split > 0 && split < last) {
        // The label sits between readings: the spans on both sides of it are joined.
        std::copy(fields.edges, fields.edges + 2 * split, joined);
        std::copy(fields.edges + 2 * (split + 1), fields.edges + 2 * last, joined + 2 * split);
        spans = joined;
    }
    double row[CParsedBlock::kChannels];
    ReadRowFields(begin, limit, spans, line.readings, row);
    StoreReadings(row, index, block, line);
    if (line.labelled)
        KeepText(begin + fields.Begin(timeColumn), begin + fields.End(timeColumn), 0, block, line);
}

namespace {

// The smallest and largest of the readings that are numbers, the first of equal ones. A
// reading that is not a number never enters: with the range first, std::min and
// std::max keep it when the reading is not a number.
void OrderedRange(const double* row, int count, double* low, double* high)
{
    *low = HUGE_VAL;
    *high = -HUGE_VAL;
    for (int c = 0; c < count; ++c) {
        *low = std::min(*low, row[c]);
        *high = std::max(*high, row[c]);
    }
}

// The same, in four interleaved ranges, which shortens the chain of dependent steps
// fourfold. Merged, they can differ from the ordered range only in which zero (-0 or 0)
// they keep, so a range with a zero end is found again in order.
void Range(const double* row, int count, double* low, double* high)
{
    double low0 = HUGE_VAL, low1 = HUGE_VAL, low2 = HUGE_VAL, low3 = HUGE_VAL;
    double high0 = -HUGE_VAL, high1 = -HUGE_VAL, high2 = -HUGE_VAL, high3 = -HUGE_VAL;
    int c = 0;
    for (; c + 4 <= count; c += 4) {
        low0 = std::min(low0, row[c]);
        low1 = std::min(low1, row[c + 1]);
        low2 = std::min(low2, row[c + 2]);
        low3 = std::min(low3, row[c + 3]);
        high0 = std::max(high0, row[c]);
        high1 = std::max(high1, row[c + 1]);
        high2 = std::max(high2, row[c + 2]);
        high3 = std::max(high3, row[c + 3]);
    }
    for (; c < count; ++c) {
        low0 = std::min(low0, row[c]);
        high0 = std::max(high0, row[c]);
    }
    *low = std::min(std::min(low0, low1), std::min(low2, low3));
    *high = std::max(std::max(high0, high1), std::max(high2, high3));
    if (*low == 0.0 || *high == 0.0)
        OrderedRange(row, count, low, high);
}

}  // namespace

// Puts a row's readings into the block's channel columns and finds their range.
void CParsedLines::StoreReadings(const double* row, size_t index, CParsedBlock& block, CParsedLine& line)
{
    double* slot = block.values.data() + index;
    for (int c = 0; c < line.readings; ++c, slot += CParsedBlock::kLines)
        *slot = row[c];
    Range(row, line.readings, &line.low, &line.high);
}

void CParsedLines::KeepText(const char* begin, const char* end, size_t padding, CParsedBlock& block,
                            CParsedLine& line)
{
    line.text = static_cast<uint32_t>(block.text.size());
    line.textLength = static_cast<uint32_t>(end - begin);
    block.text.insert(block.text.end(), begin, end);
    block.text.insert(block.text.end(), padding, '\0');
}
