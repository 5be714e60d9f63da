#pragma once

// Runs trandor-export as a process. Each test gets a temporary folder with its own
// copy of the tool, so the settings file the tool reads beside itself belongs to
// the test. Times are UTC.
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

    TempDir dir;
    std::string tool;
};

QStringList Strings(const QJsonValue& array);
QByteArray ReadFile(const std::string& path);

// Rows one second apart from 2024/05/06 08:00:00 (newest first when descending),
// channels CH01.. reading the row's second plus channel / 10.
std::string Seconds(int rows, int channels, bool descending = false);
// Rows one second apart, channels CH01.. as slow waves apart from each other.
std::string Waves(int rows, int channels);
