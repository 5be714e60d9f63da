#include "tool_runner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <cmath>
#include <cstdio>
#include <ctime>

void ToolFixture::SetUp()
{
    qputenv("TZ", "UTC");
    tzset();
    tool = dir.Path("trandor-export");
    ASSERT_TRUE(QFile::copy(TRANDOR_EXPORT_PATH, QString::fromStdString(tool)));
}

ToolResult ToolFixture::Run(const QStringList& args) const
{
    QProcess process;
    process.start(QString::fromStdString(tool), args);
    ToolResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QJsonObject ToolFixture::Info(const std::string& file, const QStringList& options) const
{
    const ToolResult result = Run(QStringList{QString::fromStdString(file), "--info"} + options);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    EXPECT_TRUE(result.out.endsWith("}\n"));
    return document.object();
}

QStringList Strings(const QJsonValue& array)
{
    QStringList list;
    for (const QJsonValue& value : array.toArray())
        list << value.toString();
    return list;
}

QByteArray ReadFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {

std::string Header(int channels)
{
    std::string csv = "Time";
    char name[16];
    for (int c = 1; c <= channels; ++c) {
        std::snprintf(name, sizeof name, ",CH%02d", c);
        csv += name;
    }
    return csv + "\n";
}

std::string Label(int second)
{
    char label[32];
    std::snprintf(label, sizeof label, "2024/05/06 %02d:%02d:%02d", 8 + second / 3600, second / 60 % 60, second % 60);
    return label;
}

}  // namespace

std::string Seconds(int rows, int channels, bool descending)
{
    std::string csv = Header(channels);
    for (int r = 0; r < rows; ++r) {
        const int s = descending ? rows - 1 - r : r;
        csv += Label(s);
        for (int c = 1; c <= channels; ++c)
            csv += "," + std::to_string(s) + "." + std::to_string(c);
        csv += "\n";
    }
    return csv;
}

std::string Waves(int rows, int channels)
{
    std::string csv = Header(channels);
    char reading[32];
    for (int r = 0; r < rows; ++r) {
        csv += Label(r);
        for (int c = 0; c < channels; ++c) {
            std::snprintf(reading, sizeof reading, ",%.2f", 20.0 * c + 5.0 * std::sin(r / 30.0 + c));
            csv += reading;
        }
        csv += "\n";
    }
    return csv;
}
