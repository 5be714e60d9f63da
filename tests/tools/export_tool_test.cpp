// trandor-export run as a process on files written in a temporary folder: the
// summary of the loaded and prepared page, the settings it takes from the file
// beside it and from its options, the picture and the printed sheet, and its
// refusals. The tool is copied into the folder, so the settings file it reads
// (beside the executable) is the test's own.
#include "tool_runner.h"

#include "data/data_manager.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace {

// The sample file of the import rules: labels in column 1, an empty field in row 2.
const char* const kSample = "Time,T1,T2,RH\n2024/05/06 12:00:00,21.5,22.0,40\n2024/05/06 12:00:10,21.6,,41\n";

// At 100 % the plot (without its scroll track) spans these window pixels.
constexpr int kPlotLeft = 22, kPlotTop = 120, kPlotRight = 1072, kPlotBottom = 560;

int CountNear(const QImage& image, COLORREF colour)
{
    const QColor want(GetRValue(colour), GetGValue(colour), GetBValue(colour));
    int count = 0;
    for (int y = kPlotTop; y < kPlotBottom; ++y) {
        for (int x = kPlotLeft; x < kPlotRight; ++x) {
            const QColor have = image.pixelColor(x, y);
            if (std::abs(have.red() - want.red()) + std::abs(have.green() - want.green()) +
                    std::abs(have.blue() - want.blue()) <= 60)
                ++count;
        }
    }
    return count;
}

using ExportToolTest = ToolFixture;

TEST_F(ExportToolTest, SummaryOfTheSampleFile)
{
    const QJsonObject info = Info(dir.Write("sample.csv", kSample), {"--order", "asc", "--series", "--cursor", "31"});
    EXPECT_EQ(info["result"].toInt(), 0);
    EXPECT_EQ(Strings(info["channels"]), (QStringList{"T1", "T2", "RH"}));
    EXPECT_EQ(info["samples"].toArray(), (QJsonArray{2, 2, 2}));  // the empty field is T2's missing reading
    EXPECT_EQ(info["labels"].toInt(), 2);
    EXPECT_EQ(info["data_min"].toDouble(), 21.5);
    EXPECT_EQ(info["data_max"].toDouble(), 41.0);
    EXPECT_EQ(info["first_time"].toInteger(), 1714996800);  // 2024-05-06 12:00:00 UTC
    EXPECT_EQ(info["last_time"].toInteger(), 1714996810);
    // Two samples: the largest step, a page no longer than the file.
    EXPECT_EQ(info["page"].toObject(), (QJsonObject{{"first", 0}, {"count", 2}, {"step", 30}}));
    EXPECT_EQ(info["zoom_level"].toInt(), 7);
    EXPECT_EQ(info["axis"].toObject(), (QJsonObject{{"min", 10}, {"max", 50}}));
    EXPECT_EQ(Strings(info["axis_labels"]), (QStringList{"2024/05/06 12:00:00", "2024/05/06 12:00:10"}));
    // Column 31 is the second sample; T2's reading there is missing.
    EXPECT_EQ(info["readout"].toString(), "[2024/05/06 12:00:10] T1:21.60, T2:--, RH:41.00");
    const QJsonArray series = info["series"].toArray();
    ASSERT_EQ(series.size(), 3);
    EXPECT_EQ(series[2].toArray(), (QJsonArray{(40.0 - 10) / 40, (41.0 - 10) / 40}));
}

// Newest row first, shown oldest on the left; labels formatted HH:MM:SS.
TEST_F(ExportToolTest, DescendingFileWithFormattedLabels)
{
    const QJsonObject info =
        Info(dir.Write("desc.csv", Seconds(3000, 2, true)), {"--order", "desc", "--format", "3", "--cursor", "0"});
    EXPECT_EQ(info["page"].toObject(), (QJsonObject{{"first", 0}, {"count", 1051}, {"step", 1}}));
    EXPECT_EQ(info["zoom_level"].toInt(), 1);
    const QStringList labels = Strings(info["axis_labels"]);
    ASSERT_EQ(labels.size(), 36);  // one per grid cell of 30 columns
    EXPECT_EQ(labels.front(), "08:32:29");  // sample 1050, 2999 - 1050 s after 08:00:00
    EXPECT_EQ(labels.back(), "08:49:59");
    EXPECT_EQ(info["readout"].toString(), "[2024/05/06 08:32:29] CH01:1949.10, CH02:1949.20");
}

TEST_F(ExportToolTest, QueryWithAndWithoutFitAll)
{
    const std::string file = dir.Write("long.csv", Seconds(3000, 1));
    const QJsonObject range = Info(file, {"--order", "asc", "--query", "2024-05-06 08:10:00,2024-05-06 08:39:59"});
    EXPECT_EQ(range["samples"].toArray(), (QJsonArray{1800}));
    EXPECT_EQ(Strings(range["axis_labels"]).back(), "2024/05/06 08:39:59");
    // The time range covers every row read, also those the query dropped.
    EXPECT_EQ(range["last_time"].toInteger() - range["first_time"].toInteger(), 2999);

    const QJsonObject fit =
        Info(file, {"--order", "asc", "--query", "2024-05-06 08:10:00,2024-05-06 08:39:59", "--fit-all"});
    const int samples = fit["samples"].toArray()[0].toInt();
    EXPECT_LE(samples, 1052);
    EXPECT_GT(samples, 1000);
    EXPECT_EQ(fit["page"].toObject()["step"].toInt(), 1);
    EXPECT_EQ(fit["page"].toObject()["first"].toInt(), samples - fit["page"].toObject()["count"].toInt());
}

// Readings that are not numbers: null in the series, "--" in the read-out, gaps in
// the window's curve (no spike to the top edge).
TEST_F(ExportToolTest, NanReadingsAreGapsAndNull)
{
    const std::string file = dir.Write("nan.csv",
                                       "Time,T1\n2024/05/06 12:00:00,nan\n2024/05/06 12:00:01,21.5\n"
                                       "2024/05/06 12:00:02,nan\n2024/05/06 12:00:03,22.5\n"
                                       "2024/05/06 12:00:04,23.5\n2024/05/06 12:00:05,NaN\n");
    const std::string png = dir.Path("nan.png");
    const QJsonObject info = Info(file, {"--order", "asc", "--series", "--png", png.c_str(), "--cursor", "0"});
    const QJsonArray series = info["series"].toArray().at(0).toArray();
    ASSERT_EQ(series.size(), 6);
    for (int i : {0, 2, 5})
        EXPECT_TRUE(series[i].isNull()) << i;
    EXPECT_TRUE(series[3].isDouble());
    EXPECT_EQ(info["readout"].toString(), "[2024/05/06 12:00:00] T1:--");
    const QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    // Samples 30 pixels apart; past the last one (x 150) the plot shows only the grid,
    // which repeats every 300 pixels. Only samples 3 and 4 are joined; sample 1,
    // between two gaps, draws nothing.
    const auto column = [&](int x) { return image.copy(kPlotLeft + x, kPlotTop, 1, kPlotBottom - kPlotTop); };
    for (int x : {15, 30, 31, 45, 60, 75, 135, 150})
        EXPECT_EQ(column(x), column(x + 300)) << "nothing to or from a gap at x " << x;
    EXPECT_NE(column(105), column(105 + 300));
}

TEST_F(ExportToolTest, ZoomedAndPagedView)
{
    const std::string file = dir.Write("paged.csv", Seconds(5000, 2));
    const QJsonObject info = Info(file, {"--order", "asc", "--zoom", "3", "--first", "1000", "--series"});
    EXPECT_EQ(info["zoom_level"].toInt(), 3);
    EXPECT_EQ(info["page"].toObject(), (QJsonObject{{"first", 1000}, {"count", 351}, {"step", 3}}));
    EXPECT_EQ(Strings(info["axis_labels"]).front(), "2024/05/06 08:16:40");  // sample 1000
    for (const QJsonValue& channel : info["series"].toArray())
        EXPECT_EQ(channel.toArray().size(), 351);
    // Past the end the page ends on the newest sample, as the thumb does.
    const QJsonObject end = Info(file, {"--order", "asc", "--zoom", "3", "--first", "999999"});
    EXPECT_EQ(end["page"].toObject()["first"].toInt(), 5000 - 351);
}

// The settings file beside the tool counts; options override it without writing it.
TEST_F(ExportToolTest, SettingsFileAndOverrides)
{
    const QByteArray ini = "[QUICK_SAVE]\r\n7000=2\r\n7001=0\r\n7006=V\r\n";
    dir.Write("Trandor.INI", ini.toStdString());
    const std::string file = dir.Write("columns.csv", "A,Time,B\n1.5,2024/05/06 08:00:00,2\n2.5,2024/05/06 08:00:01,3\n");
    const QJsonObject stored = Info(file, {"--cursor", "0"});
    EXPECT_EQ(Strings(stored["channels"]), (QStringList{"A", "B"}));
    EXPECT_EQ(stored["readout"].toString(), "[2024/05/06 08:00:00] A:1.50V, B:2.00V");

    const QJsonObject overridden = Info(file, {"--unit", "kPa", "--range", "-10:90", "--cursor", "0"});
    EXPECT_EQ(overridden["axis"].toObject(), (QJsonObject{{"min", -10}, {"max", 90}}));
    EXPECT_EQ(overridden["readout"].toString(), "[2024/05/06 08:00:00] A:1.50kPa, B:2.00kPa");
    // Without a label column every field is a channel; without labels there is no page to read out.
    const QJsonObject unlabelled = Info(file, {"--label-column", "0", "--cursor", "0"});
    EXPECT_EQ(Strings(unlabelled["channels"]), (QStringList{"A", "Time", "B"}));
    EXPECT_EQ(unlabelled["labels"].toInt(), 0);
    EXPECT_TRUE(unlabelled["readout"].isNull());
    EXPECT_EQ(ReadFile(dir.Path("Trandor.INI")), ini);
}

TEST_F(ExportToolTest, TextIsDecodedAndEscaped)
{
    // "温度" in GB18030, and a name with a quote and a backslash.
    const QJsonObject info = Info(dir.Write("gb.csv", "Time,\xCE\xC2\xB6\xC8,A\"\\B\n2024/05/06 08:00:00,1,2\n"), {});
    EXPECT_EQ(Strings(info["channels"]), (QStringList{"温度", "A\"\\B"}));
}

// Each file is decoded by one encoding decided from all of its text, the unit by its
// own; the summary and the read-out compose the decoded texts. 液位 水位 状态 液压 are
// GB18030 pairs that are also valid UTF-8; 时间 and the raw label's 年 are not.
TEST_F(ExportToolTest, EachSourceDecodesByItsOwnEncoding)
{
    const std::string gbNames = "\xD2\xBA\xCE\xBB,\xCB\xAE\xCE\xBB,\xD7\xB4\xCC\xAC,\xD2\xBA\xD1\xB9";
    const std::string utf8Names = "液位,水位,状态,液压";
    const std::string row = ",1,2,3,4\n";
    const struct {
        const char* name;
        std::string bytes;
        QStringList channels;
        QString label;
        const char* labelColumn = "1";
    } files[] = {
        {"gb-heading.csv", "\xCA\xB1\xBC\xE4," + gbNames + "\n2024/05/06 08:00:00" + row,
         {"液位", "水位", "状态", "液压"}, "2024/05/06 08:00:00"},
        {"gb-label.csv", "Time," + gbNames + "\n2024\xC4\xEA" + row, {"液位", "水位", "状态", "液压"}, "2024年"},
        {"gb-mixed.csv", "Time,\xD2\xBA\xCE\xBB,\xCE\xC2\xB6\xC8\n2024/05/06 08:00:00,1,2\n", {"液位", "温度"},
         "2024/05/06 08:00:00"},
        {"utf8.csv", "时间," + utf8Names + "\n2024年" + row, {"液位", "水位", "状态", "液压"}, "2024年"},
        // The byte-order mark means UTF-8, a bad byte included, and is no part of the name.
        {"bom.csv", "\xEF\xBB\xBF" + utf8Names + ",Time\n1,2,3,4,2024\xFF\n", {"液位", "水位", "状态", "液压"},
         "2024\uFFFD", "5"},
    };
    const struct {
        const char* encoding;
        std::string bytes;
    } units[] = {{"UTF-8", "\xE2\x84\x83"}, {"GBK", "\xA1\xE6"}};
    for (const auto& unit : units) {
        dir.Write("Trandor.INI", "[QUICK_SAVE]\n7006=" + unit.bytes + "\n");
        for (const auto& file : files) {
            SCOPED_TRACE(std::string(file.name) + ", unit in " + unit.encoding);
            const QJsonObject info =
                Info(dir.Write(file.name, file.bytes), {"--label-column", file.labelColumn, "--cursor", "0"});
            EXPECT_EQ(Strings(info["channels"]), file.channels);
            QString readout = "[" + file.label + "] ";
            for (int i = 0; i < file.channels.size(); ++i)
                readout += QString("%1%2:%3.00℃").arg(i ? ", " : "", file.channels[i]).arg(i + 1);
            EXPECT_EQ(info["readout"].toString(), readout);
            EXPECT_EQ(Strings(info["axis_labels"]), QStringList{file.label});
        }
    }
}

// Files the program does not load still succeed, with the load's result: no data, or
// too large to load.
TEST_F(ExportToolTest, FilesWithoutData)
{
    const QJsonObject empty = Info(dir.Write("empty.csv", ""), {"--png", dir.Path("empty.png").c_str()});
    EXPECT_EQ(empty["result"].toInt(), 0x3000);
    EXPECT_TRUE(empty["channels"].toArray().isEmpty());
    EXPECT_TRUE(empty["data_min"].isNull());
    EXPECT_TRUE(empty["readout"].isNull());
    EXPECT_FALSE(QImage(QString::fromStdString(dir.Path("empty.png"))).isNull());

    QFile big(QString::fromStdString(dir.Path("big.csv")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(CMemoryTransferManage::kLargestFile));  // sparse: nothing is written
    big.close();
    EXPECT_EQ(Info(dir.Path("big.csv"), {})["result"].toInt(), 0x1000);
}

TEST_F(ExportToolTest, PictureShowsTheShownChannelsOnly)
{
    const std::string file = dir.Write("three.csv", Waves(600, 3));
    const std::string png = dir.Path("chart.png");
    ASSERT_EQ(Run({file.c_str(), "--hide", "1", "--png", png.c_str()}).exitCode, 0);
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(1200, 678));
    EXPECT_GT(CountNear(image, CMemoryTransferManage::kPalette[0]), 100);
    EXPECT_EQ(CountNear(image, CMemoryTransferManage::kPalette[1]), 0);
    EXPECT_GT(CountNear(image, CMemoryTransferManage::kPalette[2]), 100);

    ASSERT_EQ(Run({file.c_str(), "--scale", "150", "--png", png.c_str()}).exitCode, 0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(1800, 1017));
}

// Width of the first legend entry (its dot and its name) in a picture at the scale.
int LegendEntryWidth(const QImage& image, int scalePercent)
{
    const QColor want(GetRValue(CMemoryTransferManage::kPalette[0]), GetGValue(CMemoryTransferManage::kPalette[0]),
                      GetBValue(CMemoryTransferManage::kPalette[0]));
    int left = image.width(), right = -1;
    // The legend row lies between 60 and 110 pixels from the top at 100 %, the first
    // entry within 250 pixels of the left edge.
    for (int y = 60 * scalePercent / 100; y < 110 * scalePercent / 100; ++y) {
        for (int x = 0; x < 250 * scalePercent / 100; ++x) {
            const QColor have = image.pixelColor(x, y);
            if (std::abs(have.red() - want.red()) + std::abs(have.green() - want.green()) +
                    std::abs(have.blue() - want.blue()) <= 90) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right - left;
}

// At 150 and 200 % the text grows with everything else, as on a 144 or 192 dpi screen.
TEST_F(ExportToolTest, ScaledPicturesDrawTextAtTheScaledSize)
{
    const std::string file = dir.Write("three.csv", Waves(200, 3));
    const std::string png = dir.Path("scaled.png");
    ASSERT_EQ(Run({file.c_str(), "--png", png.c_str()}).exitCode, 0);
    const int base = LegendEntryWidth(QImage(QString::fromStdString(png)), 100);
    ASSERT_GT(base, 40);
    for (const int scale : {150, 200}) {
        ASSERT_EQ(Run({file.c_str(), "--scale", QString::number(scale), "--png", png.c_str()}).exitCode, 0);
        const int width = LegendEntryWidth(QImage(QString::fromStdString(png)), scale);
        EXPECT_NEAR(width, base * scale / 100, base * scale / 100 / 20) << scale;
    }
}

TEST_F(ExportToolTest, SheetIsOnePageOfTheChosenPaper)
{
    const std::string file = dir.Write("three.csv", Waves(300, 3));
    const struct {
        QStringList options;
        const char* mediaBox;
    } cases[] = {
        {{}, "842 595"},                                  // A4 landscape by default
        {{"--orientation", "1"}, "595 842"},               // A4 portrait
        {{"--paper", "8", "--orientation", "2"}, "1191 842"},  // A3 landscape
    };
    for (const auto& c : cases) {
        const std::string pdf = dir.Path("sheet.pdf");
        QStringList args{file.c_str(), "--pdf", pdf.c_str()};
        ASSERT_EQ(Run(args + c.options).exitCode, 0) << c.mediaBox;
        const QString text = QString::fromLatin1(ReadFile(pdf));
        EXPECT_EQ(text.count(QRegularExpression("/Type\\s*/Page(?!s)")), 1) << c.mediaBox;
        const QRegularExpressionMatch box = QRegularExpression("/MediaBox \\[0 0 (\\d+)\\S* (\\d+)").match(text);
        EXPECT_EQ(box.captured(1) + " " + box.captured(2), c.mediaBox);
        // The sheet's picture is the paper at 300 dpi less 15 mm from each side edge:
        // the margins count from the paper's edge, with no page margin of its own.
        const int paper = qRound(box.captured(1).toInt() * 300 / 72.0);
        const int side = paper * 15 / qRound(box.captured(1).toInt() * 25.4 / 72);
        const QRegularExpressionMatch image = QRegularExpression("/Subtype\\s*/Image\\s*/Width (\\d+)").match(text);
        EXPECT_NEAR(image.captured(1).toInt(), paper - 2 * side, 3) << c.mediaBox;
    }
}

// Every refusal: status 2 and one line naming the problem; nothing else is written.
TEST_F(ExportToolTest, RefusalsExitWithTwoAndOneLine)
{
    const std::string file = dir.Write("three.csv", Waves(100, 3));
    const std::string missingDir = dir.Path("no/such/folder/out.png");
    const std::string fifo = dir.Path("pipe.csv");  // no writer: opening it for reading would wait
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{}, "no input file"},
        {{file.c_str(), "other.csv"}, "more than one input file"},
        {{file.c_str(), "--colour"}, "unknown option --colour"},
        {{file.c_str(), "--zoom"}, "--zoom needs a value"},
        {{file.c_str(), "--zoom", "8"}, "--zoom: expected a level from 1 to 7"},
        {{file.c_str(), "--order", "up"}, "--order: expected asc or desc"},
        {{file.c_str(), "--format", "4"}, "--format"},
        {{file.c_str(), "--range", "5"}, "--range"},
        {{file.c_str(), "--paper", "999"}, "--paper"},
        {{file.c_str(), "--query", "2024-05-06 08:00,2024-05-06 09:00:00"}, "--query"},
        {{file.c_str(), "--query", "2024-02-30 08:00:00,2024-05-06 09:00:00"}, "--query"},
        {{file.c_str(), "--hide", "1,x"}, "--hide"},
        {{file.c_str(), "--scale", "50"}, "--scale"},
        {{file.c_str(), "--fit-all"}, "--fit-all needs --query"},
        {{file.c_str(), "--series"}, "--series needs --info"},
        {{dir.Path("missing.csv").c_str()}, "no such file"},
        {{dir.Path("").c_str()}, "it is a folder"},
        {{fifo.c_str()}, "not a regular file"},
        {{"/dev/zero"}, "not a regular file"},
        {{file.c_str(), "--png", missingDir.c_str()}, "cannot write"},
        {{file.c_str(), "--pdf", dir.Path("").c_str()}, "cannot write"},
        {{file.c_str(), "--cursor", "1050"}, "--cursor: the plot has columns 0 to 1049"},
        {{file.c_str(), "--info", "--hide", "0,3"}, "--hide: channel 3 is not in the file (3 channels)"},
    };
    for (const auto& c : cases) {
        const ToolResult result = Run(c.args);
        const QString name = c.args.join(' ');
        EXPECT_EQ(result.exitCode, 2) << name.toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << name.toStdString();
        const QStringList lines = QString::fromUtf8(result.err).split('\n', Qt::SkipEmptyParts).filter("trandor-export:");
        ASSERT_EQ(lines.size(), 1) << name.toStdString() << ": " << result.err.toStdString();
        EXPECT_TRUE(lines[0].contains(c.says)) << lines[0].toStdString();
    }
}

// An output that is a device or a FIFO is written into and stays what it was; a
// device that takes no data (like /dev/full) is a failure, not a written file.
TEST_F(ExportToolTest, DevicesAndFifosAreWrittenIntoNeverReplaced)
{
    const std::string file = dir.Write("three.csv", Waves(100, 3));
    const std::string null = dir.Path("null");
    const std::string full = dir.Path("full");
    const std::string fifo = dir.Path("sheet.fifo");
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
        ::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "device nodes cannot be made here (needs root)";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        char chunk[65536];
        for (ssize_t n; fd >= 0 && (n = ::read(fd, chunk, sizeof chunk)) > 0;)
            received.append(chunk, static_cast<qsizetype>(n));
        ::close(fd);
    });
    const ToolResult written = Run({file.c_str(), "--png", null.c_str(), "--pdf", fifo.c_str()});
    reader.join();
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_TRUE(received.startsWith("%PDF-"));
    const ToolResult refused = Run({file.c_str(), "--pdf", full.c_str()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("cannot write"));
    const struct {
        const std::string& path;
        mode_t type;
    } outputs[] = {{null, S_IFCHR}, {full, S_IFCHR}, {fifo, S_IFIFO}};
    for (const auto& o : outputs) {
        struct stat st {};
        ASSERT_EQ(::stat(o.path.c_str(), &st), 0) << o.path;
        EXPECT_EQ(st.st_mode & S_IFMT, o.type) << o.path;
    }
}

TEST_F(ExportToolTest, TimingsLine)
{
    const ToolResult result = Run({dir.Write("t.csv", Waves(100, 2)).c_str(), "--timings"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(result.err).contains(QRegularExpression(
        "^load_ms=[0-9.]+ prepare_ms=[0-9.]+ first_page_ms=[0-9.]+ rss_mb=[0-9.]+$", QRegularExpression::MultilineOption)))
        << result.err.toStdString();
}

}  // namespace
