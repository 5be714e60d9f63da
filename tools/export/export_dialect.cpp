// The dialect in the --info summary: how the file was found to be written, its line
// and column numbers counted from 1 as an editor and the settings count them.
#include "data/import/dialect.h"
#include "data/import/import_limits.h"
#include "export_session.h"
#include "json_writer.h"


namespace {

const char* EncodingName(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf8: return "UTF-8";
    case FileEncoding::Gb18030: return "GB18030";
    case FileEncoding::Windows1252: return "Windows-1252";
    case FileEncoding::Utf16LE: return "UTF-16LE";
    case FileEncoding::Utf16BE: return "UTF-16BE";
    }
    return "";
}

const char* SeparatorName(char separator)
{
    return separator == '\t' ? "tab" : separator == ';' ? "semicolon" : "comma";
}

void NumberOrNull(CJsonWriter* json, const char* key, int zeroBased)
{
    json->Key(key);
    zeroBased >= 0 ? json->Integer(zeroBased + 1) : json->Null();
}

void Numbers(CJsonWriter* json, const char* key, const std::vector<int>& zeroBased)
{
    json->Key(key);
    json->BeginArray();
    for (const int n : zeroBased)
        json->Integer(n + 1);
    json->EndArray();
}

// Neither time nor measurements, and the measurements beyond the channel cap.
std::vector<int> ColumnsLeftOut(const CDialect& dialect)
{
    std::vector<int> left = dialect.otherColumns;
    for (size_t i = kLargestChannelCount; i < dialect.measurementColumns.size(); ++i)
        left.push_back(dialect.measurementColumns[i]);
    return left;
}

}  // namespace

void WriteDialectJson(const CDialect& dialect, CJsonWriter* json)
{
    json->BeginObject();
    json->Key("encoding");
    json->String(EncodingName(dialect.encoding));
    json->Key("separator");
    json->String(SeparatorName(dialect.separator));
    json->Key("decimal_mark");
    json->String(std::string(1, dialect.decimalMark));
    json->Key("recorder_format");
    json->Integer(dialect.recorderFormat ? 1 : 0);
    NumberOrNull(json, "header_line", dialect.headerLine);
    std::vector<int> before;
    for (int line = 0; line < dialect.headerLine; ++line)
        before.push_back(line);
    Numbers(json, "skipped_lines", before);
    Numbers(json, "non_data_lines", dialect.nonDataLines);
    NumberOrNull(json, "time_column", dialect.timeColumn);
    NumberOrNull(json, "clock_column", dialect.clockColumn);
    json->Key("unix_seconds");
    json->Integer(dialect.unixSeconds ? 1 : 0);
    json->Key("day_month_order");
    json->String(dialect.dayMonthOrder == DayMonthOrder::DayFirst ? "day-first" : "month-first");
    json->Key("time_order");
    dialect.timeOrder < 0 ? json->Null() : json->String(dialect.timeOrder == 0 ? "ascending" : "descending");
    Numbers(json, "measurement_columns", dialect.measurementColumns);
    Numbers(json, "columns_left_out", ColumnsLeftOut(dialect));
    json->EndObject();
}
