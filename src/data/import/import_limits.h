#pragma once

// The limits of a data file's import, each defined here once.
#include <cstdint>

// Header fields beyond the 16th name are ignored; a row has at most this many readings.
constexpr int kLargestChannelCount = 16;
// The longest line read in one piece is kLineBuffer - 1 characters (fgets into a
// buffer of this size).
constexpr int kLineBuffer = 1280;
// Files of this size (128 MiB) or more are refused.
constexpr uint64_t kLargestFile = 0x8000000;
// The import yields the processor for 1 ms after every kYieldInterval-th line; its
// blocks hold as many lines.
constexpr int kYieldInterval = 2048;
// A time-label column or time order left to the file: the dialect decides. No value
// the user can enter or the settings file held before.
constexpr int kAutomaticChoice = INT32_MIN;
