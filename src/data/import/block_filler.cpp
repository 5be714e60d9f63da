#include "data/import/block_filler.h"

#include "data/import/row_conversion.h"

#include <algorithm>
#include <cmath>

std::vector<int> ChannelColumns(const CLineRules& rules, int fieldCount)
{
    if (rules.headerLine >= 0)
        return rules.channelColumns;
    std::vector<int> columns;
    for (int field = 0; field < fieldCount; ++field) {
        if (field != rules.timeColumn && field != rules.clockColumn)
            columns.push_back(field);
    }
    return columns;
}

bool HasLabels(const CLineRules& rules, int fieldCount)
{
    return rules.timeColumn >= 0 && (rules.headerLine >= 0 || rules.timeColumn < fieldCount);
}

CLineBlock::CLineBlock() : m_values(new double[static_cast<size_t>(kLines) * kLargestChannelCount])
{
    lines.reserve(kLines);
}

namespace {

// Appends [begin, end) and padding bytes to the block's text as (part of) the line's text.
void KeepText(const char* begin, const char* end, size_t padding, CLineBlock& block, CBlockLine& line)
{
    if (line.textLength == 0)
        line.text = static_cast<uint32_t>(block.text.size());
    line.textLength += static_cast<uint32_t>(end - begin);
    block.text.insert(block.text.end(), begin, end);
    block.text.insert(block.text.end(), padding, '\0');
}

// Keeps the row's time label: its field, or the date and time fields joined by a
// blank; empty when the row has neither.
void KeepLabel(const CFieldEdges& fields, const CLineRules& rules, CLineBlock& block, CBlockLine& line)
{
    line.text = static_cast<uint32_t>(block.text.size());
    for (int field : {rules.timeColumn, rules.clockColumn}) {
        if (field < 0 || field >= fields.count || fields.Begin(field) == fields.End(field))
            continue;
        if (line.textLength > 0)
            KeepText(" ", " " + 1, 0, block, line);
        KeepText(fields.text + fields.Begin(field), fields.text + fields.End(field), 0, block, line);
    }
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
void StoreReadings(const double* row, int count, size_t index, CLineBlock& block, CBlockLine& line)
{
    for (int c = 0; c < count; ++c)
        block.Channel(c)[index] = row[c];
    Range(row, count, &line.low, &line.high);
}

}  // namespace

void CBlockFiller::SetRules(const CLineRules& rules)
{
    m_rules = rules;
    m_splitter = CFieldSplitter(rules.separator);
    m_reader.SetLines(rules.pieceChars, rules.separator);
}

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

// Whether the line after the header is one the rules name as holding no data.
bool CBlockFiller::NotData(uint64_t line)
{
    const std::vector<int>& lines = m_rules.nonDataLines;
    while (m_nNextNotData < lines.size() && static_cast<uint64_t>(lines[m_nNextNotData]) < line)
        ++m_nNextNotData;
    return m_nNextNotData < lines.size() && static_cast<uint64_t>(lines[m_nNextNotData]) == line;
}

// Whether a line past the sniffed bytes, of a file not in the recorder's format, is a
// data row (the sniff named the lines without data before it).
bool CBlockFiller::IsData(const CFieldEdges& fields)
{
    m_fields.clear();
    for (int i = 0; i < fields.count; ++i)
        m_fields.emplace_back(fields.text + fields.Begin(i), static_cast<size_t>(fields.End(i) - fields.Begin(i)));
    return IsDataRow(m_fields.data(), fields.count, m_rules.dialect);
}

void CBlockFiller::TakeHeader(const CFieldEdges& fields)
{
    m_columns = ChannelColumns(m_rules, fields.count);
    if (m_columns.size() > static_cast<size_t>(kLargestChannelCount))
        m_columns.resize(kLargestChannelCount);
    m_bLabelled = HasLabels(m_rules, fields.count);
    m_bHeaderRead = true;
}

void CBlockFiller::FillLine(const char* begin, const char* end, CLineBlock& block)
{
    const char* const limit = end + CLineReader::kReadablePast;
    // Written in place: the lines are reserved, and a copy would be read back before its
    // bytes reached the cache.
    const size_t index = block.lines.size();
    CBlockLine& line = block.lines.emplace_back();
    line.fileEnd = m_reader.Consumed();
    const uint64_t number = m_nLine++;
    if (!m_bHeaderRead && m_rules.headerLine >= 0 && number < static_cast<uint64_t>(m_rules.headerLine))
        return;  // skipped: before the header line
    if (m_bHeaderRead && NotData(number))
        return;
    CFieldEdges fields;
    m_splitter.Split(begin, end, limit, &fields);
    if (!m_bHeaderRead) {
        // Read by the import as the header, or kept for its encoding: it splits the
        // header again for the names.
        KeepText(begin, end, CLineReader::kReadablePast, block, line);
        line.kind = m_rules.headerLine >= 0 || !ChannelColumns(m_rules, fields.count).empty() ? CBlockLine::kHeader
                                                                                                : CBlockLine::kBeforeHeader;
        if (line.kind == CBlockLine::kHeader)
            TakeHeader(fields);
        return;
    }
    if (fields.count == 0 || m_columns.empty())
        return;  // a blank line, or a file without channels: no data row
    const bool sniffed = line.fileEnd - static_cast<uint64_t>(end - begin) < kSniffBytes;
    if (!sniffed && !m_rules.dialect.recorderFormat && !IsData(fields))
        return;
    line.kind = CBlockLine::kData;
    double row[kLargestChannelCount];
    const int channels = static_cast<int>(m_columns.size());
    ConvertRowFields(fields, m_columns.data(), channels, m_rules.decimalMark, row);
    StoreReadings(row, channels, index, block, line);
    if (m_bLabelled)
        KeepLabel(fields, m_rules, block, line);
}
