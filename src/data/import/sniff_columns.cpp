#include "data/import/sniff_columns.h"

#include "data/import/sniff_time.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

// A column is a time column when half its fields or more read as labels.
constexpr double kLabelShare = 0.5;
// Counting rows needs a few rows to tell a counter from readings.
constexpr int kCounterRows = 3;

// What the fields of one column hold, over the rows.
struct CColumnCounts {
    int filled = 0;       // fields that are not blank
    int numbers = 0;      // fields that start with a number
    int labels = 0;       // fields that read as time labels
    int dates = 0;        // labels without a time of day
    int clocks = 0;       // times of day alone
    int unixSeconds = 0;  // whole seconds since 1970
    int rises = 0;        // integers one more than the field above
    int falls = 0;        // integers one less than the field above
};

bool IsInteger(std::string_view field, long long* value)
{
    field = TrimBlanks(field);
    if (field.empty() || field.size() > 18)
        return false;
    for (const char c : field) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    *value = std::strtoll(std::string(field).c_str(), nullptr, 10);
    return true;
}

std::string Lowered(std::string_view text)
{
    std::string lowered(TrimBlanks(text));
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

// Record counters by their usual names; 序号 in UTF-8 and in GB18030.
bool IsCounterName(std::string_view name)
{
    const std::string lowered = Lowered(name);
    for (const char* counter : {"#", "no", "no.", "nr", "nr.", "record", "index", "\xE5\xBA\x8F\xE5\x8F\xB7", "\xD0\xF2\xBA\xC5"}) {
        if (lowered == counter)
            return true;
    }
    return false;
}

// A name that says the column holds times; 时间 in UTF-8 and in GB18030.
bool IsTimeName(std::string_view name)
{
    const std::string lowered = Lowered(name);
    for (const char* word : {"time", "zeit", "unix", "epoch", "\xE6\x97\xB6\xE9\x97\xB4", "\xCA\xB1\xBC\xE4"}) {
        if (lowered.find(word) != std::string::npos)
            return true;
    }
    return false;
}

std::vector<CColumnCounts> CountColumns(const std::vector<const SniffRow*>& rows, int width,
                                        CLocalTimeConverter& converter)
{
    std::vector<CColumnCounts> counts(width);
    std::vector<long long> previous(width, -1);
    for (const SniffRow* row : rows) {
        for (size_t c = 0; c < row->size(); ++c) {
            const std::string_view field = (*row)[c];
            CColumnCounts& count = counts[c];
            long long value = -1;
            if (TrimBlanks(field).empty()) {
                previous[c] = -1;
                continue;
            }
            ++count.filled;
            count.numbers += StartsWithNumber(field) ? 1 : 0;
            if (IsTimeLabel(field, converter)) {
                ++count.labels;
                count.dates += field.find(':') == std::string_view::npos ? 1 : 0;
            }
            count.clocks += IsClockTime(field) ? 1 : 0;
            count.unixSeconds += IsUnixSeconds(field) ? 1 : 0;
            const bool integer = IsInteger(field, &value);
            count.rises += integer && previous[c] >= 0 && value == previous[c] + 1 ? 1 : 0;
            count.falls += integer && previous[c] >= 0 && value + 1 == previous[c] ? 1 : 0;
            previous[c] = integer ? value : -1;
        }
    }
    return counts;
}

// The column most of whose fields read as labels, the first of equals.
int TimeColumn(const std::vector<CColumnCounts>& counts)
{
    int best = -1;
    for (int c = 0; c < static_cast<int>(counts.size()); ++c) {
        const CColumnCounts& count = counts[c];
        if (count.filled > 0 && count.labels >= kLabelShare * count.filled
            && (best < 0 || count.labels > counts[best].labels))
            best = c;
    }
    return best;
}

bool AllFilled(const CColumnCounts& count, int filledKind)
{
    return count.filled > 0 && filledKind == count.filled;
}

}  // namespace

CSniffColumns ClassifyColumns(const SniffRow& header, const std::vector<const SniffRow*>& rows,
                              CLocalTimeConverter& converter)
{
    int width = static_cast<int>(header.size());
    for (const SniffRow* row : rows)
        width = std::max(width, static_cast<int>(row->size()));
    const std::vector<CColumnCounts> counts = CountColumns(rows, width, converter);
    const auto name = [&](int c) { return c < static_cast<int>(header.size()) ? std::string_view(header[c]) : std::string_view(); };

    CSniffColumns columns;
    columns.timeColumn = TimeColumn(counts);
    const int next = columns.timeColumn + 1;
    if (columns.timeColumn >= 0 && AllFilled(counts[columns.timeColumn], counts[columns.timeColumn].dates)
        && next < width && AllFilled(counts[next], counts[next].clocks))
        columns.clockColumn = next;
    for (int c = 0; c < width && columns.timeColumn < 0; ++c) {
        if (IsTimeName(name(c)) && AllFilled(counts[c], counts[c].unixSeconds)) {
            columns.timeColumn = c;
            columns.unixSeconds = true;
        }
    }
    for (int c = 0; c < width; ++c) {
        if (c == columns.timeColumn || c == columns.clockColumn)
            continue;
        const CColumnCounts& count = counts[c];
        const bool counter = IsCounterName(name(c))
                             || (count.filled >= kCounterRows && std::max(count.rises, count.falls) == count.filled - 1);
        if (counter)
            columns.counterColumns.push_back(c);
        (counter || count.numbers == 0 ? columns.otherColumns : columns.measurementColumns).push_back(c);
    }
    return columns;
}

std::string RowLabel(const SniffRow& row, const CSniffColumns& columns)
{
    const auto field = [&](int c) { return c >= 0 && c < static_cast<int>(row.size()) ? std::string(TrimBlanks(row[c])) : std::string(); };
    if (columns.clockColumn < 0)
        return field(columns.timeColumn);
    return field(columns.timeColumn) + ' ' + field(columns.clockColumn);
}
