#include "data/parsed_lines.h"

#include "data/field_splitter.h"
#include "data/reading_row.h"

#include <algorithm>
#include <chrono>
#include <cmath>

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
    CParsedLine line;
    line.fileEnd = m_reader.Consumed();
    if (m_nChannels == 0) {
        // Read by the worker as the header: it splits the line again for the names.
        line.readings = CParsedLine::kHeader;
        KeepText(begin, end, CLineReader::kReadablePast, block, line);
        m_nChannels = NamedChannels(fields.count, m_nTimeColumn);
        block.lines.push_back(line);
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
    StoreReadings(row, block, line);
    if (line.labelled)
        KeepText(begin + fields.Begin(timeColumn), begin + fields.End(timeColumn), 0, block, line);
    block.lines.push_back(line);
}

// Puts a row's readings into the block's channel columns and finds their range. A
// reading that is not a number never enters the range: with the range first, std::min
// and std::max keep it when the reading is not a number.
void CParsedLines::StoreReadings(const double* row, CParsedBlock& block, CParsedLine& line)
{
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    double* slot = block.values.data() + block.lines.size();
    for (int c = 0; c < line.readings; ++c, slot += CParsedBlock::kLines) {
        *slot = row[c];
        low = std::min(low, row[c]);
        high = std::max(high, row[c]);
    }
    line.low = low;
    line.high = high;
}

void CParsedLines::KeepText(const char* begin, const char* end, size_t padding, CParsedBlock& block,
                            CParsedLine& line)
{
    line.text = static_cast<uint32_t>(block.text.size());
    line.textLength = static_cast<uint32_t>(end - begin);
    block.text.insert(block.text.end(), begin, end);
    block.text.insert(block.text.end(), padding, '\0');
}
