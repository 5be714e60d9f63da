// SniffDialect: the encoding first, then the table's separator and header on the
// decoded text, then what the columns and the lines after the header hold.
#include "data/import/dialect.h"
#include "data/import/sniff_columns.h"
#include "data/import/sniff_encoding.h"
#include "data/import/sniff_table.h"
#include "data/import/sniff_time.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

// Whether any of the columns the row has holds a field the test is true of.
template <class Test>
bool AnyIn(const std::string_view* fields, int count, const std::vector<int>& columns, Test test)
{
    for (const int c : columns) {
        if (c >= count)
            break;
        if (test(fields[c]))
            return true;
    }
    return false;
}

bool HasNumberIn(const std::string_view* fields, int count, const std::vector<int>& columns)
{
    return AnyIn(fields, count, columns, StartsWithNumber);
}

bool HasWords(const std::string_view* fields, int count, const std::vector<int>& columns)
{
    return AnyIn(fields, count, columns, IsWords);
}

bool HasTimeLabel(const std::string_view* fields, int count, const CDialect& dialect)
{
    if (dialect.timeColumn < 0 || dialect.timeColumn >= count)
        return false;
    if (dialect.unixSeconds)
        return IsUnixSeconds(fields[dialect.timeColumn]);
    std::string label(TrimBlanks(fields[dialect.timeColumn]));
    if (dialect.clockColumn >= 0 && dialect.clockColumn < count)
        label += ' ' + std::string(TrimBlanks(fields[dialect.clockColumn]));
    TimeValue t = 0;
    CLocalTimeConverter converter;
    return ReadSniffLabel(label, dialect.dayMonthOrder, converter, &t);
}

bool RowIsData(const SniffRow& row, const CDialect& dialect)
{
    std::vector<std::string_view> fields(row.begin(), row.end());
    return IsDataRow(fields.data(), static_cast<int>(fields.size()), dialect);
}

bool RowHasWords(const SniffRow& row, const std::vector<int>& columns)
{
    std::vector<std::string_view> fields(row.begin(), row.end());
    return HasWords(fields.data(), static_cast<int>(fields.size()), columns);
}

// The mark of a reading written as digits, one mark and digits (21,5 or 21.5), else 0.
char DecimalMarkOf(std::string_view field)
{
    field = TrimBlanks(field);
    if (!field.empty() && (field.front() == '-' || field.front() == '+'))
        field.remove_prefix(1);
    const size_t mark = field.find_first_of(".,");
    const auto digits = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), [](unsigned char c) { return std::isdigit(c); });
    };
    if (mark == std::string_view::npos || !digits(field.substr(0, mark)) || !digits(field.substr(mark + 1)))
        return 0;
    return field[mark];
}

// Readings such as 21,5 outnumber readings such as 21.5.
bool UsesDecimalComma(const std::vector<const SniffRow*>& rows, const std::vector<int>& columns)
{
    int commas = 0, points = 0;
    for (const SniffRow* row : rows) {
        for (const int c : columns) {
            if (c >= static_cast<int>(row->size()))
                break;
            const char mark = DecimalMarkOf((*row)[c]);
            commas += mark == ',' ? 1 : 0;
            points += mark == '.' ? 1 : 0;
        }
    }
    return commas > points;
}

// The rows after the header with two fields or more and a number: the data rows,
// and the odd event among them, from which the columns are judged.
std::vector<const SniffRow*> RowsWithNumbers(const CSniffTable& table)
{
    std::vector<const SniffRow*> rows;
    for (size_t i = table.headerLine + 1; i < table.rows.size(); ++i) {
        const SniffRow& row = table.rows[i];
        if (row.size() >= 2 && std::any_of(row.begin(), row.end(), [](const std::string& f) { return StartsWithNumber(f); }))
            rows.push_back(&row);
    }
    return rows;
}

// The day/month order of the labels and the order in which they run.
void FindLabelOrders(const std::vector<std::string>& labels, CLocalTimeConverter& converter, CDialect* dialect)
{
    std::vector<TimeValue> times;
    if (dialect->unixSeconds) {
        for (const std::string& label : labels) {
            if (IsUnixSeconds(label))
                times.push_back(std::stoll(label));
        }
    } else if (dialect->timeColumn >= 0) {
        dialect->dayMonthOrder = DecideDayMonthOrder(std::vector<std::string_view>(labels.begin(), labels.end()));
        times = LabelTimes(labels, dialect->dayMonthOrder, converter);
    }
    dialect->timeOrder = TimeOrderOf(times);
}

std::vector<int> NonDataLines(const CSniffTable& table, const CDialect& dialect)
{
    std::vector<int> lines;
    for (size_t i = table.headerLine + 1; i < table.rows.size(); ++i) {
        if (!table.rows[i].empty() && !RowIsData(table.rows[i], dialect))
            lines.push_back(static_cast<int>(i));
    }
    return lines;
}

// The recorder writes a comma-separated table whose header is its first line, with
// no quotes, no column headed as a record counter (a channel whose readings happen to
// step by one stays a recorder's channel), no label that reads as a date but with the
// year first (a made-up label that reads as no date tells nothing), and no line after
// the header with words among the readings (units, sample kinds, events). Its rows may
// be short, hold a label alone or missing readings alone (nan, inf, ----, OVER).
bool IsRecorderFormat(const CDialect& dialect, const CSniffTable& table, const CSniffColumns& columns,
                      std::string_view text, const std::vector<std::string>& labels, CLocalTimeConverter& converter)
{
    if (dialect.encoding != FileEncoding::Utf8 && dialect.encoding != FileEncoding::Gb18030)
        return false;
    const auto firstLine = std::find_if(table.rows.begin(), table.rows.end(), [](const SniffRow& row) { return !row.empty(); });
    if (firstLine == table.rows.end())
        return true;
    if (table.separator != ',' || table.separatorLine || firstLine - table.rows.begin() != dialect.headerLine)
        return false;
    if (text.find('"') != std::string_view::npos || !columns.namedCounters.empty())
        return false;
    if (std::any_of(dialect.nonDataLines.begin(), dialect.nonDataLines.end(),
                    [&](int line) { return RowHasWords(table.rows[line], dialect.measurementColumns); }))
        return false;
    if (dialect.clockColumn >= 0 || dialect.unixSeconds)
        return false;
    return std::all_of(labels.begin(), labels.end(), [&](const std::string& label) {
        return label.empty() || IsYearFirstLabel(label) || !IsTimeLabel(label, converter);
    });
}

// The recorder's rules make a channel of every name in the header but the time
// column's, whatever its readings, and a data row of every line after the header.
void ReadAsRecorderChannels(const SniffRow& header, CDialect* dialect)
{
    dialect->nonDataLines.clear();
    dialect->measurementColumns.clear();
    dialect->otherColumns.clear();
    for (int c = 0; c < static_cast<int>(header.size()); ++c) {
        if (c != dialect->timeColumn)
            dialect->measurementColumns.push_back(c);
    }
}

}  // namespace

bool IsDataRow(const std::string_view* fields, int count, const CDialect& dialect)
{
    if (dialect.recorderFormat || HasNumberIn(fields, count, dialect.measurementColumns))
        return true;
    return HasTimeLabel(fields, count, dialect) && !HasWords(fields, count, dialect.measurementColumns);
}

CDialect SniffDialect(const char* bytes, size_t length)
{
    CDialect dialect;
    dialect.encoding = SniffEncoding(bytes, length);
    const std::string text = SniffText(bytes, length, dialect.encoding);
    const CSniffTable table = FindTable(SplitSniffLines(text, length >= kSniffBytes));
    dialect.separator = table.separator;
    dialect.headerLine = table.headerLine;
    if (table.rows.empty())
        return dialect;

    const std::vector<const SniffRow*> rows = RowsWithNumbers(table);
    CLocalTimeConverter converter;
    const CSniffColumns columns = ClassifyColumns(table.rows[table.headerLine], rows, converter);
    dialect.timeColumn = columns.timeColumn;
    dialect.clockColumn = columns.clockColumn;
    dialect.unixSeconds = columns.unixSeconds;
    dialect.measurementColumns = columns.measurementColumns;
    dialect.otherColumns = columns.otherColumns;
    if (table.separator != ',' && UsesDecimalComma(rows, columns.measurementColumns))
        dialect.decimalMark = ',';

    std::vector<std::string> labels;
    for (const SniffRow* row : rows)
        labels.push_back(RowLabel(*row, columns));
    FindLabelOrders(labels, converter, &dialect);

    // The lines after the header judged as another logger's file would be.
    dialect.recorderFormat = false;
    dialect.nonDataLines = NonDataLines(table, dialect);
    dialect.recorderFormat = IsRecorderFormat(dialect, table, columns, text, labels, converter);
    if (dialect.recorderFormat)
        ReadAsRecorderChannels(table.rows[table.headerLine], &dialect);
    return dialect;
}
