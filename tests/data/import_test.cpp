// The file import through the real worker: format rules, ranges, the query filter,
// the size refusal.
#include "data/transfer_messages.h"
#include "data_fixture.h"
#include "support/local_time.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <limits>
#include <unistd.h>

namespace {

using Channels = std::vector<CSampleArray>;

std::vector<std::string> LabelList(const CLabelStore& labels)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < labels.size(); ++i)
        out.push_back(labels.GetAt(i));
    return out;
}

// Writes a file of the given size: the text, then zero bytes up to the size (sparse).
std::string SizedFile(const TempDir& dir, const std::string& text, off_t size)
{
    const std::string path = dir.Write("sized.csv", text);
    EXPECT_EQ(truncate(path.c_str(), size), 0);
    return path;
}

// A missing reading (NaN) as the samples compare.
constexpr double kMissing = -999.0;

Channels MissingMarked(Channels channels)
{
    for (CSampleArray& channel : channels)
        for (double& v : channel)
            v = std::isnan(v) ? kMissing : v;
    return channels;
}

TEST_F(DataManagerTest, FieldsColumnsAndHeaders)
{
    const std::string header20 = "Time,A1,A2,A3,A4,A5,A6,A7,A8,A9,A10,A11,A12,A13,A14,A15,A16,A17,A18,A19,A20\n";
    const struct {
        const char* name;
        int timeColumn;
        std::string csv;
        std::vector<std::string> names;
        std::vector<std::string> labels;
        Channels samples;
    } cases[] = {
        {"empty fields are fields", 1,
         "Time,T1,T2,RH\r\n2024/05/06 12:00:00,21.5,22.0,40\r\n2024/05/06 12:00:10,21.6,,41\r\n",
         {"T1", "T2", "RH"},
         {"2024/05/06 12:00:00", "2024/05/06 12:00:10"},
         {{21.5, 21.6}, {22.0, kMissing}, {40, 41}}},
        {"time in the third column", 3, "A,B,Time,C\n1,2,L1,3\n4,5,L2,6\n", {"A", "B", "C"}, {"L1", "L2"},
         {{1, 4}, {2, 5}, {3, 6}}},
        {"column 0 means no labels", 0, "A,B\n1,2\n", {"A", "B"}, {}, {{1}, {2}}},
        {"column beyond the header means no labels", 9, "A,B\n1,2\n", {"A", "B"}, {}, {{1}, {2}}},
        {"lines without a name before the header", 1, "\n,,\nTime\nTime,A\nL,7\n", {"A"}, {"L"}, {{7}}},
        {"an empty name takes the default name", 1, "Time,,B,\nL,1,2\n", {"\xE9\x80\x9A\xE9\x81\x93" "01", "B"}, {"L"},
         {{1}, {2}}},
        {"quoted fields", 1, "T,\"a,b\"\n\"L,1\",\"1.5\"\n", {"a,b"}, {"L,1"}, {{1.5}}},
        {"readings without a number are missing", 1, "T,A,B,C,D,E\nL,abc, 3.25,1e2x,----,OVER\n",
         {"A", "B", "C", "D", "E"}, {"L"}, {{kMissing}, {3.25}, {100}, {kMissing}, {kMissing}}},
        {"short rows miss their last readings", 1, "T,A,B\nL1,1\nL2,2,3\nL3\n,4\n", {"A", "B"},
         {"L1", "L2", "L3", ""}, {{1, 2, kMissing, 4}, {kMissing, 3, kMissing, kMissing}}},
        {"blank data rows add nothing", 1, "T,A\n\nL,1\n,,\n", {"A"}, {"L"}, {{1}}},
        {"zero byte ends the line", 1, std::string("T,A\nL,5\0,6\n", 11), {"A"}, {"L"}, {{5}}},
        {"byte-order mark", 1, "\xEF\xBB\xBFTime,A\nL,1\n", {"A"}, {"L"}, {{1}}},
    };
    for (const auto& c : cases) {
        Settings(0, c.timeColumn);
        EXPECT_EQ(Load(dir.Write("f.csv", c.csv)), LOAD_FINISHED) << c.name;
        EXPECT_EQ(Names(), c.names) << c.name;
        EXPECT_EQ(LabelList(Labels()), c.labels) << c.name;
        EXPECT_EQ(MissingMarked(Samples()), c.samples) << c.name;
        EXPECT_EQ(manager->GetChannelCount(), static_cast<int>(c.names.size())) << c.name;
    }

    Settings(0, 1);
    Load(dir.Write("wide.csv", header20 + "L,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20\n"));
    ASSERT_EQ(Names().size(), 16u);
    EXPECT_EQ(Names().back(), "A16");
    EXPECT_EQ(Samples().back(), CSampleArray{16});
    EXPECT_EQ(manager->GetLeftOutColumns(), 4);
}

// Only regular files are read: anything else is unreadable at once, whether or not
// it would ever end (a FIFO without a writer, a link to /dev/zero). A file without a
// channel or a data row, or one whose reading fails, is not loaded either: the
// manager stays empty.
TEST_F(DataManagerTest, FilesWithoutChannels)
{
    const std::string fifo = dir.Path("fifo.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = dir.Path("zero.csv");
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    const struct {
        const char* name;
        std::string path;
        intptr_t result;
    } cases[] = {
        {"missing file", dir.Path("missing.csv"), LOAD_UNREADABLE},
        {"empty file", dir.Write("empty.csv", ""), LOAD_NO_DATA},
        {"blank lines", dir.Write("blank.csv", "\n\r\n\n"), LOAD_NO_DATA},
        {"header without data", dir.Write("header.csv", "Time,A,B\n"), LOAD_NO_DATA},
        {"a failed read", "/proc/self/mem", LOAD_READ_ERROR},
        {"a folder", dir.Path(""), LOAD_UNREADABLE},
        {"a FIFO without a writer", fifo, LOAD_UNREADABLE},
        {"a link to an endless device", zero, LOAD_UNREADABLE},
        {"a character device", "/dev/null", LOAD_UNREADABLE},
    };
    const int pageCount = PageWindow().count;
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.path), c.result) << c.name;
        EXPECT_EQ(manager->GetChannelCount(), 0) << c.name;
        EXPECT_TRUE(Samples().empty()) << c.name;
        EXPECT_EQ(PageWindow().count, pageCount) << c.name;
    }
}

TEST_F(DataManagerTest, LongLinesAreReadInPieces)
{
    // A 3000-character line comes in pieces of 1279, 1279 and 442 characters, each a row.
    const std::string line = "L," + std::string(2996, '1') + ",2";
    Load(dir.Write("long.csv", "Time,A\n" + line + "\n"));
    EXPECT_EQ(LabelList(Labels()), (std::vector<std::string>{"L", std::string(1279, '1'), std::string(440, '1')}));
    EXPECT_EQ(MissingMarked(Samples()), (Channels{{std::numeric_limits<double>::infinity(), kMissing, 2}}));
}

// The value range is observed through the automatic axis built from it: whole tens
// around the data with a ten of margin below.
TEST_F(DataManagerTest, ValueRangeFromEveryReading)
{
    const struct {
        const char* name;
        std::string csv;
        double axisMin, axisMax;
    } cases[] = {
        {"first row starts the range", "T,A,B,C\nL,5,1,9\n", -10, 10},
        {"later rows widen it", "T,A,B\nL,5,6\nL,-2,30\n", -10, 40},
        {"a blank line is no data row", "T,A\n\nL,15\nL,17\n", 0, 20},
        {"missing readings never enter", "T,A,B\nL,----,14\nL,,16\n", 0, 20},
        {"not-a-number never enters", "T,A,B\nL,nan,14\nL,nan,16\n", 0, 20},
        {"not-a-number alone", "T,A\nL,nan\n", -10, 10},
        {"readings beyond the channels do not count", "T,A\nL,11,500\n", 0, 20},
        {"infinite readings give a defined axis", "T,A\nL,-inf\nL,inf\n", -2147483650.0, 2147483650.0},
        {"readings beyond 32 bits", "T,A\nL,-1e12\nL,1e15\n", -2147483650.0, 2147483650.0},
    };
    for (const auto& c : cases) {
        Load(dir.Write("range.csv", c.csv));
        Prepare();
        double axisMin, axisMax;
        manager->GetAxisRange(&axisMin, &axisMax);
        EXPECT_EQ(axisMin, c.axisMin) << c.name;
        EXPECT_EQ(axisMax, c.axisMax) << c.name;
    }
}

TEST_F(DataManagerTest, QueryKeepsRowsInsideBothEnds)
{
    const std::string csv =
        "Time,A\n"
        "2024/05/06 09:59:59,-50\n"
        "2024/05/06 10:00:00,1\n"
        "not a time,2\n"
        "2024/05/06 10:59:59,3\n"
        "2024/05/06 11:00:00,80\n";
    Load(dir.Write("query.csv", csv));
    const TimeValue start = LocalTime(2024, 5, 6, 10, 0, 0);
    const TimeValue end = LocalTime(2024, 5, 6, 10, 59, 59);
    EXPECT_EQ(QueryLoad(start, end, false), LOAD_FINISHED);
    EXPECT_EQ(LabelList(Labels()),
              (std::vector<std::string>{"2024/05/06 10:00:00", "not a time", "2024/05/06 10:59:59"}));
    EXPECT_EQ(Samples()[0], (CSampleArray{1, 2, 3}));
    // Dropped rows still widen the time and value ranges.
    TimeValue first, last;
    manager->GetTimeRange(&first, &last);
    EXPECT_EQ(first, LocalTime(2024, 5, 6, 9, 59, 59));
    EXPECT_EQ(last, LocalTime(2024, 5, 6, 11, 0, 0));
    double low, high;
    ASSERT_TRUE(manager->GetDataRange(&low, &high));
    EXPECT_EQ(low, -50);
    EXPECT_EQ(high, 80);
    Prepare();
    double axisMin, axisMax;
    manager->GetAxisRange(&axisMin, &axisMax);
    EXPECT_EQ(axisMin, -60);
    EXPECT_EQ(axisMax, 90);

    // A plain load switches the query off again.
    Load(dir.Path("query.csv"));
    EXPECT_EQ(Samples()[0].size(), 5u);
}

// Thousands of rows with short rows and rows outside the query scattered among them:
// every channel keeps its readings in file order, a missing one where a row is short.
TEST_F(DataManagerTest, LongFilesKeepEveryReadingInOrder)
{
    std::string csv = "Time,A,B,C\n";
    Channels expected(3);
    std::vector<std::string> labels;
    const TimeValue start = LocalTime(2024, 5, 6, 0, 0, 0);
    for (int r = 0; r < 5000; ++r) {
        char label[32];
        std::snprintf(label, sizeof label, "2024/05/06 %02d:%02d:%02d", r / 3600, r / 60 % 60, r % 60);
        const bool outside = r % 997 == 5;      // a second before the query's start
        const int readings = r % 701 == 3 ? 1 : 3;  // a short row now and then
        csv += outside ? "2024/05/05 23:59:59" : label;
        for (int c = 0; c < 3; ++c) {
            const double v = r * 10 + c + 0.5;
            if (c < readings)
                csv += "," + std::to_string(v);
            if (!outside)
                expected[static_cast<size_t>(c)].push_back(c < readings ? v : kMissing);
        }
        csv += "\n";
        if (!outside)
            labels.push_back(label);
    }
    Load(dir.Write("long.csv", csv));
    EXPECT_EQ(QueryLoad(start, start + 86399, false), LOAD_FINISHED);
    EXPECT_EQ(MissingMarked(Samples()), expected);
    EXPECT_EQ(LabelList(Labels()), labels);
    double low, high;
    ASSERT_TRUE(manager->GetDataRange(&low, &high));
    EXPECT_EQ(low, 0.5);
    EXPECT_EQ(high, 49992.5);
}

TEST_F(DataManagerTest, TimeRangeDefaultsToTodayWhenNoLabelParses)
{
    Load(dir.Write("nolabels.csv", "T,A\nx,1\ny,2\n"));
    TimeValue first, last;
    manager->GetTimeRange(&first, &last);
    const time_t now = time(nullptr);
    struct tm today = {};
    localtime_r(&now, &today);
    EXPECT_EQ(first, LocalTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, 0, 0, 0));
    EXPECT_EQ(last, LocalTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, 23, 59, 59));
}

TEST_F(DataManagerTest, RefusesFilesOf128MiBAndMore)
{
    const std::string text = "Time,A\n2024/05/06 12:00:00,1\n";
    EXPECT_EQ(Load(SizedFile(dir, text, 134217727)), LOAD_FINISHED);
    EXPECT_EQ(Samples(), (Channels{{1}}));

    // A refused file leaves the loaded one in place.
    EXPECT_EQ(Load(SizedFile(dir, text, 134217728)), LOAD_REFUSED_TOO_LARGE);
    EXPECT_EQ(Samples(), (Channels{{1}}));

    // Sizes are compared in 64 bits: 4 GiB and 10 bytes is not 10 bytes.
    EXPECT_EQ(Load(SizedFile(dir, text, (off_t{1} << 32) + 10)), LOAD_REFUSED_TOO_LARGE);
    EXPECT_EQ(Samples(), (Channels{{1}}));
}

// The file offset the open descriptor of the path has reached, -1 while it is not open.
long long ReadOffset(const std::string& path)
{
    QDir fds("/proc/self/fd");
    for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        if (QFile::symLinkTarget(fds.filePath(fd)).toStdString() != path)
            continue;
        QFile info("/proc/self/fdinfo/" + fd);
        if (info.open(QIODevice::ReadOnly))
            return QString::fromLatin1(info.readLine()).section('\t', 1).trimmed().toLongLong();
    }
    return -1;
}

TEST_F(DataManagerTest, FilesThatGrowWhileRead)
{
    // A file larger than its size at the open (a kernel file reports 0 bytes) loads what
    // is read: the row estimate after 256 rows must not wrap.
    const std::string maps = dir.Path("maps.csv");
    ASSERT_EQ(symlink("/proc/self/smaps", maps.c_str()), 0);
    Settings(0, 0);
    EXPECT_EQ(Load(maps), LOAD_FINISHED);
    ASSERT_EQ(manager->GetChannelCount(), 1);
    EXPECT_GT(Samples()[0].size(), 256u);
    double low, high;
    EXPECT_TRUE(manager->GetDataRange(&low, &high));

    // Rows appended to a file of the largest accepted size once its reading has begun
    // lie past the largest size and are not read.
    Settings(0, 1);
    const std::string path = SizedFile(dir, "Time,A\nL,1\n", 134217727);
    manager->RequestLoad(path.c_str());
    while (ReadOffset(path) <= 0)
        std::this_thread::yield();
    std::string rows;
    for (int i = 0; i < 1000; ++i)
        rows += "\nL,7";
    QFile grow(QString::fromStdString(path));
    ASSERT_TRUE(grow.open(QIODevice::Append));
    ASSERT_EQ(grow.write(rows.data(), static_cast<qint64>(rows.size())), static_cast<qint64>(rows.size()));
    grow.close();
    EXPECT_EQ(WaitFor(TRANSFER_LOADED), LOAD_FINISHED);
    EXPECT_EQ(Samples(), (Channels{{1}}));
}

TEST_F(DataManagerTest, ReadoutAtASampleIndex)
{
    Load(dir.Write("readout.csv", "T,A,B\nL0,1,2\nL1,3\nL2\n"));
    CSampleArray values;
    QString label;
    manager->GetReadout(1, &values, &label);
    EXPECT_EQ(MissingMarked({values}), (Channels{{3, kMissing}}));
    EXPECT_EQ(label, "L1");

    values.clear();
    manager->GetReadout(3, &values, &label);
    EXPECT_TRUE(values.empty());  // no channel has sample 3

    values = {7};
    label = "kept";
    manager->GetReadout(-1, &values, &label);
    EXPECT_EQ(values, CSampleArray{7});
    EXPECT_EQ(label, "kept");
}

}  // namespace
