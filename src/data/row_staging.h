#pragma once

// Readings of whole rows gathered channel by channel and appended to the channel
// arrays a block at a time: one copy per channel and block instead of a checked
// append per reading, which is most of what storing a reading costs.
#include <memory>
#include <vector>

class CRowStaging {
public:
    static constexpr int kRows = 1024;
    static constexpr int kChannels = 16;

    CRowStaging() : m_values(new double[kChannels * kRows]) {}

    // The slot of channel 0 in the row being read; channel c's is kRows slots further
    // per channel. The row counts once Commit is called.
    double* Row() { return m_values.get() + m_nRows; }
    // Takes the row whose slots were filled; returns true when the block is full and must be flushed.
    bool Commit() { return ++m_nRows == kRows; }
    // Appends the committed rows to the first channels' arrays.
    void Flush(std::vector<std::vector<double>>& channels)
    {
        for (size_t c = 0; c < channels.size() && c < static_cast<size_t>(kChannels); ++c) {
            const double* column = m_values.get() + c * kRows;
            channels[c].insert(channels[c].end(), column, column + m_nRows);
        }
        m_nRows = 0;
    }

private:
    std::unique_ptr<double[]> m_values;
    int m_nRows = 0;
};
