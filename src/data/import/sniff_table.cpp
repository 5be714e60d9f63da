#include "data/import/sniff_table.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace {

constexpr char kSeparators[] = {',', ';', '\t'};

// A column is numeric in the data when nine of ten of its fields start with a number.
constexpr double kNumericShare = 0.9;

bool HasNumber(const SniffRow& row)
{
    for (const std::string& field : row) {
        if (StartsWithNumber(field))
            return true;
    }
    return false;
}

int FirstNonBlankLine(const std::vector<SniffRow>& rows, int from)
{
    for (int i = from; i < static_cast<int>(rows.size()); ++i) {
        if (!rows[i].empty())
            return i;
    }
    return -1;
}

// The separator a "sep=X" first line names, or 0 (also for an X not among ours).
char SeparatorLine(const std::vector<std::string_view>& lines, int* line)
{
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const std::string_view text = lines[i];
        if (TrimBlanks(text).empty())
            continue;
        *line = i;
        const bool named = text.size() == 5 && text.substr(0, 4) == "sep=";
        return named && std::find(std::begin(kSeparators), std::end(kSeparators), text[4]) != std::end(kSeparators)
                   ? text[4]
                   : 0;
    }
    return 0;
}

// The number of rows with a number of each field count, two or more.
std::map<int, int> RowsOfWidth(const std::vector<SniffRow>& rows, int from)
{
    std::map<int, int> rowsOfWidth;
    for (int i = from; i < static_cast<int>(rows.size()); ++i) {
        if (rows[i].size() >= 2 && HasNumber(rows[i]))
            ++rowsOfWidth[static_cast<int>(rows[i].size())];
    }
    return rowsOfWidth;
}

int FirstRowWithNumber(const std::vector<SniffRow>& rows, int from)
{
    for (int i = from; i < static_cast<int>(rows.size()); ++i) {
        if (rows[i].size() >= 2 && HasNumber(rows[i]))
            return i;
    }
    return -1;
}

// A first line of two fields or more without a number, as wide as the widest row with
// a number, with no other line of two fields or more before the first such row: the
// header of a table whose narrower rows are short rows, however many. -1 when the
// first line is not such (a preamble "Logger,Site A" before "Time,Temp" is not).
int WidestFirstLine(const std::vector<SniffRow>& rows, int from)
{
    const std::map<int, int> rowsOfWidth = RowsOfWidth(rows, from);
    const int first = FirstNonBlankLine(rows, from);
    if (first < 0 || rowsOfWidth.empty() || static_cast<int>(rows[first].size()) != rowsOfWidth.rbegin()->first
        || HasNumber(rows[first]))
        return -1;
    const int firstData = FirstRowWithNumber(rows, first + 1);
    for (int i = first + 1; i < firstData; ++i) {
        if (rows[i].size() >= 2)
            return -1;
    }
    return first;
}

// The field count most rows with a number share, two or more; ties go to the wider.
int TableWidth(const std::vector<SniffRow>& rows, int from)
{
    int width = 0, most = 0;
    for (const auto& [count, rowCount] : RowsOfWidth(rows, from)) {
        if (rowCount >= most) {
            width = count;
            most = rowCount;
        }
    }
    return width;
}

// The first row of the given width with a number in every column where nine of ten
// such rows have one: a line of the file's preamble that merely has the table's width
// and a number ("Serial,12345") is not taken for data.
int FirstDataLine(const std::vector<SniffRow>& rows, int from, int width)
{
    std::vector<int> numbers(width, 0);
    int candidates = 0;
    for (int i = from; i < static_cast<int>(rows.size()); ++i) {
        if (static_cast<int>(rows[i].size()) != width || !HasNumber(rows[i]))
            continue;
        ++candidates;
        for (int c = 0; c < width; ++c)
            numbers[c] += StartsWithNumber(rows[i][c]) ? 1 : 0;
    }
    int firstCandidate = -1;
    for (int i = from; i < static_cast<int>(rows.size()); ++i) {
        if (static_cast<int>(rows[i].size()) != width || !HasNumber(rows[i]))
            continue;
        if (firstCandidate < 0)
            firstCandidate = i;
        bool fits = true;
        for (int c = 0; c < width && fits; ++c)
            fits = numbers[c] < kNumericShare * candidates || StartsWithNumber(rows[i][c]);
        if (fits)
            return i;
    }
    return firstCandidate;
}

// The table starts where the run of lines without a number right before the first
// data row begins (the header, then maybe units or sample kinds): at its earliest line
// of the table's width. Blank lines right before the first data row belong to the table;
// blank lines, one-field lines and lines with a number before the run are the preamble.
int HeaderLine(const std::vector<SniffRow>& rows, int firstData, int width)
{
    int header = -1, earliest = -1;
    int last = firstData - 1;
    while (last >= 0 && rows[last].empty())
        --last;
    for (int i = last; i >= 0 && rows[i].size() >= 2 && !HasNumber(rows[i]); --i) {
        earliest = i;
        if (static_cast<int>(rows[i].size()) == width)
            header = i;
    }
    if (header >= 0)
        return header;
    return earliest >= 0 ? earliest : firstData;
}

CSniffTable TableFor(const std::vector<std::string_view>& lines, char separator, int from)
{
    CSniffTable table;
    table.separator = separator;
    for (const std::string_view line : lines)
        table.rows.push_back(SplitSniffFields(line, separator));
    const int widestFirst = WidestFirstLine(table.rows, from);
    table.width = widestFirst >= 0 ? static_cast<int>(table.rows[widestFirst].size()) : TableWidth(table.rows, from);
    if (widestFirst >= 0) {
        table.headerLine = widestFirst;
        table.firstDataLine = FirstRowWithNumber(table.rows, widestFirst + 1);
    } else if (table.width > 0) {
        table.firstDataLine = FirstDataLine(table.rows, from, table.width);
        table.headerLine = std::max(from, HeaderLine(table.rows, table.firstDataLine, table.width));
    } else {
        table.headerLine = std::max(0, FirstNonBlankLine(table.rows, from));
    }
    return table;
}

// Data rows of the table's width, and a header line of that width before them: a
// separator that also splits the header the same way wins.
int Score(const CSniffTable& table)
{
    if (table.firstDataLine < 0)
        return 0;
    int score = table.headerLine < table.firstDataLine
                        && static_cast<int>(table.rows[table.headerLine].size()) == table.width
                    ? 1
                    : 0;
    for (size_t i = table.firstDataLine; i < table.rows.size(); ++i) {
        if (static_cast<int>(table.rows[i].size()) == table.width && HasNumber(table.rows[i]))
            ++score;
    }
    return score;
}

}  // namespace

CSniffTable FindTable(const std::vector<std::string_view>& lines)
{
    int sepLine = -1;
    if (const char named = SeparatorLine(lines, &sepLine)) {
        CSniffTable table = TableFor(lines, named, sepLine + 1);
        table.separatorLine = true;
        return table;
    }
    CSniffTable best = TableFor(lines, kSeparators[0], 0);
    for (size_t k = 1; k < sizeof kSeparators; ++k) {
        CSniffTable table = TableFor(lines, kSeparators[k], 0);
        const int score = Score(table), bestScore = Score(best);
        if (score > bestScore || (score == bestScore && score > 0 && table.width > best.width))
            best = std::move(table);
    }
    return best;
}
