#include "tool_runner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

void ToolFixture::SetUp()
{
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

