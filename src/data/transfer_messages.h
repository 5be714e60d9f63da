#pragma once

// Completion messages the worker posts to the main window.
#include <cstdint>

constexpr uint32_t WM_TRANSFER_NOTIFY = 0x3500;
constexpr uint32_t TRANSFER_LOADED = 0x3501;    // lParam: LoadFile's result
constexpr uint32_t TRANSFER_PREPARED = 0x3502;  // lParam: PrepareDisplay's result

constexpr int LOAD_FINISHED = 0;
constexpr int LOAD_REFUSED_TOO_LARGE = 0x1000;  // 128 MiB or more
constexpr int LOAD_UNREADABLE = 0x2000;         // cannot be opened, or not a regular file
constexpr int LOAD_NO_DATA = 0x3000;            // no channel, or no data row
constexpr int LOAD_NONE_IN_RANGE = 0x4000;      // rows were read, but the query kept none
constexpr int LOAD_OUT_OF_MEMORY = 0x5000;      // memory (or another resource) ran out
constexpr int LOAD_READ_ERROR = 0x6000;         // reading failed part-way
// Every result but LOAD_FINISHED leaves the open dataset as it was.
