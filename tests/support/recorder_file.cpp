#include "support/recorder_file.h"

#include <cmath>
#include <cstdio>

std::string RecorderCsv(int rows, int channels, const ReadingText& reading, int firstSecond, bool descending)
{
    std::string csv = "Time";
    char text[64];
    for (int c = 1; c <= channels; ++c) {
        std::snprintf(text, sizeof text, ",CH%02d", c);
        csv += text;
    }
    csv += "\n";
    for (int r = 0; r < rows; ++r) {
        const int second = descending ? rows - 1 - r : r;
        const int clock = firstSecond + second;
        std::snprintf(text, sizeof text, "2024/05/06 %02d:%02d:%02d", clock / 3600, clock / 60 % 60, clock % 60);
        csv += text;
        for (int c = 0; c < channels; ++c)
            csv += "," + reading(second, c);
        csv += "\n";
    }
    return csv;
}

std::string Seconds(int rows, int channels, bool descending)
{
    return RecorderCsv(
        rows, channels, [](int second, int c) { return std::to_string(second) + "." + std::to_string(c + 1); },
        kEightOClock, descending);
}

std::string Waves(int rows, int channels)
{
    return RecorderCsv(rows, channels, [](int second, int c) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", 20.0 * c + 5.0 * std::sin(second / 30.0 + c));
        return std::string(text);
    });
}
