#pragma once

// Runs trandor-export as a process. Each test gets a temporary folder with its own
// copy of the tool, so the settings file the tool reads beside itself belongs to
// the test. Times are UTC.
#include "support/local_time.h"
#include "support/recorder_file.h"
#include "support/temp_dir.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <gtest/gtest.h>
#include <string>

struct ToolResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class ToolFixture : public ::testing::Test {
protected:
    void SetUp() override;

    ToolResult Run(const QStringList& args) const;
    // Runs with --info and the options; expects success and returns the summary.
    QJsonObject Info(const std::string& file, const QStringList& options) const;

    LocalTimeZone zone{"UTC"};
    TempDir dir;
    std::string tool;
};

QStringList Strings(const QJsonValue& array);
QByteArray ReadFile(const std::string& path);

