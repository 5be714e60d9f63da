#include "data/import/block_filler.h"

#include "data/import/field_splitter.h"
#include "data/import/row_conversion.h"

#include <algorithm>
#include <cmath>

int NamedChannels(int fieldCount, int timeColumn)
{
    const int names = fieldCount - (timeColumn >= 0 && timeColumn < fieldCount ? 1 : 0);
    return std::min(names, kLargestChannelCount);
}

CLineBlock::CLineBlock() : m_values(new double[static_cast<size_t>(kLines) * kLargestChannelCount])
{
    lines.reserve(kLines);
}

namespace {

// Copies [begin, end) and padding bytes to the block's text as the line's text.
void KeepText(const char* begin, const char* end, size_t padding, CLineBlock& block, CBlockLine& line)
{
    line.text = static_cast<uint32_t>(block.text.size());
    line.textLength = static_cast<uint32_t>(end - begin);
    block.text.insert(block.text.end(), begin, end);
    block.text.insert(block.text.end(), padding, '\0');
}

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

// Puts a row's readings into the block's channel columns and finds their range.
void StoreReadings(const double* row, size_t index, CLineBlock& block, CBlockLine& line)
{
    for (int c = 0; c < line.readings; ++c)
        block.Channel(c)[index] = row[c];
    Range(row, line.readings, &line.low, &line.high);
}

}  // namespace

bool CBlockFiller::Fill(CLineBlock& block)
{
    block.lines.clear();
    block.text.clear();
    const char* begin = nullptr;
    const char* end = nullptr;
    while (block.lines.size() < static_cast<size_t>(CLineBlock::kLines)) {
        if (!m_reader.Next(begin, end))
            return false;
        FillLine(begin, end, block);
    }
    return true;
}

void CBlockFiller::FillLine(const char* begin, const char* end, CLineBlock& block)
{
    const char* const limit = end + CLineReader::kReadablePast;
    CFieldEdges fields;
    SplitFields(begin, end, limit, &fields);
    // Written in place: the lines are reserved, and a copy would be read back before its
    // bytes reached the cache.
    const size_t index = block.lines.size();
    CBlockLine& line = block.lines.emplace_back();
    line.fileEnd = m_reader.Consumed();
    if (m_nChannels == 0) {
        // Read by the import as the header: it splits the line again for the names.
        line.readings = CBlockLine::kHeader;
        KeepText(begin, end, CLineReader::kReadablePast, block, line);
        m_nChannels = NamedChannels(fields.count, m_nTimeColumn);
        return;
    }

    // The reading columns: those before the label's and those after it, as many as
    // there are channels.
    line.labelled = m_nTimeColumn >= 0 && m_nTimeColumn < fields.count;
    const int last = std::min(fields.count, m_nChannels + (line.labelled && m_nTimeColumn <= m_nChannels ? 1 : 0));
    const int split = line.labelled ? std::min(m_nTimeColumn, last) : last;
    line.readings = last > split ? last - 1 : last;
    const uint16_t* spans = fields.edges + (split == 0 ? 2 : 0);
    uint16_t joined[2 * kLargestChannelCount];
    if (split > 0 && split < last) {
        // The label sits between readings: the spans on both sides of it are joined.
        std::copy(fields.edges, fields.edges + 2 * split, joined);
        std::copy(fields.edges + 2 * (split + 1), fields.edges + 2 * last, joined + 2 * split);
        spans = joined;
    }
    double row[kLargestChannelCount];
    ConvertRowFields(begin, limit, spans, line.readings, row);
    StoreReadings(row, index, block, line);
    if (line.labelled)
        KeepText(begin + fields.Begin(m_nTimeColumn), begin + fields.End(m_nTimeColumn), 0, block, line);
}
