// Files of four families through trandor-export as a user opens them, without a
// settings file (the time column and order found in each file): the channels, the
// labels and the read-out of the first row.
#include "tool_runner.h"

#include <gtest/gtest.h>

namespace {

using ExportFamiliesTest = ToolFixture;

TEST_F(ExportFamiliesTest, EachFamilyReadsRightAsOpened)
{
    const struct {
        const char* name;
        std::string bytes;
        QStringList channels;
        const char* readout;
    } cases[] = {
        {"semicolons with decimal commas",
         "\"Zeit\";\"T1\";\"RH\"\r\n\"2024-05-06 08:00:00\";21,5;40,1\r\n\"2024-05-06 08:00:01\";21,6;40,2\r\n",
         {"T1", "RH"}, "[2024-05-06 08:00:00] T1:21.50, RH:40.10"},
        {"preamble and units row",
         "Logger 7\nSerial No,12345\nTime,T,RH\n,C,%RH\n2024/05/06 08:00:00,21.5,40\n2024/05/06 08:00:01,21.6,41\n",
         {"T", "RH"}, "[2024/05/06 08:00:00] T:21.50, RH:40.00"},
        {"quoted names and readings",
         "\"Time\",\"Temp, C\",\"RH\"\n\"2024/05/06 08:00:00\",\"21.5\",\"40\"\n\"2024/05/06 08:00:01\",\"21.6\",\"41\"\n",
         {"Temp, C", "RH"}, "[2024/05/06 08:00:00] Temp, C:21.50, RH:40.00"},
        {"recorder file with ---- and empty fields",
         "Time,T1,T2,RH\n2024/05/06 08:00:00,21.5,----,40\n2024/05/06 08:00:01,,22.0,41\n",
         {"T1", "T2", "RH"}, "[2024/05/06 08:00:00] T1:21.50, T2:--, RH:40.00"},
    };
    for (const auto& c : cases) {
        const QJsonObject info = Info(dir.Write("family.csv", c.bytes), {"--cursor", "0"});
        EXPECT_EQ(Strings(info["channels"]), c.channels) << c.name;
        EXPECT_EQ(info["labels"].toInt(), 2) << c.name;
        EXPECT_EQ(info["readout"].toString().toStdString(), c.readout) << c.name;
    }
}

}  // namespace
