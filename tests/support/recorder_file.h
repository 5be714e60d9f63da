#pragma once

// Recorder files as the tests write them: a header "Time,CH01,CH02,.." and one row a
// second on 2024/05/06, each a time label "2024/05/06 HH:MM:SS" and the readings.
#include <functional>
#include <string>

constexpr int kEightOClock = 8 * 3600;

// The text of one reading: the row's second (0 for the earliest row) and the
// channel (0-based).
using ReadingText = std::function<std::string(int second, int channel)>;

// rows rows from firstSecond of the day (hours past 23 are written as they are);
// descending: the newest row first.
std::string RecorderCsv(int rows, int channels, const ReadingText& reading, int firstSecond = kEightOClock,
                        bool descending = false);

// From 08:00:00, reading of channel c: the row's second "." c + 1 ("5.2").
std::string Seconds(int rows, int channels, bool descending = false);
// From 08:00:00, channels as slow waves apart from each other ("%.2f").
std::string Waves(int rows, int channels);
