// The import applies a file's dialect: separator, decimal mark, quotes, header line,
// lines without data, time column(s), encoding, measurement columns and their cap, and
// the automatic settings. Dialects are built here, not sniffed; bytes come from memory.
#include "data/import/csv_import.h"
#include "data/transfer_messages.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr double kMissing = -999.0;  // a missing reading (NaN) in the expectations

CDialect Sniffed(char separator, int headerLine, int timeColumn, std::vector<int> measurements)
{
    CDialect dialect;
    dialect.recorderFormat = false;
    dialect.separator = separator;
    dialect.headerLine = headerLine;
    dialect.timeColumn = timeColumn;
    dialect.measurementColumns = std::move(measurements);
    return dialect;
}

std::string Utf16LE(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST(ImportDataset, AppliesTheDialect)
{
    CDialect comma = Sniffed(';', 0, 0, {1, 2});
    comma.decimalMark = ',';
    CDialect units = Sniffed(',', 2, 0, {1, 2});
    units.nonDataLines = {3, 5};
    CDialect twoColumns = Sniffed('\t', 0, 1, {3});
    twoColumns.clockColumn = 2;
    CDialect utf16;
    utf16.encoding = FileEncoding::Utf16LE;
    utf16.timeColumn = 0;
    CDialect western;
    western.encoding = FileEncoding::Windows1252;
    western.timeColumn = 0;
    std::string wide = "T";
    std::string wideRow = "L";
    for (int c = 1; c <= 18; ++c) {
        wide += ",C" + std::to_string(c);
        wideRow += "," + std::to_string(c);
    }
    std::vector<int> wideColumns;
    for (int c = 1; c <= 18; ++c)
        wideColumns.push_back(c);
    const struct {
        const char* name;
        CDialect dialect;
        std::string bytes;
        std::vector<std::string> names;
        std::vector<std::string> labels;
        std::vector<std::vector<double>> samples;
    } cases[] = {
        {"semicolons, decimal commas, quoted labels", comma,
         "\"Zeit\";\"T1\";\"Feuchte; %\"\r\n\"19.04.2019 11:04:11\";21,5;40,1\r\n\"19.04.2019 11:04:12\";\"-0,5\";OVER\r\n",
         {"T1", "Feuchte; %"}, {"19.04.2019 11:04:11", "19.04.2019 11:04:12"}, {{21.5, -0.5}, {40.1, kMissing}}},
        {"preamble, units row and a trailer", units,
         "Logger 7\nSerial,123\nTime,T,RH\n,C,%\n2019-04-19 11:04:11,21.5,40\nEnd of file\n2019-04-19 11:04:12,,41\n",
         {"T", "RH"}, {"2019-04-19 11:04:11", "2019-04-19 11:04:12"}, {{21.5, kMissing}, {40, 41}}},
        {"record counter, date and time in two columns", twoColumns,
         "#\tDate\tTime\tT\n1\t2019/04/19\t11:04:11\t5\n2\t2019/04/19\t\t6\n", {"T"},
         {"2019/04/19 11:04:11", "2019/04/19"}, {{5, 6}}},
        {"UTF-16 with its byte-order mark", utf16, Utf16LE(u"Time,\u00B5m \U0001F600\r\nL,1\r\n"),
         {"\xC2\xB5m \xF0\x9F\x98\x80"}, {"L"}, {{1}}},
        {"Windows-1252 names", western, "Time,Temp \xB0" "C\nL,1\n", {"Temp \xC2\xB0" "C"}, {"L"}, {{1}}},
        {"more than 16 measurement columns", Sniffed(',', 0, 0, wideColumns), wide + "\n" + wideRow + "\n",
         {"C1", "C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9", "C10", "C11", "C12", "C13", "C14", "C15", "C16"},
         {"L"}, {{1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}, {9}, {10}, {11}, {12}, {13}, {14}, {15}, {16}}},
    };
    for (const auto& c : cases) {
        CImportSettings settings;
        settings.timeColumn = kAutomaticChoice;
        const CImportResult imported =
            ImportDataset(CByteSource::Memory(c.bytes.data(), c.bytes.size()), c.dialect, settings, CImportControl());
        ASSERT_EQ(imported.result, LOAD_FINISHED) << c.name;
        std::vector<std::string> names, labels;
        for (const QString& name : imported.dataset.names)
            names.push_back(name.toStdString());
        for (size_t i = 0; i < imported.dataset.labels.size(); ++i)
            labels.push_back(imported.dataset.labels.GetAt(i));
        std::vector<std::vector<double>> samples = imported.dataset.samples;
        for (auto& channel : samples)
            for (double& v : channel)
                v = std::isnan(v) ? kMissing : v;
        EXPECT_EQ(names, c.names) << c.name;
        EXPECT_EQ(labels, c.labels) << c.name;
        EXPECT_EQ(samples, c.samples) << c.name;
        EXPECT_EQ(imported.leftOutColumns, c.dialect.measurementColumns.size() > 16 ? 2 : 0) << c.name;
    }
}

TEST(ImportDataset, AutomaticSettingsTakeTheDialectsColumnAndOrder)
{
    const std::string csv = "N,Time,A\n1,2024/05/06 12:00:01,5\n2,2024/05/06 12:00:00,6\n";
    CDialect dialect;
    dialect.timeColumn = 1;
    dialect.timeOrder = 1;
    const struct {
        int timeColumn, timeOrder;
        std::vector<std::string> names;
        int order;
    } cases[] = {
        {kAutomaticChoice, kAutomaticChoice, {"N", "A"}, 1},
        {0, kAutomaticChoice, {"Time", "A"}, 1},  // an explicit column rules
        {kAutomaticChoice, 0, {"N", "A"}, 0},     // an explicit order rules
    };
    for (const auto& c : cases) {
        CImportSettings settings;
        settings.timeColumn = c.timeColumn;
        settings.timeOrder = c.timeOrder;
        const CImportResult imported =
            ImportDataset(CByteSource::Memory(csv.data(), csv.size()), dialect, settings, CImportControl());
        std::vector<std::string> names;
        for (const QString& name : imported.dataset.names)
            names.push_back(name.toStdString());
        EXPECT_EQ(names, c.names) << c.timeColumn;
        EXPECT_EQ(imported.timeOrder, c.order) << c.timeOrder;
    }
}

}  // namespace
